// The 64 KB a unit's loader can reach: peripherals, a little RAM, the boot ROM with the
// chip's identity, and flash from 0x1000 up with the rules of real flash: an erase sets
// a whole segment to 0xFF, programming can only clear bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace rilo::sim {

inline constexpr uint32_t kRamStart = 0x0200;
inline constexpr uint32_t kRamEnd = 0x0300;               // 256 bytes, the smallest RAM of the family
inline constexpr uint32_t kChipIdentityAddress = 0x0FF0;  // chip id at +0, loader version at +10
inline constexpr uint32_t kFlashStart = 0x1000;
inline constexpr uint32_t kMainFlashStart = 0x1100;  // below: two 128-byte information segments
inline constexpr uint32_t kMemoryEnd = 0x10000;
inline constexpr uint32_t kInfoSegmentSize = 128;
inline constexpr uint32_t kMainSegmentSize = 512;

class UnitMemory {
 public:
  enum class Area { kNone, kPeripherals, kRam, kFlash };

  // Peripherals, RAM and ROM read 0; flash is erased.
  UnitMemory();

  uint8_t At(uint32_t address) const { return bytes_[address]; }
  std::span<const uint8_t> Bytes(uint32_t address, size_t count) const {
    return std::span<const uint8_t>(bytes_).subspan(address, count);
  }
  std::span<const uint8_t> All() const { return bytes_; }

  // Where `count` bytes from `address` can be written: all in the peripheral
  // registers, all in RAM, all in flash, or none of these (ROM, past the end, or
  // across two areas).
  static Area WritableArea(uint32_t address, size_t count);
  // Writes as the loader does: RAM takes the bytes, flash keeps a bit only where both
  // the old and the new byte have it. The range must be writable.
  void Write(uint32_t address, std::span<const uint8_t> data);

  // Erases the segment holding `address` (128 bytes below 0x1100, else 512 aligned
  // to 512, the lowest one cut short at 0x1100); false when `address` is not in flash.
  bool EraseSegment(uint32_t address);
  // Erases all flash: both information segments, the program and the password area.
  void MassErase();

  // Puts bytes in place whatever was there before, as a factory programmer or a test
  // setting up a unit does; ROM included.
  void Load(uint32_t address, std::span<const uint8_t> data);

  // A worn flash cell: bit `bit` of the byte at `address` holds `level` from now on,
  // whatever is erased or programmed there.
  void StickBit(uint32_t address, int bit, bool level);

 private:
  struct StuckBit {
    uint32_t address;
    uint8_t mask;
    bool level;
  };
  void HoldStuckBits();

  std::array<uint8_t, kMemoryEnd> bytes_{};
  std::vector<StuckBit> stuck_;
};

}  // namespace rilo::sim
