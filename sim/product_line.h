// The product line's loader passwords and signature code, read from the data file the
// tool reads too (product-line.txt beside the program), with the simulator's own small
// reader so a fault in the tool's reader cannot hide here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace rilo::sim {

using Password = std::array<uint8_t, 32>;

struct ProductLine {
  Password password_a{};  // 8 KB receiver
  Password password_b{};  // 16 KB receiver
  Password password_c{};  // transmitter
  std::array<uint8_t, 34> signature_code{};
};

// Lines "Name = hex bytes"; '#' starts a comment. Every name above must appear once
// with exactly its number of bytes. On failure *error says what is wrong and where.
std::optional<ProductLine> ParseProductLine(const std::string &text, std::string *error);
std::optional<ProductLine> ReadProductLine(const std::string &path, std::string *error);

// Path of `file_name` in the folder of the running program.
std::string BesideProgram(const std::string &file_name);

}  // namespace rilo::sim
