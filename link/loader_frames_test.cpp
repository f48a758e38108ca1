// Every frame of the loader's command table as it leaves the port, with its reply
// wait, the 50 ms pause after it and the sync that follows an accepted command.
#include <gtest/gtest.h>

#include <functional>

#include "link/loader_frames.h"
#include "link/testing/loader_fixture.h"

namespace rilo {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::PortEvent;
using testing::Sealed;

SettingsImage Numbered() {
  SettingsImage image;
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<uint8_t>(i * 7 + 3);
  return image;
}

Bytes Block(const SettingsImage &image, int block) {
  return Bytes(image.begin() + block * 128, image.begin() + block * 128 + 128);
}

// Block 1 as it must go out for MachineType "12": model code, markers, check word,
// and the check-word routine in place of bytes 104..121.
Bytes StampedBlock1ForQ12() {
  Bytes data = Block(Numbered(), 1);
  data[0] = 0x0F;
  data[1] = 0x33;
  data[17] = 0xEE;
  data[20] = 0xEF;
  data[8] = data[0] ^ data[2] ^ data[4] ^ data[6];
  data[9] = data[1] ^ data[3] ^ data[5] ^ data[7];
  const Bytes routine = {0x15, 0x42, 0x80, 0x10, 0x15, 0xE2, 0x82, 0x10, 0x15,
                         0xE2, 0x84, 0x10, 0x15, 0xE2, 0x86, 0x10, 0x30, 0x41};
  std::copy(routine.begin(), routine.end(), data.begin() + 104);
  return data;
}

struct FrameCase {
  const char *name;
  std::function<bool(Loader &, Link &, SettingsImage &)> run;
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
  SettingsImage image = Numbered();
  return {
      {"SendSync",
       [](Loader &l, Link &k, SettingsImage &) {
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
       [](Loader &l, Link &, SettingsImage &) { return l.MassErase(); },
       {0x80, 0x18, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE3},
       500,
       1,
       false,
       false,
       false},
      {"SendDefaultPassword", [](Loader &l, Link &, SettingsImage &) { return l.SendDefaultPassword(); },
       Sealed(Concat({{0x80, 0x10, 0x24, 0x24, 0xE0, 0xFF, 0x20, 0x00}, kErased})), 10, 1, true, false,
       false},
      {"SendPassword",
       [](Loader &l, Link &, SettingsImage &) {
         l.CurrentPassword.fill(0xB2);
         return l.SendPassword();
       },
       Sealed(Concat({{0x80, 0x10, 0x24, 0x24, 0xE0, 0xFF, 0x20, 0x00}, kB})), 10, 1, true, false, false},
      {"WriteVectors",
       [](Loader &l, Link &, SettingsImage &) {
         l.CurrentPassword.fill(0xC3);
         return l.WriteVectors();
       },
       Sealed(Concat({{0x80, 0x12, 0x2A, 0x2A, 0xE0, 0xFF, 0x20, 0x00}, kC})), 10, 1, true, false, false},
      {"EraseSettingsBlock1",
       [](Loader &l, Link &, SettingsImage &) { return l.EraseSettingsBlock(1); },
       {0x80, 0x16, 0x04, 0x04, 0x80, 0x10, 0x02, 0xA5, 0xF9, 0x58},
       50,
       1,
       true,
       true,
       false},
      {"EraseSettingsBlock0",
       [](Loader &l, Link &, SettingsImage &) { return l.EraseSettingsBlock(0); },
       {0x80, 0x16, 0x04, 0x04, 0x00, 0x10, 0x02, 0xA5, 0x79, 0x58},
       50,
       1,
       true,
       true,
       false},
      {"EraseSegment", [](Loader &l, Link &, SettingsImage &) { return l.EraseSegment(0xFE00); },
       Sealed({0x80, 0x16, 0x04, 0x04, 0x00, 0xFE, 0x02, 0xA5}), 50, 1, true, false, false},
      {"SendLoaderPatch", [](Loader &l, Link &, SettingsImage &) { return l.SendLoaderPatch(); },
       Sealed(Concat({{0x80, 0x12, 0xC6, 0xC6, 0x20, 0x02, 0xC2, 0x00}, testing::PublishedPatch()})), 100, 1,
       true, false, false},
      {"StartRomLoader",
       [](Loader &l, Link &, SettingsImage &) { return l.StartRomLoader(); },
       {0x80, 0x1A, 0x04, 0x04, 0x22, 0x0C, 0x00, 0x00, 0x59, 0xED},
       10,
       1,
       true,
       false,
       false},
      {"StartPatch",
       [](Loader &l, Link &, SettingsImage &) { return l.StartPatch(); },
       {0x80, 0x1A, 0x04, 0x04, 0x20, 0x02, 0x00, 0x00, 0x5B, 0xE3},
       10,
       1,
       true,
       false,
       false},
      {"WriteSettingsBlock0", [](Loader &l, Link &, SettingsImage &i) { return l.WriteSettingsBlock(0, i); },
       Sealed(Concat({{0x80, 0x12, 0x8A, 0x8A, 0x00, 0x10, 0x80, 0x00}, Block(image, 0)})), 200, 1, true,
       false, false},
      {"WriteSettingsBlock0Patched",
       [](Loader &l, Link &, SettingsImage &i) { return l.WriteSettingsBlock(0, i); },
       Sealed(Concat({{0x80, 0x12, 0x8A, 0x8A, 0x00, 0x10, 0x80, 0x00}, Block(image, 0)})), 100, 1, true,
       false, false, 1},
      {"WriteSettingsBlock1", [](Loader &l, Link &, SettingsImage &i) { return l.WriteSettingsBlock(1, i); },
       Sealed(Concat({{0x80, 0x12, 0x8A, 0x8A, 0x80, 0x10, 0x80, 0x00}, StampedBlock1ForQ12()})), 200, 1,
       true, false, false},
      {"ReadSettingsBlock1",
       [](Loader &l, Link &, SettingsImage &i) { return l.ReadSettingsBlock(1, i); },
       {0x80, 0x14, 0x04, 0x04, 0x80, 0x10, 0x80, 0x00, 0x7B, 0xFF},
       100,
       134,
       true,
       false,
       false},
      {"ReadSettingsBlock0",
       [](Loader &l, Link &, SettingsImage &i) { return l.ReadSettingsBlock(0, i); },
       {0x80, 0x14, 0x04, 0x04, 0x00, 0x10, 0x80, 0x00, 0xFB, 0xFF},
       100,
       134,
       true,
       false,
       false},
      {"ReadPage", [](Loader &l, Link &, SettingsImage &) { return l.ReadPage(0xFF60); },
       Sealed({0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00}), 200, 134, false, false, false},
  };
}

class FrameTest : public testing::LoaderFixture, public ::testing::WithParamInterface<FrameCase> {
 protected:
  // Runs the case against a unit that accepts everything but `silentTo`, which it
  // leaves unanswered. Answers the op's result and the writes from the command on.
  bool Run(const FrameCase &c, bool answerCommand) {
    machineType = "12";
    loader.PatchNeeded = c.patchNeeded;
    port.answer = [&](const Bytes &frame) -> testing::Answer {
      if (!answerCommand && frame == c.frame) return {};
      if (frame.size() > 1 && frame[1] == 0x14) return {testing::DataReply(std::vector<uint8_t>(128, 0x5A))};
      return {{0x90}};
    };
    SettingsImage image = Numbered();
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
  EXPECT_TRUE(person.shown.empty());
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
