#include "files/text_lines.h"

#include <algorithm>

namespace rilo {

std::string HexByte(uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

void AppendHexLines(TextLines &lines, const uint8_t *bytes, size_t count) {
  for (size_t first = 0; first < count; first += 16) {
    std::string line;
    const size_t last = std::min(count, first + 16);
    for (size_t i = first; i < last; ++i) {
      if (i != first) line += ' ';
      line += HexByte(bytes[i]);
    }
    lines.push_back(std::move(line));
  }
}

std::string JoinCrLf(const TextLines &lines) {
  size_t size = 0;
  for (const auto &line : lines)
    size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto &line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace rilo
