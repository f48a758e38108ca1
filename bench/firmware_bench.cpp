// The window's firmware commands over the real termios port and steady clock, against
// rilo-unit-sim (a 16 KB receiver, 128 pages) on a pseudo-terminal: the read, then a
// burn of what was read back into the unit, with its read-back. The product line's 16 KB
// receiver (loader 1.10, which cannot change its rate) the ordinary way and streamed at
// 9600; the same receiver with loader 1.61 streamed at 9600 and at 38400. Prints each
// wall time beside its floor (the same command against the same unit in-process on the
// virtual clock: the wire time of every byte both ways, the loader's answer times and the
// fixed waits) and the tool's CPU time.
#include <chrono>
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
    bench.UseVerifyBurn(true);
    bench.editor().UseIdIncrement(false);  // the same identity every time
  }
  testing::ScriptedOperator person;
  MemoryPreferences store;
  Workbench bench;
  std::optional<FastLine> line;  // the rate the last command's transfer ran at

  bool Run(Outcome (Workbench::*command)(), uint32_t fastBaud) {
    bench.UseFastTransfer(fastBaud);
    const Outcome outcome = (bench.*command)();
    line = outcome.fastLine;
    if (!outcome.done)
      for (const auto &m : outcome.messages)
        std::printf("  message: %s\n", m.text.c_str());
    return outcome.done;
  }
};

struct Mode {
  const char *name;
  sim::LoaderVersion loader;
  uint32_t fastBaud;
};
constexpr Mode kModes[] = {{"1.10 ordinary", sim::kLoader110, 0},
                           {"1.10 streamed 9600", sim::kLoader110, 9600},
                           {"1.61 streamed 9600", sim::kLoader161, 9600},
                           {"1.61 streamed 38400", sim::kLoader161, 38400}};

struct Step {
  const char *name;
  Outcome (Workbench::*command)();
};
constexpr Step kSteps[] = {{"read", &Workbench::NLoadRxPrgClick},
                           {"burn + read-back", &Workbench::NWriteRxPrgClick}};

struct Figure {
  double wallMs = 0, floorMs = 0, cpuMs = 0;
  uint32_t baud = 0;  // the rate the transfer ran at
};

// Every step in every mode of one loader, in that order, on one unit: first in-process
// for the floors, then over the pseudo-terminal. Figures go where their mode's are.
bool Measure(sim::LoaderVersion loader, const VentrixApi &ventrix, const ProductLine &productLine,
             std::vector<Figure> &figures) {
  bench::FloorUnit floorUnit(productLine, loader);
  FactoryWindow floorWindow(floorUnit.port(), floorUnit.clock(), ventrix, productLine, "/dev/sim");
  for (size_t m = 0; m < std::size(kModes); ++m)
    for (size_t s = 0; s < std::size(kSteps); ++s) {
      if (!(kModes[m].loader == loader)) continue;
      const auto floor =
          floorUnit.Time([&] { return floorWindow.Run(kSteps[s].command, kModes[m].fastBaud); });
      if (!floor) return false;
      figures[m * std::size(kSteps) + s].floorMs = *floor;
    }
  char version[8];
  std::snprintf(version, sizeof version, "%X.%02X", loader.major, loader.minor);
  testing::UnitSimProcess unit({"--role", "rx", "--loader", version});
  if (!unit.ok()) return false;
  PosixSerialPort port;
  SteadyClock clock;
  FactoryWindow window(port, clock, ventrix, productLine, unit.device());
  for (size_t m = 0; m < std::size(kModes); ++m)
    for (size_t s = 0; s < std::size(kSteps); ++s) {
      if (!(kModes[m].loader == loader)) continue;
      Figure &figure = figures[m * std::size(kSteps) + s];
      const double cpuBefore = bench::CpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      if (!window.Run(kSteps[s].command, kModes[m].fastBaud)) return false;
      figure.wallMs =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      figure.cpuMs = (bench::CpuSeconds() - cpuBefore) * 1000.0;
      figure.baud = window.line ? window.line->used : kLoaderBaud;
    }
  return true;
}

void Print(const std::vector<Figure> &figures) {
  std::printf("128-page receiver (rilo-unit-sim --role rx --loader VERSION)\n%-18s", "");
  for (const Mode &mode : kModes)
    std::printf("%22s", mode.name);
  std::printf("\n");
  for (size_t s = 0; s < std::size(kSteps); ++s) {
    const auto row = [&](const char *label, auto value) {
      std::printf("%-18s", label);
      for (size_t m = 0; m < std::size(kModes); ++m)
        std::printf("%22s", value(figures[m * std::size(kSteps) + s]).c_str());
      std::printf("\n");
    };
    const auto text = [](const char *format, double value) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, format, value);
      return std::string(buffer);
    };
    std::printf("%s\n", kSteps[s].name);
    row("  line", [&](const Figure &f) { return text("%.0f bps", f.baud); });
    row("  wall", [&](const Figure &f) { return text("%.1f s", f.wallMs / 1000); });
    row("  floor", [&](const Figure &f) { return text("%.1f s", f.floorMs / 1000); });
    row("  wall over floor",
        [&](const Figure &f) { return text("%+.2f %%", (f.wallMs / f.floorMs - 1) * 100); });
    row("  tool CPU", [&](const Figure &f) { return text("%.2f %% of wall", f.cpuMs / f.wallMs * 100); });
  }
  std::printf(
      "goals: 38400 with loader 1.61: read <= 6 s, burn + read-back <= 15 s; streamed 9600 burn +\n"
      "read-back <= 48 s; each within 10 %% of its floor, tool CPU under 2 %% of wall\n");
  std::fflush(stdout);
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
  std::vector<Figure> figures(std::size(kModes) * std::size(kSteps));
  for (const sim::LoaderVersion loader : {sim::kLoader110, sim::kLoader161})
    if (!Measure(loader, *ventrix, *productLine, figures)) {
      std::fprintf(stderr, "firmware_bench: a firmware command failed with loader %X.%02X\n", loader.major,
                   loader.minor);
      return 1;
    }
  Print(figures);
  return 0;
}
