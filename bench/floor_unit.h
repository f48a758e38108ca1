// The floor a device benchmark holds a command to: its time on the virtual clock
// against the same simulated unit in-process, less the wire time of the tool's own
// frames, which a pseudo-terminal carries at once. Waits, time-outs and reply pacing
// are the same, and every frame the command sends (read-backs included) is in it.
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
  explicit FloorUnit(const ProductLine &line) : unit_(Config(line)) {}

  SerialPort &port() { return port_; }
  Clock &clock() { return clock_; }

  // Runs `command` and answers its floor in milliseconds; nothing when it failed.
  std::optional<double> Time(const std::function<bool()> &command) {
    const double start = WithoutRequestsMs();
    if (!command()) return std::nullopt;
    return WithoutRequestsMs() - start;
  }

 private:
  static sim::UnitConfig Config(const ProductLine &line) {
    sim::UnitConfig config = sim::StandardUnit(sim::Model::kReceiver16k, line);
    config.entry = sim::Entry::kFirstSync;  // as rilo-unit-sim: a pseudo-terminal has no modem lines
    return config;
  }
  double WithoutRequestsMs() const {
    uint64_t bytes = 0;
    for (const auto &write : port_.writes())
      bytes += write.size();
    return static_cast<double>(clock_.NowMicros() - bytes * kByteMicros) / 1000.0;
  }

  sim::Unit unit_;
  VirtualClock clock_;
  sim::SimulatedPort port_{unit_, clock_};
};

}  // namespace rilo::bench
