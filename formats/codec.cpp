// Hamming codewords of hexadecimal digits and the loader's check bytes.
#include <array>

#include "formats/ventrix.h"

namespace {

// Codeword of digit d: XOR of 0x0F (bit 0), 0x33 (bit 1), 0x55 (bit 2), 0x96 (bit 3).
constexpr std::array<uint8_t, 16> kCodewords = {0x00, 0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66, 0x69,
                                                0x96, 0x99, 0xA5, 0xAA, 0xC3, 0xCC, 0xF0, 0xFF};
constexpr uint8_t kInvalid = 0xEE;

}  // namespace

extern "C" uint8_t DeHamming(uint8_t digit) {
  return digit < 16 ? kCodewords[digit] : kInvalid;
}

extern "C" uint8_t ReHamming(uint8_t codeword) {
  for (uint8_t d = 0; d < 16; ++d)
    if (kCodewords[d] == codeword) return d;
  return kInvalid;
}

extern "C" int32_t CheckSum(uint8_t *buf, int32_t len) {
  if (!buf || len < 2) return -1;
  uint8_t &low = buf[len - 2];
  uint8_t &high = buf[len - 1];
  for (int32_t i = 0; i < len - 2; ++i) {
    if (i % 2 == 0)
      low = static_cast<uint8_t>(low ^ buf[i]);
    else
      high = static_cast<uint8_t>(high ^ buf[i]);
  }
  low = static_cast<uint8_t>(~low);
  high = static_cast<uint8_t>(~high);
  return 0;
}
