#include "sim/loader.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/loader_patch.h"
#include "sim/check_bytes.h"

namespace rilo::sim {
namespace {

constexpr uint16_t kRomLoaderEntry = 0x0C22;
constexpr uint32_t kPasswordAddress = 0xFFE0;
constexpr size_t kVersionBytes = 16;  // the chip identity block at 0x0FF0..0x0FFF
constexpr uint32_t kWatchdogControl = 0x0120;
constexpr uint8_t kWatchdogKey = 0x5A;  // the high byte every write to WDTCTL must carry

// Clock register values (DCOCTL low, BCSCTL1 high) that give each rate code its rate,
// by chip family: rate codes 0, 1, 2 are 9600, 19200, 38400.
struct FamilyClocks {
  uint8_t family;  // first byte of the chip identity
  std::array<uint16_t, 3> clocks;
};
constexpr FamilyClocks kFamilyClocks[] = {
    {0xF1, {0x8580, 0x86E0, 0x87E0}},
    {0xF2, {0x8880, 0x8B00, 0x8C80}},
    {0xF4, {0x9800, 0xB000, 0xC800}},
};
constexpr uint32_t kRates[] = {9600, 19200, 38400};

bool IsProtected(uint8_t command) {
  return command == 0x12 || command == 0x14 || command == 0x16 || command == 0x1A;
}

Loader::Outcome Reply(uint8_t byte, uint32_t busy = 0) {
  return {{byte}, busy, false, std::nullopt};
}

}  // namespace

Loader::Loader(UnitMemory &memory, LoaderVersion version) : memory_(memory), version_(version) {}

void Loader::Restart() {
  unlocked_ = false;
  patch_running_ = false;
}

Loader::Outcome Loader::Answer(const Request &request) {
  if (request.kind == Request::Kind::kSync) return Reply(kAck);
  // The patch serves the one command after StartPatch, then hands back to the ROM.
  const bool patched = std::exchange(patch_running_, false);
  if (request.kind == Request::Kind::kMalformed) return Reply(kNak);
  return Execute(request, patched);
}

Loader::Outcome Loader::Execute(const Request &request, bool patched) {
  const uint8_t command = request.command();
  if (IsProtected(command) && !unlocked_) return Reply(kNak);
  switch (command) {
    case 0x10:
      unlocked_ =
          std::equal(request.data(), request.data() + 32, memory_.Bytes(kPasswordAddress, 32).begin());
      return Reply(unlocked_ ? kAck : kNak);
    case 0x12:
      return BlockWrite(request, patched);
    case 0x14:
      return BlockRead(request.address(), request.length());
    case 0x16:
      return memory_.EraseSegment(request.address()) ? Reply(kAck, kSegmentEraseMicros) : Reply(kNak);
    case 0x18:  // address and erase key are not looked at: hosts send 0000 or A506
      memory_.MassErase();
      return Reply(kAck, kMassEraseMicros);
    case 0x1A:
      return LoadProgramCounter(request.address());
    case 0x1E:
      if (version_ == kLoader110) return Reply(kNak);  // 1.10 predates the query
      return BlockRead(kChipIdentityAddress, kVersionBytes);
    case 0x20:
      return ChangeRate(request);
    default:
      return Reply(kNak);
  }
}

Loader::Outcome Loader::BlockWrite(const Request &request, bool patched) {
  const uint32_t address = request.address();
  const size_t count = request.data_size();
  switch (UnitMemory::WritableArea(address, count)) {
    case UnitMemory::Area::kPeripherals:
      memory_.Write(address, {request.data(), count});
      // A watchdog word without its key resets the chip at once: no answer, and the
      // chip starts its program. Hosts use this to end a session.
      if (address <= kWatchdogControl + 1 && address + count > kWatchdogControl + 1 &&
          request.data()[kWatchdogControl + 1 - address] != kWatchdogKey)
        return {{}, 0, true, std::nullopt};
      return Reply(kAck);
    case UnitMemory::Area::kRam:
      memory_.Write(address, {request.data(), count});
      return Reply(kAck);
    case UnitMemory::Area::kFlash:
      // Loader 1.10 cannot program flash by itself; its RAM patch can.
      if (version_ == kLoader110 && !patched) return Reply(kNak);
      memory_.Write(address, {request.data(), count});
      return Reply(kAck, static_cast<uint32_t>(count * kProgramMicrosPerByte));
    case UnitMemory::Area::kNone:
      break;
  }
  return Reply(kNak);
}

Loader::Outcome Loader::BlockRead(uint32_t address, size_t count) const {
  if (count == 0 || count > kMaxBlockBytes || address + count > kMemoryEnd) return Reply(kNak);
  Outcome outcome;
  auto &reply = outcome.reply;
  const auto n = static_cast<uint8_t>(count);
  reply = {0x80, 0x00, n, n};
  const auto data = memory_.Bytes(address, count);
  reply.insert(reply.end(), data.begin(), data.end());
  const auto check = CheckBytesOf(reply);
  reply.insert(reply.end(), check.begin(), check.end());
  return outcome;
}

Loader::Outcome Loader::LoadProgramCounter(uint16_t address) {
  if (address == kRomLoaderEntry) {  // the ROM loader starts over, locked again
    Restart();
    return Reply(kAck);
  }
  // The patch calls into the 1.10 ROM; anywhere else, or on another version, the jump
  // leaves the loader (to the program, or to whatever the RAM holds).
  if (address == kLoaderPatchAddress && version_ == kLoader110 && PatchInRam()) {
    patch_running_ = true;
    return Reply(kAck);
  }
  return {{kAck}, 0, true, std::nullopt};
}

// From version 1.60 on, unprotected. The loader sets its clock from the address field and
// its UART from the rate code, answering at the old rate; it does not check the values.
Loader::Outcome Loader::ChangeRate(const Request &request) const {
  const bool has_command = version_.major > 1 || (version_.major == 1 && version_.minor >= 0x60);
  const uint16_t code = request.length();
  if (!has_command || code >= std::size(kRates)) return Reply(kNak);
  const uint8_t family = memory_.At(kChipIdentityAddress);
  bool right_clock = false;
  for (const FamilyClocks &entry : kFamilyClocks)
    if (entry.family == family) right_clock = entry.clocks[code] == request.address();
  Outcome outcome = Reply(kAck);
  outcome.rate = Rate{kRates[code], !right_clock};
  return outcome;
}

bool Loader::PatchInRam() const {
  const auto ram = memory_.Bytes(kLoaderPatchAddress, kLoaderPatch.size());
  return std::equal(ram.begin(), ram.end(), kLoaderPatch.begin());
}

}  // namespace rilo::sim
