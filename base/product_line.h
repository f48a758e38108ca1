// Product-line data kept beside the program (product-line.txt): the three stored
// loader passwords and the device code of the signature page. They are data of the
// units in the field, not of the tool, so they live in a file and not in the code.
// The tool unlocks units with them and the simulated unit is built from them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace rilo {

struct ProductLine {
  // Each password is the vector table (0xFFE0..0xFFFF) of the units it opens.
  std::array<uint8_t, 32> PasswordA{};  // 8 KB receiver
  std::array<uint8_t, 32> PasswordB{};  // 16 KB receiver
  std::array<uint8_t, 32> PasswordC{};  // transmitter
  std::array<uint8_t, 34> SignatureCode{};
};

inline constexpr const char *kProductLineFileName = "product-line.txt";

// Parses the file's text: "Name = hex bytes" lines, '#' comments, blank lines. Each of
// the four names exactly once with its exact byte count. On failure answers nothing
// and puts a message for the person in *error.
std::optional<ProductLine> ParseProductLine(const std::string &text, const std::string &path,
                                            std::string *error);

// Reads and parses the file at `path`.
std::optional<ProductLine> ReadProductLine(const std::string &path, std::string *error);

// ReadProductLine on the copy beside the running program.
std::optional<ProductLine> ReadProductLineBesideProgram(std::string *error);

}  // namespace rilo
