// What every Ventrix fuzzer shares: the input as a file text in a heap block of
// exactly its size, the checks that hold for any result, and buffers holding a canary
// with the readings of an address line, to see that a parse wrote only what it names.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

namespace ventrix::fuzz {

class FuzzText {
 public:
  FuzzText(const uint8_t *data, size_t size) : chars_(new char[size + 1]) {
    std::memcpy(chars_.get(), data, size);
    chars_[size] = '\0';
    length_ = std::strlen(chars_.get());
  }
  const char *get() const { return chars_.get(); }

  // A result is NULL, the text itself, or a position inside it up to its NUL.
  void CheckResult(const char *rest) const {
    if (rest && (rest < chars_.get() || rest > chars_.get() + length_)) __builtin_trap();
  }

 private:
  std::unique_ptr<char[]> chars_;
  size_t length_;
};

inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// The value of `count` hexadecimal digits at `s`; -1 if any is not one (a NUL stops it).
inline long HexNumber(const char *s, int count) {
  long value = 0;
  for (int i = 0; i < count; ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      return -1;
    value = value * 16 + d;
  }
  return value;
}

// "@", four digits and CR LF at `s`: the address, or -1.
inline long AddressLineAt(const char *s) {
  if (s[0] != '@') return -1;
  const long address = HexNumber(s + 1, 4);
  return address >= 0 && s[5] == '\r' && s[6] == '\n' ? address : -1;
}

// Page frames holding `canary` everywhere but the address, which marks them unused, so
// a parse shows every byte it wrote.
inline void FillCanaryImage(uint8_t (*image)[138], uint8_t canary) {
  for (int n = 0; n < 512; ++n) {
    std::memset(image[n], canary, 138);
    image[n][4] = image[n][5] = 0xFF;
  }
}

// A frame as FillCanaryImage left it.
inline bool CanaryFrame(const uint8_t *page, uint8_t canary) {
  uint8_t frame[138];
  std::memset(frame, canary, sizeof frame);
  frame[4] = frame[5] = 0xFF;
  return std::memcmp(page, frame, sizeof frame) == 0;
}

inline bool Used(const uint8_t *page) {
  return !(page[4] == 0xFF && page[5] == 0xFF);
}

inline unsigned PageAddress(const uint8_t *page) {
  return static_cast<unsigned>(page[4] | page[5] << 8);
}

}  // namespace ventrix::fuzz
