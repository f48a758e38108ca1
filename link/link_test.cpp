#include "link/link.h"

#include <gtest/gtest.h>

#include "link/testing/recording_port.h"

namespace rilo {
namespace {

using testing::Answer;
using testing::Bytes;
using testing::PortEvent;

class LinkTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  testing::RecordingPort port{clock};
  Link link{port, clock};
};

TEST_F(LinkTest, OpenFailureLeavesTheLinkUnusable) {
  port.refuseOpen = true;
  EXPECT_FALSE(link.OpenPort("/dev/ttyS0"));
  EXPECT_EQ(port.openedDevice, "/dev/ttyS0");
  EXPECT_EQ(link.PortOpen(), 0);
  EXPECT_EQ(link.State(), PortState::Unusable);

  // Exchanges go nowhere but keep their timing, and the reply reads as empty.
  link.ReplyBuffer.fill(0x55);
  const uint8_t sync = 0x80;
  link.SendFrame(&sync, 1);
  link.WaitReply(50, 1);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(clock.NowMicros(), 100'000u);
  EXPECT_EQ(link.ReplyBuffer[0], 0);
}

TEST_F(LinkTest, OpenAndClose) {
  EXPECT_TRUE(link.OpenPort("/dev/ttyUSB0"));
  EXPECT_EQ(link.PortOpen(), 1);
  EXPECT_TRUE(port.IsOpen());
  link.ClosePort();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(link.PortOpen(), 0);
}

TEST_F(LinkTest, SendFrameWithoutAnOpenedPortDoesNothing) {
  link.ReplyBuffer.fill(0x55);
  const uint8_t frame[] = {0x80, 0x10};
  link.SendFrame(frame, 2);
  link.SetDtr(true);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(clock.NowMicros(), 0u);
  EXPECT_EQ(link.ReplyBuffer[0], 0x55);
}

TEST_F(LinkTest, SendFramePurgesClearsWritesAndPausesFiftyMillisecondsAfterTheLastByte) {
  ASSERT_TRUE(link.OpenPort("/dev/test"));
  port.Send({{0x01, 0x02}});  // stale bytes from before the frame
  clock.AdvanceMicros(5'000);
  link.ReplyBuffer.fill(0x55);

  const uint8_t frame[] = {0x80, 0x14, 0x04, 0x04};
  link.SendFrame(frame, sizeof frame);

  ASSERT_EQ(port.events.size(), 2u);
  EXPECT_EQ(port.events[0].kind, PortEvent::Kind::Purge);
  EXPECT_EQ(port.events[1].kind, PortEvent::Kind::Write);
  EXPECT_EQ(port.events[1].bytes, Bytes(frame, frame + 4));
  EXPECT_EQ(port.events[1].atMicros, 5'000u);
  EXPECT_EQ(clock.NowMicros(), 5'000u + 4 * kByteMicros + 50'000u);
  EXPECT_EQ(port.BytesWaiting(), 0u);
  EXPECT_EQ(link.ReplyBuffer[0], 0);
  EXPECT_EQ(link.ReplyBuffer[255], 0);
}

// A reply starts on the line `replyDelayMicros` after a frame; the wait starts 50 ms
// after the frame, when SendFrame's pause ends.
struct WaitCase {
  const char *name;
  size_t replyLength;
  uint64_t replyDelayMicros;
  uint32_t timeoutMs;
  size_t expected;
  uint64_t returnsAtMicros;  // to the 0.1 ms the virtual clock steps by
  size_t received;
  friend void PrintTo(const WaitCase &c, std::ostream *os) { *os << c.name; }
};

class WaitReplyTest : public LinkTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitReplyTest, Receives) {
  const WaitCase &c = GetParam();
  ASSERT_TRUE(link.OpenPort("/dev/test"));
  Bytes reply(c.replyLength);
  for (size_t i = 0; i < reply.size(); ++i)
    reply[i] = static_cast<uint8_t>(i + 1);
  port.Send({reply, c.replyDelayMicros});
  clock.AdvanceMicros(50'000);
  link.ReplyBuffer.fill(0x55);

  link.WaitReply(c.timeoutMs, c.expected);

  EXPECT_NEAR(static_cast<double>(clock.NowMicros()), static_cast<double>(c.returnsAtMicros), 100.0);
  for (size_t i = 0; i < c.received; ++i)
    ASSERT_EQ(link.ReplyBuffer[i], static_cast<uint8_t>(i + 1)) << i;
  EXPECT_EQ(link.ReplyBuffer[c.received], 0) << "terminator";
  for (size_t i = c.received; i < kReplyCapacity; ++i)
    ASSERT_EQ(link.ReplyBuffer[i], 0) << i;
}

constexpr uint64_t Wire(size_t bytes) {
  return bytes * kByteMicros;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitReplyTest,
    ::testing::Values(WaitCase{"NoDeviceEndsAtTheTimeout", 0, 0, 50, 1, 100'000, 0},
                      WaitCase{"ExactCountEndsAtItsLastByte", 1, 60'000, 50, 1, 60'000 + Wire(1), 1},
                      WaitCase{"AReplyAfterTheTimeoutIsNotSeen", 1, 110'000, 50, 1, 100'000, 0},
                      WaitCase{"MoreThanExpectedWaitsTheFullTimeoutThenReadsAll", 3, 0, 10, 1, 60'000, 3},
                      WaitCase{"ExactlyTwoHundredFiftySixBytes", 256, 0, 500, 256, Wire(256), 256},
                      // 134 bytes take 153.6 ms, more than the 50 + 100 ms a settings read allows: a
                      // reply under way at the deadline gets its missing bytes' wire time.
                      WaitCase{"ADataReplyBegunIsWaitedFor", 134, 0, 100, 134, Wire(134), 134},
                      // 60 bytes by the deadline, then silence: the wire time of 74 more bytes plus 20 ms.
                      WaitCase{"ADataReplyThatStopsEndsAfterItsMissingBytesTime", 60, 0, 100, 134,
                               150'000 + 85'000 + 20'000, 60},
                      WaitCase{"ARefusalInPlaceOfADataReply", 1, 0, 10, 21, 60'000 + 23'000 + 20'000, 1},
                      WaitCase{"ADataReplyNotBegunEndsAtTheTimeout", 134, 150'000, 100, 134, 150'000, 0}),
    [](const auto &p) { return std::string(p.param.name); });

TEST_F(LinkTest, MoreThan256BytesAtTheTimeoutAreDiscardedAndReadAsNothing) {
  ASSERT_TRUE(link.OpenPort("/dev/test"));
  port.Send({Bytes(300, 0x7E)});
  clock.AdvanceMicros(400'000);
  link.WaitReply(500, 1);
  EXPECT_EQ(clock.NowMicros(), 900'000u);
  EXPECT_EQ(link.ReplyBuffer[0], 0);
  EXPECT_EQ(port.BytesWaiting(), 0u);
  EXPECT_EQ(port.events.back().kind, PortEvent::Kind::Purge);
}

TEST_F(LinkTest, DelayCountsTicksModuloTwoToThe32) {
  link.Delay(0);
  EXPECT_EQ(clock.NowMicros(), 0u);
  link.Delay(5);
  EXPECT_EQ(clock.NowMicros(), 5'000u);

  // Three milliseconds before the 32-bit tick wraps.
  clock.AdvanceMicros(((uint64_t{1} << 32) - 3) * 1000 - 5'000 + 400);
  const uint64_t start = clock.NowMicros();
  link.Delay(10);
  EXPECT_EQ(clock.NowMicros() - start, 10'000u);
}

}  // namespace
}  // namespace rilo
