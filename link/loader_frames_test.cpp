// Every frame of the loader's command table as it leaves the port, with its reply
// wait, the 50 ms pause after it and the sync that follows an accepted command.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <span>

#include "link/loader_frames.h"
#include "link/testing/loader_fixture.h"

namespace rilo {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::PortEvent;
using testing::Sealed;

using Settings = std::array<uint8_t, 256>;

Settings Numbered() {
  Settings image;
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<uint8_t>(i * 7 + 3);
  return image;
}

Bytes Block(const Settings &image, int block) {
  return Bytes(image.begin() + block * 128, image.begin() + block * 128 + 128);
}

std::span<uint8_t, 128> BlockOf(Settings &image, int block) {
  return std::span<uint8_t, 128>(image.data() + block * 128, 128);
}

struct FrameCase {
  const char *name;
  std::function<bool(Loader &, Link &, Settings &)> run;
  Bytes frame;
  uint32_t waitMs;
  size_t replyLength;
  bool syncWhenAccepted;
  bool syncWhenRefused;
  bool resultWhenRefused;
  uint8_t patchNeeded = 0;
  friend void PrintTo(const FrameCase &c, std::ostream *os) { *os << c.name; }
};

const Bytes kErased(32, 0xFF);
const Bytes kB(32, 0xB2);
const Bytes kC(32, 0xC3);

std::vector<FrameCase> Cases() {
  Settings image = Numbered();
  return {
      {"SendSync",
       [](Loader &l, Link &k, Settings &) {
         l.SendSync();
         return k.ReplyBuffer[0] == 0x90;
       },
       {0x80},
       50,
       1,
       false,
       false,
       false},
      {"MassErase",
       [](Loader &l, Link &, Settings &) { return l.MassErase(); },
       {0x80, 0x18, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE3},
       500,
       1,
       false,
       false,
       false},
      {"SendDefaultPassword", [](Loader &l, Link &, Settings &) { return l.SendDefaultPassword(); },
       Sealed(Concat({{0x80, 0x10, 0x24, 0x24, 0xE0, 0xFF, 0x20, 0x00}, kErased})), 10, 1, true, false,
       false},
      {"SendPassword",
       [](Loader &l, Link &, Settings &) {
         l.CurrentPassword.fill(0xB2);
         return l.SendPassword();
       },
       Sealed(Concat({{0x80, 0x10, 0x24, 0x24, 0xE0, 0xFF, 0x20, 0x00}, kB})), 10, 1, true, false, false},
      {"WriteVectors",
       [](Loader &l, Link &, Settings &) {
         l.CurrentPassword.fill(0xC3);
         return l.WriteVectors();
       },
       Sealed(Concat({{0x80, 0x12, 0x2A, 0x2A, 0xE0, 0xFF, 0x20, 0x00}, kC})), 10, 1, true, false, false},
      {"EraseSettingsBlock1",
       [](Loader &l, Link &, Settings &) { return l.EraseSettingsBlock(1); },
       {0x80, 0x16, 0x04, 0x04, 0x80, 0x10, 0x02, 0xA5, 0xF9, 0x58},
       50,
       1,
       true,
       true,
       false},
      {"EraseSettingsBlock0",
       [](Loader &l, Link &, Settings &) { return l.EraseSettingsBlock(0); },
       {0x80, 0x16, 0x04, 0x04, 0x00, 0x10, 0x02, 0xA5, 0x79, 0x58},
       50,
       1,
       true,
       true,
       false},
      {"EraseSegment", [](Loader &l, Link &, Settings &) { return l.EraseSegment(0xFE00); },
       Sealed({0x80, 0x16, 0x04, 0x04, 0x00, 0xFE, 0x02, 0xA5}), 50, 1, true, false, false},
      {"SendLoaderPatch", [](Loader &l, Link &, Settings &) { return l.SendLoaderPatch(); },
       Sealed(Concat({{0x80, 0x12, 0xC6, 0xC6, 0x20, 0x02, 0xC2, 0x00}, testing::PublishedPatch()})), 100, 1,
       true, false, false},
      {"StartRomLoader",
       [](Loader &l, Link &, Settings &) { return l.StartRomLoader(); },
       {0x80, 0x1A, 0x04, 0x04, 0x22, 0x0C, 0x00, 0x00, 0x59, 0xED},
       10,
       1,
       true,
       false,
       false},
      {"StartPatch",
       [](Loader &l, Link &, Settings &) { return l.StartPatch(); },
       {0x80, 0x1A, 0x04, 0x04, 0x20, 0x02, 0x00, 0x00, 0x5B, 0xE3},
       10,
       1,
       true,
       false,
       false},
      {"WriteSettingsBlock0",
       [](Loader &l, Link &, Settings &i) { return l.WriteSettingsBlock(0, BlockOf(i, 0)); },
       Sealed(Concat({{0x80, 0x12, 0x8A, 0x8A, 0x00, 0x10, 0x80, 0x00}, Block(image, 0)})), 200, 1, true,
       false, false},
      {"WriteSettingsBlock0Patched",
       [](Loader &l, Link &, Settings &i) { return l.WriteSettingsBlock(0, BlockOf(i, 0)); },
       Sealed(Concat({{0x80, 0x12, 0x8A, 0x8A, 0x00, 0x10, 0x80, 0x00}, Block(image, 0)})), 100, 1, true,
       false, false, 1},
      {"WriteSettingsBlock1",
       [](Loader &l, Link &, Settings &i) { return l.WriteSettingsBlock(1, BlockOf(i, 1)); },
       Sealed(Concat({{0x80, 0x12, 0x8A, 0x8A, 0x80, 0x10, 0x80, 0x00}, Block(image, 1)})), 200, 1, true,
       false, false},
      {"ReadSettingsBlock1",
       [](Loader &l, Link &, Settings &i) {
         return l.ReadSettingsBlock(1, BlockOf(i, 1)) == ReadOutcome::Read;
       },
       {0x80, 0x14, 0x04, 0x04, 0x80, 0x10, 0x80, 0x00, 0x7B, 0xFF},
       100,
       134,
       true,
       false,
       false},
      {"ReadSettingsBlock0",
       [](Loader &l, Link &, Settings &i) {
         return l.ReadSettingsBlock(0, BlockOf(i, 0)) == ReadOutcome::Read;
       },
       {0x80, 0x14, 0x04, 0x04, 0x00, 0x10, 0x80, 0x00, 0xFB, 0xFF},
       100,
       134,
       true,
       false,
       false},
      {"ReadPage",
       [](Loader &l, Link &, Settings &) { return l.ReadPageOutcome(0xFF60) == ReadOutcome::Read; },
       Sealed({0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00}), 200, 134, false, false, false},
  };
}

class FrameTest : public testing::LoaderFixture, public ::testing::WithParamInterface<FrameCase> {
 protected:
  // Runs the case against a unit that accepts everything but `silentTo`, which it
  // leaves unanswered. Answers the op's result and the writes from the command on.
  bool Run(const FrameCase &c, bool answerCommand) {
    loader.PatchNeeded = c.patchNeeded;
    port.answer = [&](const Bytes &frame) -> testing::Answer {
      if (!answerCommand && frame == c.frame) return {};
      if (frame.size() > 1 && frame[1] == 0x14) return {testing::DataReply(std::vector<uint8_t>(128, 0x5A))};
      return {{0x90}};
    };
    Settings image = Numbered();
    const bool result = c.run(loader, link, image);
    for (size_t i = port.events.size(); i-- > 0;) {
      const PortEvent &e = port.events[i];
      if (e.kind != PortEvent::Kind::Write || e.bytes != c.frame) continue;
      commandEnd = e.atMicros + c.frame.size() * kByteMicros;
      for (size_t j = i + 1; j < port.events.size(); ++j)
        if (port.events[j].kind == PortEvent::Kind::Write) after.push_back(port.events[j]);
      return result;
    }
    ADD_FAILURE() << "the frame never left the port";
    return result;
  }

  uint64_t commandEnd = 0;
  std::vector<PortEvent> after;  // writes after the command frame
};

TEST_P(FrameTest, AcceptedCommandIsFollowedByItsSyncAfterThePause) {
  const FrameCase &c = GetParam();
  ASSERT_TRUE(Run(c, true));
  // The reply is there after the pause, or once its 134 bytes are on the line.
  const uint64_t replied = commandEnd + std::max<uint64_t>(50'000, c.replyLength * kByteMicros);
  if (c.syncWhenAccepted) {
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].bytes, Bytes{0x80});
    EXPECT_NEAR(static_cast<double>(after[0].atMicros), static_cast<double>(replied), 100.0);
    EXPECT_EQ(clock.NowMicros(), after[0].atMicros + kByteMicros + 50'000);
  } else {
    EXPECT_TRUE(after.empty());
    EXPECT_NEAR(static_cast<double>(clock.NowMicros()), static_cast<double>(replied), 100.0);
  }
}

TEST_P(FrameTest, UnansweredCommandWaitsItsTimeoutAfterThePause) {
  const FrameCase &c = GetParam();
  EXPECT_EQ(Run(c, false), c.resultWhenRefused);
  const uint64_t timedOut = commandEnd + 50'000 + uint64_t{c.waitMs} * 1000;
  if (c.syncWhenRefused) {
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].bytes, Bytes{0x80});
    EXPECT_EQ(after[0].atMicros, timedOut);
  } else {
    EXPECT_TRUE(after.empty());
    EXPECT_EQ(clock.NowMicros(), timedOut);
  }
}

INSTANTIATE_TEST_SUITE_P(CommandTable, FrameTest, ::testing::ValuesIn(Cases()),
                         [](const auto &p) { return std::string(p.param.name); });

TEST(FixedFrames, CarryCheckBytesByTheRule) {
  const Frame10 frames[] = {kMassEraseFrame,         kStartRomLoaderFrame,   kStartPatchFrame,
                            kVersionQueryFrame,      kChipReadFrame,         kEraseSettingsFrames[0],
                            kEraseSettingsFrames[1], kReadSettingsFrames[0], kReadSettingsFrames[1]};
  for (const auto &f : frames)
    EXPECT_EQ(Bytes(f.begin(), f.end()), Sealed(Bytes(f.begin(), f.begin() + 8)));
}

}  // namespace
}  // namespace rilo
