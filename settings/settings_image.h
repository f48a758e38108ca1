// The 256-byte settings memory of a unit (device 0x1000..0x10FF): block 0 carried
// unchanged, block 1 holding every option. "Byte n" in the editor means block 1 offset n.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace rilo {

using SettingsImage = std::array<uint8_t, 256>;
inline constexpr int kBlock1 = 128;

// Block `block` (0 or 1) of an image, as a block read fills it in place.
inline std::span<uint8_t, 128> BlockOf(SettingsImage &image, int block) {
  return std::span<uint8_t, 128>(image.data() + block * kBlock1, 128);
}
inline std::span<const uint8_t, 128> BlockOf(const SettingsImage &image, int block) {
  return std::span<const uint8_t, 128>(image.data() + block * kBlock1, 128);
}

// Block 1 byte n of an image.
inline uint8_t &B1(SettingsImage &image, int n) {
  return image[kBlock1 + n];
}
inline uint8_t B1(const SettingsImage &image, int n) {
  return image[kBlock1 + n];
}

// Device routine sent in place of block 1 bytes 104..121: it XORs the four words at
// 0x1080..0x1087 on the unit. The working image keeps its own bytes there.
inline constexpr std::array<uint8_t, 18> kCheckWordRoutine = {0x15, 0x42, 0x80, 0x10, 0x15, 0xE2,
                                                              0x82, 0x10, 0x15, 0xE2, 0x84, 0x10,
                                                              0x15, 0xE2, 0x86, 0x10, 0x30, 0x41};
inline constexpr int kCheckWordRoutineOffset = 104;

// Bytes 8 and 9: XOR of the even and of the odd bytes among 0..7.
inline void ComputeCheckWord(SettingsImage &image) {
  B1(image, 8) = static_cast<uint8_t>(B1(image, 0) ^ B1(image, 2) ^ B1(image, 4) ^ B1(image, 6));
  B1(image, 9) = static_cast<uint8_t>(B1(image, 1) ^ B1(image, 3) ^ B1(image, 5) ^ B1(image, 7));
}

// Model code bytes 0-1 for a machine type: "12" -> 0F 33, "10" -> 0F 00.
// Answers false for any other type (the write is refused then).
inline bool ModelCode(std::string_view machineType, uint8_t *byte0, uint8_t *byte1) {
  if (machineType == "12") {
    *byte0 = 0x0F;
    *byte1 = 0x33;
  } else if (machineType == "10") {
    *byte0 = 0x0F;
    *byte1 = 0x00;
  } else {
    return false;
  }
  return true;
}

// Machine type named by block 1 bytes 0-1 ("10", "12"), or empty.
inline std::string_view MachineTypeOf(const SettingsImage &image) {
  if (B1(image, 0) != 0x0F) return {};
  if (B1(image, 1) == 0x00) return "10";
  if (B1(image, 1) == 0x33) return "12";
  return {};
}

// Stamping before a block 1 write: model code, markers 17 and 20, check word.
// Changes the image itself; false (image untouched) for an unknown machine type.
inline bool StampBlock1(SettingsImage &image, std::string_view machineType) {
  uint8_t b0, b1;
  if (!ModelCode(machineType, &b0, &b1)) return false;
  B1(image, 0) = b0;
  B1(image, 1) = b1;
  B1(image, 17) = 0xEE;
  B1(image, 20) = 0xEF;
  ComputeCheckWord(image);
  return true;
}

}  // namespace rilo
