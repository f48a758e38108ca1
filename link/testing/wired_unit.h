// The tool's link and loader wired in-process to one simulated unit on the virtual
// clock, with the product line read from the data file beside the test program.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>

#include "base/virtual_clock.h"
#include "core/testing/scripted_operator.h"
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

inline const ShownMessage kModelError{"型號錯誤", "機器型號錯誤,請確認您的機器型號是否正確!!", Icon::Error,
                                      false};
inline const ShownMessage kConnectFailed{"連線失敗",
                                         "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;"
                                         "若通信埠錯誤,需於設定後重新啟動程式!",
                                         Icon::Error, false};

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
