// The bootstrap loader in a unit's boot ROM: what it does with each request and what
// it answers. Timing, the wire and the modem lines are the unit's business.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/frame_decoder.h"
#include "sim/unit_config.h"
#include "sim/unit_memory.h"

namespace rilo::sim {

inline constexpr uint8_t kAck = 0x90;
inline constexpr uint8_t kNak = 0xA0;

// Flash timing of the family's flash controller (about 350 kHz): what a reply waits for.
inline constexpr uint32_t kSegmentEraseMicros = 13800;
inline constexpr uint32_t kMassEraseMicros = 15100;
inline constexpr uint32_t kProgramMicrosPerByte = 100;

class Loader {
 public:
  // The UART's rate after a rate change: nominal, and whether the clock values the host
  // gave are the ones that make it (others leave the UART at a rate no host meets).
  struct Rate {
    uint32_t baud = 0;
    bool skewed = false;
  };

  struct Outcome {
    std::vector<uint8_t> reply;
    uint32_t busy_micros = 0;    // work done before the reply starts
    bool leaves_loader = false;  // the loader jumped elsewhere after replying
    std::optional<Rate> rate;    // the UART changes to this once the reply is out
  };

  Loader(UnitMemory &memory, LoaderVersion version);

  // The loader starts afresh: locked, running from ROM.
  void Restart();
  Outcome Answer(const Request &request);

  bool unlocked() const { return unlocked_; }
  // Loader 1.10 runs the RAM patch for the one command after StartPatch.
  bool patch_running() const { return patch_running_; }

 private:
  Outcome Execute(const Request &request, bool patched);
  Outcome BlockWrite(const Request &request, bool patched);
  Outcome BlockRead(uint32_t address, size_t count) const;
  Outcome LoadProgramCounter(uint16_t address);
  Outcome ChangeRate(const Request &request) const;
  bool PatchInRam() const;

  UnitMemory &memory_;
  LoaderVersion version_;
  bool unlocked_ = false;
  bool patch_running_ = false;
};

}  // namespace rilo::sim
