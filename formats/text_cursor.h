// A read position in a file text. The file formats are defined as "delete so many
// characters from the front"; walking a cursor gives the same outcome in linear time.
// The cursor never moves past the terminating NUL, whatever count it is asked to skip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace ventrix {

// Blanks as the number conversion trims them: every control character and the space.
inline bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One or two hexadecimal digits and nothing else; false for none, or anything else.
inline bool HexValue(std::string_view digits, uint8_t *value) {
  if (digits.empty()) return false;
  unsigned v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  *value = static_cast<uint8_t>(v);
  return true;
}

// A pair as the formats read it: blanks trimmed at both ends, then hexadecimal. So
// " A", "A " and "A\r" read as 0x0A; "  ", "G0" and "" are not numbers.
inline bool PairValue(std::string_view pair, uint8_t *value) {
  while (!pair.empty() && IsBlank(pair.front()))
    pair.remove_prefix(1);
  while (!pair.empty() && IsBlank(pair.back()))
    pair.remove_suffix(1);
  return HexValue(pair, value);
}

class Cursor {
 public:
  explicit Cursor(const char *text) : at_(text), end_(text + std::strlen(text)) {}

  const char *Position() const { return at_; }
  size_t Remaining() const { return static_cast<size_t>(end_ - at_); }
  char Peek() const { return *at_; }  // NUL at the end
  bool StartsWith(std::string_view s) const {
    return Remaining() >= s.size() && s == std::string_view(at_, s.size());
  }

  void Skip(size_t count) { at_ += count < Remaining() ? count : Remaining(); }

  // Up to `count` characters from `offset` on, fewer where the text ends.
  std::string_view Chars(size_t offset, size_t count) const {
    if (offset >= Remaining()) return {};
    return {at_ + offset, count < Remaining() - offset ? count : Remaining() - offset};
  }

  // The separator tolerated before a pair: one space, then one CR with the character
  // after it (the LF), in that order. True when it passed a line end.
  bool SkipSeparator() {
    if (Peek() == ' ') Skip(1);
    if (Peek() != '\r') return false;
    Skip(2);
    return true;
  }

  void SkipBlanks() {
    while (at_ != end_ && IsBlank(*at_))
      ++at_;
  }

  // Converts the next two characters (fewer at the end of the text) as a pair and
  // moves past them. False, not moving, when they are not a number.
  bool TakePair(uint8_t *value) {
    if (!PairValue(Chars(0, 2), value)) return false;
    Skip(2);
    return true;
  }

  // Exactly two hexadecimal digits, as the firmware text file writes a byte: no blanks
  // trimmed. False, not moving, for anything else.
  bool TakeByte(uint8_t *value) {
    const std::string_view digits = Chars(0, 2);
    if (digits.size() != 2 || HexDigit(digits[0]) < 0 || HexDigit(digits[1]) < 0) return false;
    HexValue(digits, value);
    Skip(2);
    return true;
  }

 private:
  const char *at_;
  const char *end_;
};

// An address line: "@", four hexadecimal digits (high byte first), CR LF and nothing
// else, so "@F00", "@10000" and "@ F00" are no address. Moves past it; false, not
// moving, for anything else.
inline bool TakeAddressLine(Cursor &c, uint16_t *address) {
  const std::string_view line = c.Chars(0, 7);
  if (line.size() != 7 || line[0] != '@' || line.substr(5) != "\r\n") return false;
  unsigned value = 0;
  for (char digit : line.substr(1, 4)) {
    const int d = HexDigit(digit);
    if (d < 0) return false;
    value = value * 16 + static_cast<unsigned>(d);
  }
  *address = static_cast<uint16_t>(value);
  c.Skip(line.size());
  return true;
}

}  // namespace ventrix
