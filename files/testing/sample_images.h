// Firmware images with a recognisable byte at every address, shaped as a unit read
// or a text file leaves them. For tests and benchmarks; 70 KB each, on the heap.
#pragma once

#include <cstdint>
#include <memory>

#include "firmware/firmware_image.h"
#include "settings/settings_image.h"

namespace rilo::testing {

// The byte a sample image holds at `address`; `seed` tells images apart.
inline uint8_t SampleByte(uint32_t address, uint8_t seed) {
  return static_cast<uint8_t>((address * 7 + (address >> 8) * 13 + seed) & 0xFF);
}

inline std::unique_ptr<FirmwareImage> BlankImage() {
  auto image = std::make_unique<FirmwareImage>();
  ResetImage(*image);
  return image;
}

// Fills page `index` as an ordinary page of `address`: 128 sample bytes.
inline void FillPage(FirmwareImage &image, int index, uint16_t address, uint8_t seed) {
  SetPageHeader(image[index], address);
  for (int i = 0; i < 128; ++i)
    image[index][kPageData + i] = SampleByte(address + i, seed);
}

// Pages `start`, `start` + 128, ... 0xFF00, then the top page: 0xFF80 as a unit read
// gives it (0xFF80..0xFFDF, then 0xFF for the vector area) or 0xFF60 as a text file
// gives it (0xFF for 0xFF60..0xFF7F, then 0xFF80..0xFFDF).
inline std::unique_ptr<FirmwareImage> RunImage(uint16_t start, uint16_t top, uint8_t seed) {
  auto image = BlankImage();
  int index = 0;
  for (uint32_t address = start; address <= 0xFF00; address += 128)
    FillPage(*image, index++, static_cast<uint16_t>(address), seed);
  PageFrame &page = (*image)[index];
  SetPageHeader(page, top);
  const int first = top == 0xFF60 ? kPageData + 32 : kPageData;
  for (int i = 0; i < 96; ++i)
    page[first + i] = SampleByte(0xFF80 + i, seed);
  return image;
}

inline SettingsImage SampleSettings(uint8_t seed) {
  SettingsImage settings;
  for (int i = 0; i < 256; ++i)
    settings[i] = SampleByte(0x1000 + i, seed);
  return settings;
}

}  // namespace rilo::testing
