// How a unit is put into its loader: the DTR/RTS patterns, the two wirings, and the
// first sync on a pseudo-terminal.
#include <gtest/gtest.h>

#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

TEST(Entry, EachWiringStartsItsLoaderOnlyOnItsOwnPattern) {
  struct Case {
    bool rts_inverted;
    char pattern;
    bool enters;
  };
  const Case cases[] = {{false, 'A', true}, {false, 'B', false}, {true, 'A', false}, {true, 'B', true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "inverted " << c.rts_inverted << ", pattern " << c.pattern);
    UnitConfig config = Transmitter();
    config.rts_inverted = c.rts_inverted;
    Bench bench(config);
    // Twice: the lines start low the first time and where the last pattern left them after.
    for (int round = 0; round < 2; ++round) {
      c.pattern == 'A' ? bench.PatternA() : bench.PatternB();
      EXPECT_EQ(bench.Exchange(kSync), c.enters ? Bytes{kAck} : Bytes{});
    }
  }
}

TEST(Entry, AUnitThatWasNeverResetIntoItsLoaderSaysNothing) {
  Bench bench(Transmitter());
  EXPECT_TRUE(bench.Exchange(kSync).empty());
  bench.port.SetDtr(true);  // released from reset without the pulses: the program runs
  EXPECT_EQ(bench.unit.mode(), Unit::Mode::kProgram);
  EXPECT_TRUE(bench.Exchange(kSync).empty());
  EXPECT_TRUE(bench.Exchange(PasswordFrame(bench.unit.config().vectors)).empty());
  EXPECT_TRUE(bench.unit.requests().empty());
}

TEST(Entry, OnePulseIsNotEnough) {
  Bench bench(Transmitter());
  bench.Lines({{'D', 0}, {'R', 1}, {'R', 0}, {'D', 1}});
  EXPECT_TRUE(bench.Exchange(kSync).empty());
}

TEST(Entry, EveryEntryLocksTheLoaderAgain) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  ASSERT_EQ(bench.Exchange(ReadFrame(0x1080), 200).size(), 134u);
  bench.PatternA();
  ASSERT_EQ(bench.Exchange(kSync), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(ReadFrame(0x1080), 200), Bytes{kNak});
}

TEST(Entry, AResetCutsAReplyShort) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  bench.port.PurgeInput();
  const Bytes read = ReadFrame(0x1080);
  bench.port.Write(read.data(), read.size());
  bench.clock.Pause(20);
  bench.port.SetDtr(false);
  const size_t before = bench.port.BytesWaiting();
  bench.clock.Pause(200);
  EXPECT_EQ(bench.port.BytesWaiting(), before);
  EXPECT_LT(before, 134u);
}

TEST(Entry, OnAPseudoTerminalTheFirstSyncStartsTheLoader) {
  UnitConfig config = Receiver8k();
  config.entry = Entry::kFirstSync;
  Bench bench(config);
  EXPECT_TRUE(bench.Exchange(PasswordFrame(config.vectors)).empty()) << "frames before the sync are ignored";
  EXPECT_EQ(bench.Exchange(kSync), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(PasswordFrame(config.vectors)), Bytes{kAck});
  bench.Lines({{'D', 0}, {'D', 1}});  // no lines cross a pseudo-terminal: nothing resets
  EXPECT_EQ(bench.unit.mode(), Unit::Mode::kLoader);
  EXPECT_EQ(bench.Exchange(kSync), Bytes{kAck});
  EXPECT_TRUE(bench.unit.unlocked()) << "later syncs do not restart the loader";

  // Once the loader has jumped away, the next sync brings it back, locked.
  ASSERT_EQ(bench.Exchange(Frame(0x1A, 0xE000, 0)), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(kSync), Bytes{kAck});
  EXPECT_FALSE(bench.unit.unlocked());
}

}  // namespace
}  // namespace rilo::sim
