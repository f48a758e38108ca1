#include "sim/frame_decoder.h"

#include <gtest/gtest.h>

#include "base/clock.h"
#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

// Feeds bytes back to back from `start`, as a UART sends them; answers every request.
std::vector<Request> FeedBackToBack(FrameDecoder &decoder, const Bytes &bytes, uint64_t start = 0) {
  std::vector<Request> out;
  uint64_t at = start;
  for (uint8_t byte : bytes) {
    at += kByteMicros;
    if (auto r = decoder.AdvanceTo(at)) out.push_back(*r);
    if (auto r = decoder.Feed(byte, at)) out.push_back(*r);
  }
  return out;
}

TEST(CheckBytes, MatchTheFixedFramesOfTheProtocol) {
  const Bytes frames[] = {
      kMassErase,
      kStartRomLoader,
      kStartPatch,
      kVersionQuery,
      {0x80, 0x16, 0x04, 0x04, 0x80, 0x10, 0x02, 0xA5, 0xF9, 0x58},  // erase settings block 1
      {0x80, 0x16, 0x04, 0x04, 0x00, 0x10, 0x02, 0xA5, 0x79, 0x58},  // erase settings block 0
      {0x80, 0x14, 0x04, 0x04, 0x80, 0x10, 0x80, 0x00, 0x7B, 0xFF},  // read settings block 1
      {0x80, 0x14, 0x04, 0x04, 0x00, 0x10, 0x80, 0x00, 0xFB, 0xFF},  // read settings block 0
      {0x80, 0x14, 0x04, 0x04, 0xF0, 0x0F, 0x0F, 0x00, 0x84, 0xE0},  // chip read
  };
  for (const auto &frame : frames) {
    EXPECT_TRUE(CheckBytesValid(frame));
    Bytes spoilt = frame;
    spoilt[5] ^= 0x01;
    EXPECT_FALSE(CheckBytesValid(spoilt));
  }
}

TEST(FrameDecoder, ALone0x80BecomesASyncOnlyAfterTheSilence) {
  FrameDecoder decoder;
  EXPECT_FALSE(decoder.Feed(0x80, 1000));
  EXPECT_FALSE(decoder.AdvanceTo(1000 + kSyncGapMicros - 1));
  const auto sync = decoder.AdvanceTo(1000 + kSyncGapMicros);
  ASSERT_TRUE(sync);
  EXPECT_EQ(sync->kind, Request::Kind::kSync);
  EXPECT_EQ(sync->at, 1000 + kSyncGapMicros);
  EXPECT_FALSE(decoder.Deadline());
}

TEST(FrameDecoder, AFrameEndsWithItsLastByte) {
  FrameDecoder decoder;
  const auto requests = FeedBackToBack(decoder, kMassErase);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, Request::Kind::kFrame);
  EXPECT_EQ(requests[0].bytes, kMassErase);
  EXPECT_EQ(requests[0].at, 10 * kByteMicros);
}

TEST(FrameDecoder, ABlockWriteTakesItsSizeFromTheLengthFieldWhateverL1Says) {
  const Bytes data(128, 0x5A);
  for (int l1 : {4 + 128, 138}) {  // the loader's own count, and the whole frame as this tool sends it
    FrameDecoder decoder;
    const auto requests = FeedBackToBack(decoder, Frame(0x12, 0x1000, 128, data, l1));
    ASSERT_EQ(requests.size(), 1u) << l1;
    EXPECT_EQ(requests[0].kind, Request::Kind::kFrame);
    EXPECT_EQ(requests[0].data_size(), 128u);
  }
}

TEST(FrameDecoder, SpoiltFramesAreMalformed) {
  Bytes bad_check = kMassErase;
  bad_check[9] ^= 0xFF;
  Bytes unequal_lengths = kMassErase;
  unequal_lengths[3] = 0x05;
  // Spoilt before its end, a frame's length is unknown: the line is ignored until it
  // falls silent, so a 0x80 among the rest is not taken for a sync.
  struct Case {
    Bytes frame;
    bool cut_short;
  };
  const Case cases[] = {
      {{0x80, 0x42, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, true},  // unknown command
      {unequal_lengths, true},
      {Frame(0x12, 0x1000, 0), true},    // a block write of nothing
      {Frame(0x12, 0x1000, 251), true},  // longer than the loader's buffer
      {bad_check, false},
  };
  for (const auto &c : cases) {
    FrameDecoder decoder;
    const auto requests = FeedBackToBack(decoder, c.frame);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, Request::Kind::kMalformed);
    const uint64_t end = c.frame.size() * kByteMicros;
    EXPECT_EQ(decoder.Deadline().has_value(), c.cut_short);
    if (!c.cut_short) continue;
    EXPECT_FALSE(decoder.Feed(0x80, end + kByteMicros));
    EXPECT_FALSE(decoder.AdvanceTo(end + kByteMicros + kSyncGapMicros));
    // Once the line was silent, a sync is heard again.
    EXPECT_FALSE(decoder.Feed(0x80, end + 3 * kSyncGapMicros));
    const auto sync = decoder.AdvanceTo(end + 4 * kSyncGapMicros);
    ASSERT_TRUE(sync);
    EXPECT_EQ(sync->kind, Request::Kind::kSync);
  }
}

TEST(FrameDecoder, AStalledFrameIsDroppedSilently) {
  FrameDecoder decoder;
  EXPECT_TRUE(FeedBackToBack(decoder, Bytes(kMassErase.begin(), kMassErase.begin() + 6)).empty());
  EXPECT_FALSE(decoder.AdvanceTo(6 * kByteMicros + kFrameStallMicros));
  EXPECT_FALSE(decoder.Deadline());
  const auto requests = FeedBackToBack(decoder, kMassErase, 6 * kByteMicros + kFrameStallMicros);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, Request::Kind::kFrame);
}

}  // namespace
}  // namespace rilo::sim
