// Faults on demand: each kind, which requests it strikes, and the pulled cable.
#include <gtest/gtest.h>

#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

// A connected receiver whose next segment erase of 0xD000 meets `fault`: answers what
// arrived within `wait_ms` and whether the segment was erased.
struct Outcome {
  Bytes reply;
  bool erased;
};
Outcome EraseUnder(const Fault &fault, uint32_t wait_ms = 50) {
  UnitConfig config = Receiver16k();
  config.loader = kLoader161;
  Bench bench(config);
  EXPECT_TRUE(bench.Connect());
  const Bytes zeros(128, 0x00);
  EXPECT_EQ(bench.Exchange(WriteFrame(0xD000, zeros), 100), Bytes{kAck});
  bench.unit.AddFault(fault);
  Outcome outcome;
  outcome.reply = bench.Exchange(Frame(0x16, 0xD000, 0xA502), wait_ms);
  outcome.erased = bench.Memory(0xD000, 128) == Bytes(128, 0xFF);
  return outcome;
}

TEST(Faults, EachKindOnOneRequest) {
  Fault no_answer{FaultKind::kNoAnswer};
  Fault refuse{FaultKind::kRefuse};
  Fault garble{FaultKind::kGarble};
  Fault late{FaultKind::kLate};
  late.late_micros = 100'000;
  struct Case {
    const char *name;
    Fault fault;
    Bytes reply;
    bool erased;
  };
  const Case cases[] = {
      {"no answer", no_answer, {}, false},
      {"refusal", refuse, {kNak}, false},
      {"garbled", garble, {kAck ^ 0x5A}, true},
      {"late", late, {}, true},  // not there after 50 ms; see the timing test below
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = EraseUnder(c.fault);
    EXPECT_EQ(outcome.reply, c.reply);
    EXPECT_EQ(outcome.erased, c.erased);
  }
}

TEST(Faults, ALateReplyComesThatMuchLater) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  Fault late{FaultKind::kLate};
  late.late_micros = 80'000;
  bench.unit.AddFault(late);
  bench.port.PurgeInput();
  bench.port.Write(kSync.data(), kSync.size());
  const uint64_t due = kSyncGapMicros + 80'000 + kByteMicros;  // after the sync has arrived
  bench.clock.AdvanceMicros(due - 1);
  EXPECT_EQ(bench.port.BytesWaiting(), 0u);
  bench.clock.AdvanceMicros(1);
  EXPECT_EQ(bench.port.BytesWaiting(), 1u);
}

TEST(Faults, ANoiseBurstFillsTheQueuePast256Bytes) {
  Fault noise{FaultKind::kNoise};
  noise.noise_bytes = 300;
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  bench.unit.AddFault(noise);
  // The mass erase's wait is long enough for all of it at 9600 baud.
  EXPECT_EQ(bench.Exchange(kMassErase, 550).size(), 300u);
  EXPECT_EQ(bench.Memory(0xF000, 16), Bytes(16, 0xFF)) << "the command itself was carried out";
}

TEST(Faults, DamagedDataReplies) {
  Bench clean(Transmitter());
  ASSERT_TRUE(clean.Connect());
  const Bytes good = clean.Exchange(ReadFrame(0xF000), 200);
  ASSERT_EQ(good.size(), 134u);
  ASSERT_TRUE(CheckBytesValid(good));

  Bytes lost;  // byte 70 missing (built by copying: erase() trips GCC 12's overflow warning at -O3)
  for (size_t i = 0; i < good.size(); ++i)
    if (i != 70) lost.push_back(good[i]);
  Bytes flipped = good;
  flipped[70] ^= 0x01;
  Bytes shorter = good;
  shorter[2] = shorter[3] = 0x7F;  // says 127 bytes follow, and its check bytes agree
  const auto check = CheckBytesOf(std::span(shorter).first(132));
  shorter[132] = check[0];
  shorter[133] = check[1];
  struct Case {
    const char *name;
    FaultKind kind;
    Bytes reply;
  };
  const Case cases[] = {
      {"one byte lost", FaultKind::kLoseByte, lost},
      {"one bit flipped", FaultKind::kFlipBit, flipped},
      {"wrong length bytes", FaultKind::kWrongLength, shorter},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Bench bench(Transmitter());
    ASSERT_TRUE(bench.Connect());
    bench.unit.AddFault({.kind = c.kind, .request = 0x14});
    EXPECT_EQ(bench.Exchange(ReadFrame(0xF000), 200), c.reply);
    EXPECT_EQ(bench.Exchange(ReadFrame(0xF000), 200), good) << "struck once";
  }
}

TEST(Faults, StrikeTheChosenRequestsAfterSkippingSome) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  Fault fault{FaultKind::kNoAnswer};
  fault.request = 0x14;
  fault.skip = 1;
  fault.times = 2;
  bench.unit.AddFault(fault);
  std::vector<size_t> lengths;
  for (int i = 0; i < 4; ++i) {
    lengths.push_back(bench.Exchange(ReadFrame(0xF000), 200).size());
    EXPECT_EQ(bench.Exchange(kSync), Bytes{kAck}) << "other requests are not struck";
  }
  EXPECT_EQ(lengths, (std::vector<size_t>{134, 0, 0, 134}));
}

TEST(Faults, AFaultForeverStrikesEveryMatchingRequest) {
  Bench bench(Transmitter());
  Fault fault{FaultKind::kRefuse};
  fault.request = kSyncRequest;
  fault.times = kForever;
  bench.unit.AddFault(fault);
  for (int i = 0; i < 3; ++i) {
    bench.PatternA();
    EXPECT_EQ(bench.Exchange(kSync), Bytes{kNak});
  }
}

TEST(Faults, APulledCableEndsEverything) {
  Bench bench(Transmitter());
  bench.unit.PullCableAfter(3);
  ASSERT_TRUE(bench.Connect());                   // the sync and the password
  EXPECT_EQ(bench.Exchange(kSync), Bytes{kAck});  // the third request
  EXPECT_TRUE(bench.unit.cable_pulled());
  EXPECT_TRUE(bench.Exchange(kSync).empty());
  bench.PatternA();
  EXPECT_TRUE(bench.Exchange(kSync).empty());
  EXPECT_EQ(bench.unit.requests().size(), 3u);
}

}  // namespace
}  // namespace rilo::sim
