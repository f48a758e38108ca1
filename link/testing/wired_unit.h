// The tool's link and loader wired in-process to one simulated unit on the virtual
// clock, with the product line read from the data file beside the test program.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>

#include "base/virtual_clock.h"
#include "link/loader.h"
#include "link/testing/loader_fixture.h"
#include "sim/simulated_port.h"
#include "sim/unit.h"

namespace rilo::testing {

inline const ProductLine &ToolProductLine() {
  static const ProductLine line = [] {
    std::string error;
    auto read = ReadProductLineBesideProgram(&error);
    if (!read) throw std::runtime_error(error);
    return *read;
  }();
  return line;
}

inline sim::UnitConfig Standard(sim::Model model) {
  return sim::StandardUnit(model, ToolProductLine());
}

struct Wired {
  explicit Wired(const sim::UnitConfig &config) : unit(config) { EXPECT_TRUE(link.OpenPort("/dev/sim")); }

  // The unit's settings memory 0x1000..0x10FF.
  std::array<uint8_t, 256> UnitSettings() const {
    std::array<uint8_t, 256> s;
    const auto bytes = unit.memory().Bytes(0x1000, 256);
    std::copy(bytes.begin(), bytes.end(), s.begin());
    return s;
  }

  sim::Unit unit;
  VirtualClock clock;
  sim::SimulatedPort port{unit, clock};
  Link link{port, clock};
  Loader loader{link, Ventrix(), ToolProductLine()};
};

}  // namespace rilo::testing
