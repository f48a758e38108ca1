// The clock of the window program: waits run a local event loop, so the window repaints,
// the status-bar clock ticks and the CPU sleeps while a unit is being talked to.
#pragma once

#include <QElapsedTimer>

#include "base/clock.h"

namespace rilo {

class QtClock : public Clock {
 public:
  QtClock() { started_.start(); }

  uint32_t Tick() override;
  void Pause(uint32_t ms) override;
  void WaitForBytes(SerialPort &port, size_t count, uint32_t byteMicros, uint32_t ms) override;

 private:
  QElapsedTimer started_;
};

}  // namespace rilo
