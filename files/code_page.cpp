#include "files/code_page.h"

#include <cstdint>

namespace rilo {

bool IsUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    int more = 0;
    uint32_t low = 0;  // the smallest code point of this length: anything below is overlong
    uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      more = 1, low = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, low = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, low = 0x10000, code = lead & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i <= static_cast<size_t>(more)) return false;
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += static_cast<size_t>(more) + 1;
  }
  return true;
}

std::string TextFromFile(std::string_view bytes) {
  return IsUtf8(bytes) ? std::string(bytes) : Utf8FromCodePage950(bytes);
}

std::string TextForFile(std::string_view utf8) {
  std::optional<std::string> big5 = CodePage950FromUtf8(utf8);
  // Big5 bytes that also read as UTF-8 would come back as other characters.
  if (!big5 || (*big5 != utf8 && IsUtf8(*big5))) return std::string(utf8);
  return std::move(*big5);
}

}  // namespace rilo
