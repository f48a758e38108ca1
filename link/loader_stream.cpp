// Streamed transfers: frames sent one after another into a loader opened once, on a
// line moved to a faster rate where the loader can follow.
#include <array>

#include "link/loader.h"

namespace rilo {
namespace {

constexpr uint32_t kRateWaitMs = 50;
// The loader answers the rate change at the old rate and then moves its clock: the
// host waits this long before it follows.
constexpr uint32_t kRateSettleMs = 10;
constexpr uint32_t kStreamSyncWaitMs = 50;
// Without the pause after a frame, a wait must hold what a USB adapter keeps back (up
// to 16 ms) as well as the answer itself.
constexpr uint32_t kStartPatchWaitMs = 50;
constexpr uint16_t kRateCommandSince = 0x0160;  // loader version, as its digits read

// Clock register values (DCOCTL low, BCSCTL1 high) that give the loader each rate, by
// chip family (the chip identity's first byte), and the rate's code.
struct RateClocks {
  uint32_t baud;
  uint8_t code;
  uint16_t f1, f2, f4;
};
constexpr std::array<RateClocks, 3> kRateClocks = {{
    {9600, 0, 0x8580, 0x8880, 0x9800},
    {19200, 1, 0x86E0, 0x8B00, 0xB000},
    {38400, 2, 0x87E0, 0x8C80, 0xC800},
}};

}  // namespace

std::optional<Frame10> Loader::RateFrame(uint32_t baud) const {
  if (LoaderVersion < kRateCommandSince) return std::nullopt;
  for (const RateClocks &rate : kRateClocks) {
    if (rate.baud != baud) continue;
    uint16_t clocks = 0;
    switch (ChipId[0]) {
      case 0xF1:
        clocks = rate.f1;
        break;
      case 0xF2:
        clocks = rate.f2;
        break;
      case 0xF4:
        clocks = rate.f4;
        break;
      default:
        return std::nullopt;
    }
    Frame10 frame = {
        0x80,      0x20, 0x04, 0x04, static_cast<uint8_t>(clocks & 0xFF), static_cast<uint8_t>(clocks >> 8),
        rate.code, 0x00};
    Seal(frame.data(), frame.size());
    return frame;
  }
  return std::nullopt;
}

uint32_t Loader::SpeedUp(uint32_t baud) {
  const auto frame = baud == kLoaderBaud ? std::nullopt : RateFrame(baud);
  if (!frame) return kLoaderBaud;
  link_.Send(frame->data(), frame->size());
  link_.WaitReply(kRateWaitMs, 1);
  if (Accepted()) {
    link_.Delay(kRateSettleMs);
    if (link_.SetRate(baud)) {
      link_.Send(&kSync, 1);
      link_.WaitReply(kStreamSyncWaitMs, 1);
      if (Accepted()) return baud;
    }
  }
  // Refused, or lost at the new rate: a reset brings the loader back to 9600, and the
  // line goes back with it.
  EnterLoader();
  return SendPassword() ? kLoaderBaud : 0;
}

bool Loader::StreamStartPatch() {
  link_.Send(kStartPatchFrame.data(), kStartPatchFrame.size());
  link_.WaitReply(kStartPatchWaitMs, 1);
  return Accepted();
}

bool Loader::StreamPage(const PageFrame &page, uint32_t waitMs) {
  link_.Send(page.data(), page.size());
  link_.WaitReply(waitMs, 1);
  return Accepted();
}

ReadOutcome Loader::StreamRead(uint16_t address, std::span<uint8_t, 128> data) {
  return ReadFromOpenLoader(address, data, false);
}

}  // namespace rilo
