// A production run as rilo-cli runs it: a receiver's firmware (128 pages) burned and
// verified into four blank rilo-unit-sim receivers on pseudo-terminals at once,
// against the same burn into one alone: the ordinary way (loader 1.10), then with
// --fast at 38400 (loader 1.61). Each unit has its own worker, port and clock, so four
// should take no longer than one. Prints both wall times, their ratio (goal: at most
// 1.05) and the CPU time rilo-cli spent on each run.
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/product_line.h"
#include "base/virtual_clock.h"
#include "cli/commands.h"
#include "cli/testing/run_command.h"
#include "core/testing/programs.h"
#include "sim/simulated_port.h"
#include "sim/unit.h"

namespace {

using namespace rilo;
using testing::RunProgram;
using testing::ScratchFolder;
using testing::UnitSimProcess;

// CPU time of the children waited for so far: rilo-cli once it has ended; the
// simulated units are still running then and not counted.
double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The firmware of rilo-unit-sim's standard receiver, read in-process on the virtual clock.
bool ReadFirmware(const std::string &file) {
  std::string error;
  const auto line = ReadProductLineBesideProgram(&error);
  const auto ventrix = LoadVentrixBesideProgram(&error);
  if (!line || !ventrix) return false;
  sim::Unit source(sim::StandardUnit(sim::Model::kReceiver16k, *line));
  VirtualClock clock;
  sim::SimulatedPort port(source, clock);
  testing::OneLine lines({port, clock});
  return testing::RunCommand(RunReadFirmware, {"COM1", "--rx", "-o", file}, *ventrix, lines).exit == kExitOk;
}

struct Figures {
  double wallMs = 0, cpuMs = 0;
};

// Burns `firmware` into `count` blank receivers at once, with `fast` at 38400.
bool Burn(size_t count, bool fast, const std::string &firmware, const ScratchFolder &scratch,
          Figures &figures) {
  std::vector<std::unique_ptr<UnitSimProcess>> units;
  std::string ports;
  for (size_t i = 0; i < count; ++i) {
    units.push_back(std::make_unique<UnitSimProcess>(
        std::vector<std::string>{"--role", "rx", "--blank", "--loader", fast ? "1.61" : "1.10"}));
    if (!units.back()->ok()) return false;
    ports += (ports.empty() ? "" : ",") + units.back()->device();
  }
  const double cpuBefore = ChildCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const auto r =
      RunProgram("rilo-cli",
                 "write-firmware \"" + ports + "\" \"" + firmware + "\" --rx --id 12000777 --log \"" +
                     scratch.Path("run.csv") + "\"" + (fast ? " --fast" : ""),
                 scratch);
  figures.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  figures.cpuMs = (ChildCpuSeconds() - cpuBefore) * 1000.0;
  if (r.exit != 0) std::printf("  FAILED (exit %d):\n%s\n", r.exit, r.err.c_str());
  return r.exit == 0;
}

void Print(const char *what, const Figures &f) {
  std::printf("  %-20s wall %9.1f ms   rilo-cli CPU %7.1f ms = %.2f %% of wall\n", what, f.wallMs, f.cpuMs,
              f.cpuMs / f.wallMs * 100.0);
}

}  // namespace

int main() {
  ScratchFolder scratch("production-bench");
  setenv("XDG_CONFIG_HOME", scratch.Path("config").c_str(), 1);
  const std::string firmware = scratch.Path("receiver.txt");
  if (!ReadFirmware(firmware)) {
    std::fprintf(stderr, "production_bench: the receiver's firmware could not be read in-process\n");
    return 1;
  }
  for (const bool fast : {false, true}) {
    std::printf("receiver burn, 128 pages, verified (rilo-cli write-firmware --rx --id%s)\n",
                fast ? " --fast: 38400, loader 1.61" : ": loader 1.10");
    std::fflush(stdout);
    Figures one, four;
    if (!Burn(1, fast, firmware, scratch, one)) return 1;
    Print("one unit", one);
    std::fflush(stdout);
    if (!Burn(4, fast, firmware, scratch, four)) return 1;
    Print("four units at once", four);
    std::printf("  four over one        %.3f   (goal: at most 1.05)\n", four.wallMs / one.wallMs);
  }
  return 0;
}
