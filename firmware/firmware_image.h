// Firmware held as ready-to-send 138-byte block-write frames of the unit's loader:
// 80 12 8A 8A, address low, address high, 80 00, 128 data bytes, two check bytes.
// Address bytes FF FF mark an unused page.
#pragma once

#include <array>
#include <cstdint>

namespace rilo {

inline constexpr int kPageSize = 138;
inline constexpr int kPageData = 8;  // offset of the 128 data bytes
inline constexpr int kImagePages = 512;

using PageFrame = std::array<uint8_t, kPageSize>;
using FirmwareImage = std::array<PageFrame, kImagePages>;  // 70,656 bytes: keep it off the stack
using VectorTable = std::array<uint8_t, 32>;               // device 0xFFE0..0xFFFF

inline uint16_t PageAddress(const PageFrame &page) {
  return static_cast<uint16_t>(page[4] | page[5] << 8);
}
inline bool IsUsed(const PageFrame &page) {
  return !(page[4] == 0xFF && page[5] == 0xFF);
}

// Header of a page frame for `address`; data and check bytes untouched.
inline void SetPageHeader(PageFrame &page, uint16_t address) {
  page[0] = 0x80;
  page[1] = 0x12;
  page[2] = 0x8A;
  page[3] = 0x8A;
  page[4] = static_cast<uint8_t>(address & 0xFF);
  page[5] = static_cast<uint8_t>(address >> 8);
  page[6] = 0x80;
  page[7] = 0x00;
}

// The reset every image gets at start-up and before a file is parsed into it:
// bytes 0..135 = 0xFF, the check bytes 0.
inline void ResetImage(FirmwareImage &image) {
  for (auto &page : image) {
    page.fill(0xFF);
    page[136] = 0;
    page[137] = 0;
  }
}

// First page whose address is `address`, or nullptr. Scans all 512 pages.
inline const PageFrame *FindPage(const FirmwareImage &image, uint16_t address) {
  for (const auto &page : image)
    if (PageAddress(page) == address) return &page;
  return nullptr;
}

}  // namespace rilo
