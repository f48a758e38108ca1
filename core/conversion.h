// Text-to-number conversions of the identity fields. A text that is not a number is
// the runtime's conversion error: the command stops there and the window's exception
// box shows the message, as for any other runtime error.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace rilo {

struct ConversionError : std::runtime_error {
  explicit ConversionError(std::string_view text)
      : std::runtime_error("'" + std::string(text) + "' is not a valid integer value") {}
};

// Value of one hexadecimal digit (either case).
inline int HexDigit(std::string_view text) {
  if (text.size() == 1) {
    char c = text[0];
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  }
  throw ConversionError(text);
}

// Value of a short decimal text (digits only, at most 9).
inline int Decimal(std::string_view text) {
  if (text.empty() || text.size() > 9) throw ConversionError(text);
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') throw ConversionError(text);
    v = v * 10 + (c - '0');
  }
  return v;
}

// `text` without blanks (and control characters) at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  return text;
}

// Characters [from, from + count) of `text`, or fewer where it ends.
inline std::string_view Part(std::string_view text, size_t from, size_t count) {
  return from < text.size() ? text.substr(from, count) : std::string_view();
}

}  // namespace rilo
