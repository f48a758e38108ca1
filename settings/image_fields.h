// Bit and word access to block 1 of a SettingsImage, in the byte orders the units use.
#pragma once

#include <cstdint>

#include "settings/settings_image.h"

namespace rilo {

inline bool Bit(const SettingsImage &image, int n, int bit) {
  return (B1(image, n) >> bit) & 1;
}

inline void SetBit(SettingsImage &image, int n, int bit, bool on) {
  const auto mask = static_cast<uint8_t>(1u << bit);
  B1(image, n) = static_cast<uint8_t>(on ? (B1(image, n) | mask) : (B1(image, n) & ~mask));
}

// 16 bits, least significant byte first.
inline uint16_t Get16(const SettingsImage &image, int n) {
  return static_cast<uint16_t>(B1(image, n) | B1(image, n + 1) << 8);
}
inline void Put16(SettingsImage &image, int n, uint16_t value) {
  B1(image, n) = static_cast<uint8_t>(value & 0xFF);
  B1(image, n + 1) = static_cast<uint8_t>(value >> 8);
}

// 32 bits as two 16-bit words, the high word first, each word least significant byte first.
inline uint32_t Get32(const SettingsImage &image, int n) {
  return static_cast<uint32_t>(Get16(image, n)) << 16 | Get16(image, n + 2);
}
inline void Put32(SettingsImage &image, int n, uint32_t value) {
  Put16(image, n, static_cast<uint16_t>(value >> 16));
  Put16(image, n + 2, static_cast<uint16_t>(value & 0xFFFF));
}

}  // namespace rilo
