// A long exchange over the real termios port and steady clock: 128 page reads (a
// 16 KB receiver's whole program area) from rilo-unit-sim on a pseudo-terminal.
// Prints the wall time, the floor that the protocol's fixed waits and the replies'
// wire time account for, and the CPU time the tool spent. Goals: wall within 5% of
// the floor, CPU under 2% of wall.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/testing/scripted_operator.h"
#include "link/loader.h"
#include "link/posix_serial_port.h"
#include "link/steady_clock.h"
#include "link/testing/unit_sim_process.h"

namespace {

constexpr int kPages = 128;
constexpr uint16_t kFirstPage = 0xC000;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One ReadPage: the entry's line changes (6 x 5 ms + 10 ms), then four frames (entry
// sync, password, its sync, the read), each costing its 50 ms pause or its reply's wire
// time, whichever is longer. A pseudo-terminal carries the requests themselves at once.
double FloorMillisPerPage() {
  const double byteMs = rilo::kByteMicros / 1000.0;
  auto frame = [&](int replyBytes) { return std::max(50.0, replyBytes * byteMs); };
  return 40.0 + frame(1) + frame(1) + frame(1) + frame(134);
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
  testing::ScriptedOperator person;
  Link link(port, clock, person);
  std::string machineType;
  FeatureFlags flags;
  Loader loader(link, person, *ventrix, *productLine, machineType, flags);
  link.OpenPort(unit.device());
  if (!link.PortOpen() || !loader.ConnectDevice()) {
    std::fprintf(stderr, "link_bench: no handshake with the simulated unit\n");
    return 1;
  }

  const double cpuBefore = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  int failed = 0;
  for (int i = 0; i < kPages; ++i)
    if (!loader.ReadPage(static_cast<uint16_t>(kFirstPage + i * 128))) ++failed;
  const double wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double cpuMs = (CpuSeconds() - cpuBefore) * 1000.0;
  const double floorMs = kPages * FloorMillisPerPage();

  std::printf("page reads          %d (%d failed)\n", kPages, failed);
  std::printf("wall time           %.1f ms\n", wallMs);
  std::printf("floor               %.1f ms (fixed waits and reply wire time)\n", floorMs);
  std::printf("wall over floor     %+.2f %%   (goal: within 5 %%)\n", (wallMs / floorMs - 1.0) * 100.0);
  std::printf("tool CPU time       %.1f ms = %.2f %% of wall   (goal: under 2 %%)\n", cpuMs,
              cpuMs / wallMs * 100.0);
  link.ClosePort();
  return failed == 0 ? 0 : 1;
}
