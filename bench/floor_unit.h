// The floor a device benchmark holds a command to: its time on the virtual clock
// against the same simulated unit in-process. Wire time both ways, waits, time-outs,
// the loader's answer times and every frame the command sends (read-backs included)
// are in it, as on a real line.
#pragma once

#include <functional>
#include <optional>

#include "base/product_line.h"
#include "base/virtual_clock.h"
#include "sim/simulated_port.h"
#include "sim/unit.h"

namespace rilo::bench {

// A 16 KB receiver as rilo-unit-sim serves it, in-process on the virtual clock. The
// command under measure runs on port() and clock().
class FloorUnit {
 public:
  FloorUnit(const ProductLine &line, sim::LoaderVersion loader) : unit_(Config(line, loader)) {}

  SerialPort &port() { return port_; }
  Clock &clock() { return clock_; }

  // Runs `command` and answers its floor in milliseconds; nothing when it failed.
  std::optional<double> Time(const std::function<bool()> &command) {
    const uint64_t start = clock_.NowMicros();
    if (!command()) return std::nullopt;
    return static_cast<double>(clock_.NowMicros() - start) / 1000.0;
  }

 private:
  static sim::UnitConfig Config(const ProductLine &line, sim::LoaderVersion loader) {
    sim::UnitConfig config = sim::StandardUnit(sim::Model::kReceiver16k, line);
    config.loader = loader;
    config.entry = sim::Entry::kFirstSync;  // as rilo-unit-sim: a pseudo-terminal has no modem lines
    return config;
  }

  sim::Unit unit_;
  VirtualClock clock_;
  sim::SimulatedPort port_{unit_, clock_};
};

}  // namespace rilo::bench
