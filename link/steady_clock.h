// The real clock without a window: waits sleep in the kernel, never spin. A wait for
// bytes sleeps the wire time of the bytes still missing, so a reply being received
// costs one wake-up per batch, not one per poll.
#pragma once

#include "base/clock.h"

namespace rilo {

class SteadyClock : public Clock {
 public:
  uint32_t Tick() override;
  void Pause(uint32_t ms) override;
  void WaitForBytes(SerialPort &port, size_t count, uint32_t byteMicros, uint32_t ms) override;
};

}  // namespace rilo
