#include "link/steady_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace rilo {
namespace {

// Counts how often it was asked, and always has `waiting` bytes.
class QueuePort : public SerialPort {
 public:
  explicit QueuePort(size_t n) : waiting(n) {}
  size_t waiting;
  int asked = 0;
  bool Open(const std::string &) override { return true; }
  void Close() override {}
  bool IsOpen() const override { return true; }
  void PurgeInput() override {}
  void Write(const uint8_t *, size_t) override {}
  size_t BytesWaiting() override {
    ++asked;
    return waiting;
  }
  size_t Read(uint8_t *, size_t) override { return 0; }
  void SetDtr(bool) override {}
  void SetRts(bool) override {}
};

double MillisOf(const std::function<void()> &f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

TEST(SteadyClock, WaitsForBytesBySleepingTheirWireTimeWithinTheDeadline) {
  SteadyClock clock;
  QueuePort ready(3);
  EXPECT_LT(MillisOf([&] { clock.WaitForBytes(ready, 3, 1000); }), 5.0) << "bytes there: no sleep";

  // Ten bytes missing take 11.5 ms on the line: one sleep of that length, one look at the port.
  QueuePort empty(0);
  const double slept = MillisOf([&] { clock.WaitForBytes(empty, 10, 1000); });
  EXPECT_GE(slept, 11.4);
  EXPECT_LT(slept, 200.0);
  EXPECT_EQ(empty.asked, 1);

  // The deadline caps the sleep.
  EXPECT_LT(MillisOf([&] { clock.WaitForBytes(empty, 200, 3); }), 150.0);
}

TEST(SteadyClock, TicksInMilliseconds) {
  SteadyClock clock;
  const uint32_t start = clock.Tick();
  clock.Pause(5);
  EXPECT_GE(clock.Tick() - start, 5u);
  EXPECT_LT(MillisOf([&] { clock.Pause(0); }), 5.0);
}

}  // namespace
}  // namespace rilo
