// The window's firmware commands over the real termios port and steady clock, against
// rilo-unit-sim (a 16 KB receiver, loader 1.10) on a pseudo-terminal: the 128-page
// read, then a burn of what was read back into the unit, with and without reading it
// back afterwards. Prints wall time against the floor of fixed waits and reply wire
// time, and the tool's CPU time.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/floor_unit.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"
#include "link/posix_serial_port.h"
#include "link/steady_clock.h"
#include "workbench/workbench.h"

namespace {

using namespace rilo;

// The window's Workbench with the factory flag, on a given port and clock, with COM1
// pointing at `device`.
struct FactoryWindow {
  FactoryWindow(SerialPort &port, Clock &clock, const VentrixApi &ventrix, const ProductLine &productLine,
                const std::string &device)
      : bench(store, person, port, clock, ventrix, productLine) {
    for (const char *name : {"Left", "Top", "Height", "Width"})
      store.WriteInteger(name, 0);
    store.WriteString("COM", "COM1");
    for (const char *flag : {"BattLow", "BattLowAction", "TxEMSCount", "BattCount", "Key1Time", "SpecialFunc",
                             "CustomerInfo", "IDCODE", "DateCode", "SN"})
      store.WriteBool(flag, false);
    store.WriteBool("Factory", true);
    store.WriteString("PortDevice.COM1", device);
    bench.FormMenuCreate({});
    bench.FormMenuShow();
  }
  testing::ScriptedOperator person;
  MemoryPreferences store;
  Workbench bench;

  bool Read() { return Done(bench.NLoadRxPrgClick()); }
  bool Burn(bool verify) {
    bench.UseVerifyBurn(verify);
    bench.editor().UseIdIncrement(false);  // the same identity every time
    return Done(bench.NWriteRxPrgClick());
  }
  static bool Done(const Outcome &outcome) {
    if (!outcome.done)
      for (const auto &m : outcome.messages)
        std::printf("  message: %s\n", m.text.c_str());
    return outcome.done;
  }
};

struct Step {
  const char *what;
  bool (*run)(FactoryWindow &);
};
const Step kSteps[] = {
    {"receiver read, 128 pages (NLoadRxPrgClick)", [](FactoryWindow &w) { return w.Read(); }},
    {"receiver burn, 128 pages, verified (NWriteRxPrgClick)", [](FactoryWindow &w) { return w.Burn(true); }},
    {"receiver burn, 128 pages, not verified", [](FactoryWindow &w) { return w.Burn(false); }},
};

// The floor of each step, the steps run in order on one unit.
std::optional<std::vector<double>> MeasureFloors(const VentrixApi &ventrix, const ProductLine &productLine) {
  bench::FloorUnit unit(productLine);
  FactoryWindow window(unit.port(), unit.clock(), ventrix, productLine, "/dev/sim");
  std::vector<double> floors;
  for (const Step &step : kSteps) {
    const auto floor = unit.Time([&] { return step.run(window); });
    if (!floor) return std::nullopt;
    floors.push_back(*floor);
  }
  return floors;
}

}  // namespace

int main() {
  std::string error;
  const auto ventrix = LoadVentrixBesideProgram(&error);
  const auto productLine = ventrix ? ReadProductLineBesideProgram(&error) : std::nullopt;
  if (!productLine) {
    std::fprintf(stderr, "firmware_bench: %s\n", error.c_str());
    return 1;
  }
  const auto floors = MeasureFloors(*ventrix, *productLine);
  if (!floors) {
    std::fprintf(stderr, "firmware_bench: the firmware commands fail against the in-process unit\n");
    return 1;
  }
  testing::UnitSimProcess unit({"--role", "rx"});
  if (!unit.ok()) {
    std::fprintf(stderr, "firmware_bench: rilo-unit-sim did not start\n");
    return 1;
  }
  PosixSerialPort port;
  SteadyClock clock;
  FactoryWindow window(port, clock, *ventrix, *productLine, unit.device());
  for (size_t i = 0; i < std::size(kSteps); ++i)
    if (!bench::Measure(kSteps[i].what, (*floors)[i], [&] { return kSteps[i].run(window); })) return 1;
  return 0;
}
