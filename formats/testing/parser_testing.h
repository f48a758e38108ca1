// Helpers for the Ventrix tests: the library bound by name as the tool binds it, file
// texts in exactly sized heap blocks (so AddressSanitizer sees any read past the
// NUL), and hexadecimal lines as the writers lay them out.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ventrix_api.h"

namespace ventrix::testing {

inline const rilo::VentrixApi &Api() {
  static const rilo::VentrixApi api = [] {
    std::string error;
    auto loaded = rilo::LoadVentrixBesideProgram(&error);
    if (!loaded) {
      ADD_FAILURE() << error;
      std::abort();
    }
    return *loaded;
  }();
  return api;
}

// A NUL-terminated copy of a file text in a heap block of exactly its size.
class ExactText {
 public:
  explicit ExactText(std::string_view text) : chars_(new char[text.size() + 1]) {
    std::memcpy(chars_.get(), text.data(), text.size());
    chars_[text.size()] = '\0';
  }
  const char *get() const { return chars_.get(); }
  // Where a parser result points, as an offset; -1 for NULL.
  long Offset(const char *result) const { return result ? result - chars_.get() : -1; }

 private:
  std::unique_ptr<char[]> chars_;
};

inline std::string Hex(uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

// `bytes` as lines of sixteen pairs, one space between, each line ending in CR LF.
inline std::string HexLines(const std::vector<uint8_t> &bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    text += Hex(bytes[i]);
    text += (i % 16 == 15 || i + 1 == bytes.size()) ? "\r\n" : " ";
  }
  return text;
}

// `count` bytes counting up from `first`.
inline std::vector<uint8_t> Counting(int count, int first = 0) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(first + i);
  return bytes;
}

// 512 page frames reset as the tool resets them: bytes 0..135 0xFF, check bytes 0.
class Image {
 public:
  Image() : pages_(std::make_unique<uint8_t[][138]>(512)) {
    for (int n = 0; n < 512; ++n) {
      std::memset(pages_[n], 0xFF, 136);
      pages_[n][136] = pages_[n][137] = 0;
    }
  }
  uint8_t (*get())[138] { return pages_.get(); }
  const uint8_t *operator[](int n) const { return pages_[n]; }
  uint16_t Address(int n) const { return static_cast<uint16_t>(pages_[n][4] | pages_[n][5] << 8); }
  bool Used(int n) const { return !(pages_[n][4] == 0xFF && pages_[n][5] == 0xFF); }
  int UsedCount() const {
    int used = 0;
    for (int n = 0; n < 512; ++n)
      used += Used(n);
    return used;
  }
  // The check bytes of page n are those CheckSum makes over its first 136 bytes.
  bool CheckBytesValid(int n) const {
    uint8_t copy[138];
    std::memcpy(copy, pages_[n], 136);
    copy[136] = copy[137] = 0;
    Api().CheckSum(copy, 138);
    return copy[136] == pages_[n][136] && copy[137] == pages_[n][137];
  }
  // Data bytes from..to-1 of page n.
  std::vector<uint8_t> Data(int n, int from, int to) const { return {pages_[n] + from, pages_[n] + to}; }

 private:
  std::unique_ptr<uint8_t[][138]> pages_;
};

}  // namespace ventrix::testing
