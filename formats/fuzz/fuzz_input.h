// What every Ventrix fuzzer shares: the input as a file text in a heap block of
// exactly its size, and the checks that hold for any result.
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

}  // namespace ventrix::fuzz
