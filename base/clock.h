// The clock seam: a millisecond tick and waits that keep the window alive. The link
// keeps every timing decision (timeouts, pauses, exact-count polling); a clock only
// decides how to pass the time: the real ones sleep in the kernel or in an event
// loop, the virtual one jumps.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/serial_port.h"

namespace rilo {

class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds from an arbitrary start; wraps modulo 2^32.
  virtual uint32_t Tick() = 0;

  // Passes at most `ms` milliseconds, keeping the window alive; 0 only lets pending
  // window events run.
  virtual void Pause(uint32_t ms) = 0;

  // Passes time until `port` holds at least `count` bytes or at most `ms` milliseconds
  // have gone by, whichever comes first; bytes arrive `byteMicros` apart at the line's
  // rate. May return early; callers re-check.
  virtual void WaitForBytes(SerialPort &port, size_t count, uint32_t byteMicros, uint32_t ms) = 0;
};

}  // namespace rilo
