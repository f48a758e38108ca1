// A clock for tests: time passes only when the code under test waits, in steps small
// enough that a simulated unit's bytes are seen at their arrival moment (to 0.1 ms).
#pragma once

#include <algorithm>

#include "base/clock.h"

namespace rilo {

class VirtualClock : public Clock {
 public:
  uint64_t NowMicros() const { return now_; }
  void AdvanceMicros(uint64_t us) { now_ += us; }

  uint32_t Tick() override { return static_cast<uint32_t>(now_ / 1000); }
  void Pause(uint32_t ms) override { now_ += uint64_t{ms} * 1000; }
  void WaitForBytes(SerialPort &port, size_t count, uint32_t, uint32_t ms) override {
    const uint64_t end = now_ + uint64_t{ms} * 1000;
    while (now_ < end && port.BytesWaiting() < count)
      now_ = std::min(end, now_ + kStepMicros);
  }

 private:
  static constexpr uint64_t kStepMicros = 100;
  uint64_t now_ = 0;
};

}  // namespace rilo
