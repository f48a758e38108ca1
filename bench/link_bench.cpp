// Long exchanges over the real termios port and steady clock, against rilo-unit-sim
// on a pseudo-terminal: 128 page reads (a 16 KB receiver's whole program area), then
// the window's settings read and a non-factory settings write (with the read-back of
// both blocks) through its Workbench.
// Prints the wall time of each, the floor that the protocol's fixed waits and the
// replies' wire time account for, and the CPU time the tool spent. Goals: wall within
// 5% of the floor, CPU under 2% of wall.
#include <cstdio>
#include <optional>
#include <string>

#include "bench/figures.h"
#include "bench/floor_unit.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"
#include "link/loader.h"
#include "link/posix_serial_port.h"
#include "link/steady_clock.h"
#include "workbench/workbench.h"

namespace {

using rilo::bench::Measure;

constexpr int kPages = 128;
constexpr uint16_t kFirstPage = 0xC000;

// One ReadPage: the entry's line changes (6 x 5 ms + 10 ms), then four frames (entry
// sync, password, its sync, the read), each costing its 50 ms pause or its reply's wire
// time, whichever is longer. A pseudo-terminal carries the requests themselves at once.
double FloorMillisPerPage() {
  const double byteMs = rilo::kByteMicros / 1000.0;
  auto frame = [&](int replyBytes) { return std::max(50.0, replyBytes * byteMs); };
  return 40.0 + frame(1) + frame(1) + frame(1) + frame(134);
}

// The window's Workbench on a given port and clock, with COM1 pointing at `device`.
struct WindowCore {
  WindowCore(rilo::SerialPort &port, rilo::Clock &clock, const rilo::VentrixApi &ventrix,
             const rilo::ProductLine &productLine, const std::string &device)
      : bench(store, person, port, clock, ventrix, productLine) {
    store.WriteString("PortDevice.COM1", device);
    bench.FormMenuCreate({});
    bench.FormMenuShow();
  }
  rilo::testing::ScriptedOperator person;
  rilo::MemoryPreferences store;
  rilo::Workbench bench;

  // A settings read, then one option changed and written back; false when either
  // command did not end done.
  bool Read() { return bench.NLoadSetClick().done; }
  bool Write() {
    bench.editor().Pick(*bench.editor().form.Find("CBTxEMSCont"), 5);
    return bench.NWriteSetClick().done;
  }
};

// The floors of the settings read and of the write after it.
struct Floor {
  double readMs = 0, writeMs = 0;
};

std::optional<Floor> MeasureFloor(const rilo::VentrixApi &ventrix, const rilo::ProductLine &productLine) {
  rilo::bench::FloorUnit unit(productLine, rilo::sim::kLoader110);
  WindowCore core(unit.port(), unit.clock(), ventrix, productLine, "/dev/sim");
  const auto read = unit.Time([&] { return core.Read(); });
  const auto write = read ? unit.Time([&] { return core.Write(); }) : std::nullopt;
  if (!write) return std::nullopt;
  return Floor{*read, *write};
}

}  // namespace

int main() {
  using namespace rilo;
  std::string error;
  const auto ventrix = LoadVentrixBesideProgram(&error);
  const auto productLine = ventrix ? ReadProductLineBesideProgram(&error) : std::nullopt;
  if (!productLine) {
    std::fprintf(stderr, "link_bench: %s\n", error.c_str());
    return 1;
  }
  testing::UnitSimProcess unit({"--role", "rx"});
  if (!unit.ok()) {
    std::fprintf(stderr, "link_bench: rilo-unit-sim did not start\n");
    return 1;
  }

  PosixSerialPort port;
  SteadyClock clock;
  Link link(port, clock);
  Loader loader(link, *ventrix, *productLine);
  if (!link.OpenPort(unit.device()) || !loader.ConnectDevice()) {
    std::fprintf(stderr, "link_bench: no handshake with the simulated unit\n");
    return 1;
  }

  int failed = 0;
  const bool pagesRead = Measure("128 page reads", kPages * FloorMillisPerPage(), [&] {
    for (int i = 0; i < kPages; ++i)
      if (loader.ReadPageOutcome(static_cast<uint16_t>(kFirstPage + i * 128)) != ReadOutcome::Read) ++failed;
    return failed == 0;
  });
  if (failed) std::printf("  %d of %d page reads failed\n", failed, kPages);
  // The pseudo-terminal takes one host at a time: the window's core opens it next.
  link.ClosePort();

  const auto floor = MeasureFloor(*ventrix, *productLine);
  if (!floor) {
    std::fprintf(stderr, "link_bench: the settings commands fail against the in-process unit\n");
    return 1;
  }
  WindowCore core(port, clock, *ventrix, *productLine, unit.device());
  const bool read = Measure("settings read (NLoadSetClick)", floor->readMs, [&] { return core.Read(); });
  const bool written = read && Measure("settings write, non-factory (NWriteSetClick)", floor->writeMs,
                                       [&] { return core.Write(); });
  return pagesRead && read && written ? 0 : 1;
}
