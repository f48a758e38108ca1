#include "link/steady_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "base/testing/stub_port.h"

namespace rilo {
namespace {

using testing::StubPort;

double MillisOf(const std::function<void()> &f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A loaded machine wakes any sleeper late, so upper bounds here only tell a wait from
// one a hundred times longer.
TEST(SteadyClock, WaitsForBytesBySleepingTheirWireTimeWithinTheDeadline) {
  SteadyClock clock;
  // A thousand bytes would be 1.1 s on the line; they are there, so no sleep at all.
  StubPort ready;
  ready.waiting = 1000;
  EXPECT_LT(MillisOf([&] { clock.WaitForBytes(ready, 1000, kByteMicros, 60000); }), 500.0)
      << "bytes there: no sleep";

  // A hundred bytes missing take 114.6 ms on the line: one sleep of that length, one
  // look at the port, well before the deadline.
  StubPort empty;
  const double slept = MillisOf([&] { clock.WaitForBytes(empty, 100, kByteMicros, 60000); });
  EXPECT_GE(slept, 114.6);
  EXPECT_LT(slept, 30000.0);
  EXPECT_EQ(empty.asked, 1);

  // The deadline caps the sleep: 3 ms, not the 115 s of 100000 bytes.
  EXPECT_LT(MillisOf([&] { clock.WaitForBytes(empty, 100000, kByteMicros, 3); }), 30000.0);
}

TEST(SteadyClock, TicksInMilliseconds) {
  SteadyClock clock;
  const uint32_t start = clock.Tick();
  clock.Pause(5);
  EXPECT_GE(clock.Tick() - start, 5u);
  EXPECT_LT(MillisOf([&] { clock.Pause(0); }), 500.0);
}

}  // namespace
}  // namespace rilo
