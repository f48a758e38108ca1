// Whole command sequences as the tool sends them, with its waits, against the units it
// meets: every reply must be complete within the time the tool allows for it.
#include <gtest/gtest.h>

#include "base/loader_patch.h"
#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

// Entry pattern A with its 10 ms settle, then the sync.
bool EnterLoader(Bench &bench) {
  bench.PatternA();
  return bench.Transact(kSync, 50, 1) == Bytes{kAck};
}

// A command whose acceptance is followed by a sync, as the tool does.
bool Accepted(Bench &bench, const Bytes &frame, uint32_t timeout_ms) {
  if (bench.Transact(frame, timeout_ms, 1) != Bytes{kAck}) return false;
  return bench.Transact(kSync, 50, 1) == Bytes{kAck};
}

TEST(HostSequences, SettingsWriteAndReadBackOnALoader110Receiver) {
  Bench bench(Receiver16k());
  const Password &password = bench.unit.config().vectors;
  const Bytes patch(kLoaderPatch.begin(), kLoaderPatch.end());
  auto preamble = [&] {
    ASSERT_TRUE(Accepted(bench, kStartRomLoader, 10));
    ASSERT_TRUE(Accepted(bench, PasswordFrame(password), 10));
    ASSERT_TRUE(Accepted(bench, Frame(0x12, 0x0220, 194, patch, 0xC6), 100));
    ASSERT_TRUE(Accepted(bench, kStartPatch, 10));
  };

  ASSERT_TRUE(EnterLoader(bench));
  ASSERT_TRUE(Accepted(bench, PasswordFrame(password), 10));
  EXPECT_EQ(bench.Transact(kVersionQuery, 10, 21), Bytes{kNak});
  const Bytes chip = bench.Transact({0x80, 0x14, 0x04, 0x04, 0xF0, 0x0F, 0x0F, 0x00, 0x84, 0xE0}, 10, 21);
  ASSERT_EQ(chip.size(), 21u);
  EXPECT_EQ(chip[15], 0x10);

  Bytes block1(128, 0x00);
  block1[0] = 0x0F;
  block1[1] = 0x33;
  const Bytes erases[] = {{0x80, 0x16, 0x04, 0x04, 0x80, 0x10, 0x02, 0xA5, 0xF9, 0x58},
                          {0x80, 0x16, 0x04, 0x04, 0x00, 0x10, 0x02, 0xA5, 0x79, 0x58}};
  for (const auto &erase : erases) {
    EXPECT_EQ(bench.Transact(erase, 50, 1), Bytes{kAck});
    bench.Transact(kSync, 50, 1);
  }
  for (uint8_t block : {1, 0}) {
    const uint16_t address = block == 1 ? 0x1080 : 0x1000;
    ASSERT_TRUE(EnterLoader(bench));
    ASSERT_TRUE(Accepted(bench, PasswordFrame(password), 10));
    preamble();
    EXPECT_TRUE(Accepted(bench, Frame(0x12, address, 128, block1, 0x8A), 100)) << int(block);
  }
  EXPECT_EQ(bench.Memory(0x1000, 128), block1);
  EXPECT_EQ(bench.Memory(0x1080, 128), block1);

  // Reading a block back: the 134-byte reply takes 153.6 ms on the wire, longer than
  // the 50 + 100 ms the tool's table allows; the whole of it is there 4 ms later.
  ASSERT_TRUE(EnterLoader(bench));
  ASSERT_TRUE(Accepted(bench, PasswordFrame(password), 10));
  preamble();
  const Bytes partial = bench.Transact(ReadFrame(0x1080), 100, 134);
  EXPECT_EQ(partial.size(), 130u);
  bench.clock.Pause(4);
  EXPECT_EQ(bench.port.BytesWaiting(), 4u);
}

TEST(HostSequences, FirmwareReadOfEveryReceiverPageFitsItsWait) {
  Bench bench(Receiver8k());
  const Password &password = bench.unit.config().vectors;
  for (uint32_t address = 0xE000; address < 0x10000; address += 128) {
    ASSERT_TRUE(EnterLoader(bench));
    ASSERT_TRUE(Accepted(bench, PasswordFrame(password), 10));
    const Bytes page = bench.Transact(ReadFrame(static_cast<uint16_t>(address)), 200, 134);
    ASSERT_EQ(page.size(), 134u) << std::hex << address;
    ASSERT_EQ(Bytes(page.begin() + 4, page.begin() + 132), bench.Memory(address, 128));
  }
}

}  // namespace
}  // namespace rilo::sim
