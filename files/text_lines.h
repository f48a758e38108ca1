// Building blocks of the file writers: bytes as the hexadecimal lines every format
// shares (two upper-case digits per byte, one space between bytes, sixteen a line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/file_writers.h"

namespace rilo {

std::string HexByte(uint8_t value);

// Appends `count` bytes from `bytes` as lines of sixteen (a shorter last line if
// `count` is not a multiple of sixteen).
void AppendHexLines(TextLines &lines, const uint8_t *bytes, size_t count);

}  // namespace rilo
