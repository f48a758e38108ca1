#include "sim/unit_memory.h"

#include <algorithm>

namespace rilo::sim {

UnitMemory::UnitMemory() {
  MassErase();
}

UnitMemory::Area UnitMemory::WritableArea(uint32_t address, size_t count) {
  const uint64_t end = uint64_t{address} + count;
  if (count == 0) return Area::kNone;
  if (end <= kRamStart) return Area::kPeripherals;
  if (address >= kRamStart && end <= kRamEnd) return Area::kRam;
  if (address >= kFlashStart && end <= kMemoryEnd) return Area::kFlash;
  return Area::kNone;
}

void UnitMemory::Write(uint32_t address, std::span<const uint8_t> data) {
  const bool flash = WritableArea(address, data.size()) == Area::kFlash;
  // Registers and RAM take the bytes as they are.
  for (size_t i = 0; i < data.size(); ++i) {
    uint8_t &cell = bytes_[address + i];
    cell = flash ? static_cast<uint8_t>(cell & data[i]) : data[i];
  }
  HoldStuckBits();
}

bool UnitMemory::EraseSegment(uint32_t address) {
  if (address < kFlashStart || address >= kMemoryEnd) return false;
  const uint32_t size = address < kMainFlashStart ? kInfoSegmentSize : kMainSegmentSize;
  const uint32_t start = address / size * size;
  // Main segments align to 512 from the top; the lowest ends where the information
  // segments begin.
  const uint32_t from = std::max(start, address < kMainFlashStart ? kFlashStart : kMainFlashStart);
  std::fill(bytes_.begin() + from, bytes_.begin() + start + size, uint8_t{0xFF});
  HoldStuckBits();
  return true;
}

void UnitMemory::MassErase() {
  std::fill(bytes_.begin() + kFlashStart, bytes_.end(), uint8_t{0xFF});
  HoldStuckBits();
}

void UnitMemory::Load(uint32_t address, std::span<const uint8_t> data) {
  if (address >= kMemoryEnd) return;
  const size_t count = std::min<size_t>(data.size(), kMemoryEnd - address);
  std::copy_n(data.begin(), count, bytes_.begin() + address);
}

void UnitMemory::StickBit(uint32_t address, int bit, bool level) {
  if (address >= kMemoryEnd || bit < 0 || bit > 7) return;
  stuck_.push_back({address, static_cast<uint8_t>(1u << bit), level});
  HoldStuckBits();
}

void UnitMemory::HoldStuckBits() {
  for (const StuckBit &stuck : stuck_) {
    uint8_t &cell = bytes_[stuck.address];
    cell = static_cast<uint8_t>(stuck.level ? cell | stuck.mask : cell & ~stuck.mask);
  }
}

}  // namespace rilo::sim
