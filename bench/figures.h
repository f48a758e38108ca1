// How the device benchmarks time a command and print it: wall time against a floor,
// and the CPU time the tool spent meanwhile. Goals: wall within 5% of the floor, CPU
// under 2% of wall.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace rilo::bench {

inline double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline void PrintFigures(const char *what, double wallMs, double floorMs, double cpuMs) {
  std::printf("%s\n", what);
  std::printf("  wall time         %.1f ms\n", wallMs);
  std::printf("  floor             %.1f ms (fixed waits and reply wire time)\n", floorMs);
  std::printf("  wall over floor   %+.2f %%   (goal: within 5 %%)\n", (wallMs / floorMs - 1.0) * 100.0);
  std::printf("  tool CPU time     %.1f ms = %.2f %% of wall   (goal: under 2 %%)\n", cpuMs,
              cpuMs / wallMs * 100.0);
  std::fflush(stdout);
}

// Runs `command` and prints its figures; false when it failed.
inline bool Measure(const char *what, double floorMs, const std::function<bool()> &command) {
  const double cpuBefore = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const bool done = command();
  const double wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  PrintFigures(what, wallMs, floorMs, (CpuSeconds() - cpuBefore) * 1000.0);
  if (!done) std::printf("  FAILED: the command did not reach its success message\n");
  return done;
}

}  // namespace rilo::bench
