// The in-process port: wire time in both directions on the virtual clock, the receive
// queue as a driver keeps it, and the record of what the host did.
#include <gtest/gtest.h>

#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

TEST(SimulatedPort, AWriteReturnsWhenItsLastByteHasLeft) {
  Bench bench(Transmitter());
  const uint64_t start = bench.clock.NowMicros();
  bench.port.Write(kMassErase.data(), kMassErase.size());
  EXPECT_EQ(bench.clock.NowMicros() - start, 10 * kByteMicros);
  ASSERT_EQ(bench.port.events().back().kind, PortEvent::Kind::kWrite);
  EXPECT_EQ(bench.port.events().back().at, start);
  EXPECT_EQ(bench.port.writes().back(), kMassErase);
}

TEST(SimulatedPort, ReplyBytesArriveOneByOneAtTheWireRate) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  bench.port.PurgeInput();
  const Bytes read = ReadFrame(0x1080);
  bench.port.Write(read.data(), read.size());  // the reply starts as the last byte arrives
  const uint64_t end = bench.clock.NowMicros();
  for (size_t n : {1, 2, 50, 134}) {
    bench.clock.AdvanceMicros(end + n * kByteMicros - 1 - bench.clock.NowMicros());
    EXPECT_EQ(bench.port.BytesWaiting(), n - 1);
    bench.clock.AdvanceMicros(1);
    EXPECT_EQ(bench.port.BytesWaiting(), n);
  }
}

TEST(SimulatedPort, PurgeDropsWhatArrivedButNotWhatIsStillOnTheWire) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  bench.port.PurgeInput();
  const Bytes read = ReadFrame(0x1080);
  bench.port.Write(read.data(), read.size());
  bench.clock.AdvanceMicros(10 * kByteMicros);
  ASSERT_EQ(bench.port.BytesWaiting(), 10u);
  bench.port.PurgeInput();
  EXPECT_EQ(bench.port.BytesWaiting(), 0u);
  bench.clock.Pause(200);
  Bytes rest(bench.port.BytesWaiting());
  ASSERT_EQ(rest.size(), 124u);
  bench.port.Read(rest.data(), rest.size());
  EXPECT_EQ(Bytes(rest.begin(), rest.begin() + 122), bench.Memory(0x1080 + 6, 122));
}

TEST(SimulatedPort, ReadsAtMostWhatWasAskedAndKeepsTheRest) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  bench.Exchange(ReadFrame(0x1080), 0);
  bench.clock.Pause(200);
  uint8_t head[4];
  ASSERT_EQ(bench.port.Read(head, 4), 4u);
  EXPECT_EQ(Bytes(head, head + 4), (Bytes{0x80, 0x00, 0x80, 0x80}));
  EXPECT_EQ(bench.port.BytesWaiting(), 130u);
}

TEST(SimulatedPort, ClosedOrUnopenablePortsCarryNothing) {
  Bench bench(Transmitter());
  bench.port.Close();
  bench.PatternA();
  bench.port.Write(kSync.data(), 1);
  bench.clock.Pause(50);
  EXPECT_EQ(bench.port.BytesWaiting(), 0u);
  EXPECT_TRUE(bench.unit.requests().empty());
  EXPECT_EQ(bench.port.events().back().kind, PortEvent::Kind::kClose);

  bench.port.set_open_fails(true);
  EXPECT_FALSE(bench.port.Open("sim"));
  EXPECT_FALSE(bench.port.IsOpen());
  bench.port.set_open_fails(false);
  EXPECT_TRUE(bench.port.Open("sim"));
}

TEST(SimulatedPort, RecordsLineChangesWithTheirTimes) {
  Bench bench(Transmitter());
  const uint64_t start = bench.clock.NowMicros();
  bench.PatternA();
  std::vector<std::tuple<PortEvent::Kind, uint64_t, bool>> lines;
  for (const auto &event : bench.port.events())
    if (event.kind == PortEvent::Kind::kDtr || event.kind == PortEvent::Kind::kRts)
      lines.emplace_back(event.kind, event.at - start, event.on);
  using K = PortEvent::Kind;
  const std::vector<std::tuple<PortEvent::Kind, uint64_t, bool>> expected = {
      {K::kDtr, 0, false},     {K::kRts, 5000, true},  {K::kRts, 10000, false}, {K::kRts, 15000, true},
      {K::kRts, 20000, false}, {K::kDtr, 25000, true}, {K::kRts, 30000, true}};
  EXPECT_EQ(lines, expected);
}

TEST(SimulatedPort, TheVirtualClockWaitsUntilTheExpectedBytesAreIn) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  bench.port.PurgeInput();
  const Bytes read = ReadFrame(0x1080);
  bench.port.Write(read.data(), read.size());
  const uint64_t sent = bench.clock.NowMicros();
  bench.clock.WaitForBytes(bench.port, 134, kByteMicros, 1000);
  EXPECT_EQ(bench.port.BytesWaiting(), 134u);
  EXPECT_GE(bench.clock.NowMicros() - sent, 134 * kByteMicros);
  EXPECT_LT(bench.clock.NowMicros() - sent, 134 * kByteMicros + 100);
}

}  // namespace
}  // namespace rilo::sim
