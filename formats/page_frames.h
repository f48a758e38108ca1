// Firmware pages as the parsers build them: complete 138-byte block-write frames of
// the unit's loader (80 12 8A 8A, address low, address high, 80 00, 128 data bytes,
// two check bytes). Address bytes FF FF mark an unused page.
#pragma once

#include <cstdint>

#include "formats/ventrix.h"

namespace ventrix {

inline constexpr int kPages = 512;
inline constexpr int kFrameSize = 138;
inline constexpr int kDataStart = 8;
inline constexpr int kDataEnd = 136;          // one past the last data byte
inline constexpr uint16_t kTopPage = 0xFF60;  // covers 0xFF60..0xFFDF, the top of program memory
inline constexpr uint16_t kVectorArea = 0xFFE0;
inline constexpr int kVectorBytes = 32;

using Frame = uint8_t[kFrameSize];

// Header for `address` and cleared check bytes; the data bytes keep what they hold.
inline void BeginPage(Frame &page, uint16_t address) {
  page[0] = 0x80;
  page[1] = 0x12;
  page[2] = 0x8A;
  page[3] = 0x8A;
  page[4] = static_cast<uint8_t>(address & 0xFF);
  page[5] = static_cast<uint8_t>(address >> 8);
  page[6] = 0x80;
  page[7] = 0x00;
  page[136] = 0x00;
  page[137] = 0x00;
}

// Fresh check bytes on every used page. Cleared first, so a page the caller left
// used from before gets correct bytes instead of a second fold over stale ones.
inline void RefreshCheckBytes(Frame *image) {
  for (int n = 0; n < kPages; ++n) {
    Frame &page = image[n];
    if (page[4] == 0xFF && page[5] == 0xFF) continue;
    page[136] = 0x00;
    page[137] = 0x00;
    CheckSum(page, kFrameSize);
  }
}

}  // namespace ventrix
