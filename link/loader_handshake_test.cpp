// The handshake: loader entry, password order, identification, model marker; and the
// settings block commands' effects on the images.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/testing/loader_fixture.h"

namespace rilo {
namespace {

using testing::Bytes;
using testing::PortEvent;
using testing::ScriptedUnit;

struct LineLevel {
  PortEvent::Kind line;
  bool on;
  bool operator==(const LineLevel &) const = default;
};
constexpr auto kDtr = PortEvent::Kind::Dtr;
constexpr auto kRts = PortEvent::Kind::Rts;
const std::vector<LineLevel> kPatternA = {{kDtr, false}, {kRts, true}, {kRts, false}, {kRts, true},
                                          {kRts, false}, {kDtr, true}, {kRts, true}};
const std::vector<LineLevel> kPatternB = {{kDtr, false}, {kRts, false}, {kRts, true}, {kRts, false},
                                          {kRts, true},  {kDtr, true},  {kRts, false}};

std::vector<LineLevel> Lines(const std::vector<PortEvent> &events) {
  std::vector<LineLevel> out;
  for (const auto &e : events)
    if (e.kind == kDtr || e.kind == kRts) out.push_back({e.kind, e.on});
  return out;
}

std::vector<LineLevel> Patterns(std::initializer_list<const std::vector<LineLevel> *> patterns) {
  std::vector<LineLevel> out;
  for (const auto *p : patterns)
    out.insert(out.end(), p->begin(), p->end());
  return out;
}

// Command codes of the frames written, 0x80 standing for a sync.
std::vector<uint8_t> Commands(const std::vector<Bytes> &frames) {
  std::vector<uint8_t> out;
  for (const auto &f : frames)
    out.push_back(f.size() == 1 ? 0x80 : f[1]);
  return out;
}

// The passwords sent, in order.
std::vector<VectorTable> Passwords(const std::vector<Bytes> &frames) {
  std::vector<VectorTable> out;
  for (const auto &f : frames) {
    if (f.size() != 42 || f[1] != 0x10) continue;
    VectorTable p;
    std::copy(f.begin() + 8, f.begin() + 40, p.begin());
    out.push_back(p);
  }
  return out;
}

bool Sent(const std::vector<Bytes> &frames, uint8_t command) {
  return std::any_of(frames.begin(), frames.end(),
                     [&](const Bytes &f) { return f.size() > 1 && f[1] == command; });
}

using LoaderHandshake = testing::LoaderFixture;

TEST_F(LoaderHandshake, EntryMovesTheLinesFiveMillisecondsApartThenSyncsTenLater) {
  Attach({});
  loader.EnterLoader();
  EXPECT_EQ(Lines(port.events), kPatternA);
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(port.events[i].atMicros, i * 5'000) << i;
  EXPECT_EQ(port.events[7].kind, PortEvent::Kind::Purge);
  EXPECT_EQ(port.events[8].bytes, Bytes{0x80});
  EXPECT_EQ(port.events[8].atMicros, 40'000u);
  EXPECT_EQ(link.ReplyBuffer[0], 0x90);
  EXPECT_EQ(loader.RtsInverted, 0);
}

TEST_F(LoaderHandshake, InvertedRtsIsLearntOnceAndTriedFirstAfterwards) {
  ScriptedUnit u;
  u.invertedRts = true;
  Attach(u);
  ASSERT_TRUE(loader.ConnectDevice());
  EXPECT_EQ(loader.RtsInverted, 1);
  const auto first = Lines(port.events);
  ASSERT_GE(first.size(), 14u);
  EXPECT_EQ(std::vector<LineLevel>(first.begin(), first.begin() + 14), Patterns({&kPatternA, &kPatternB}));

  port.events.clear();
  ASSERT_TRUE(loader.ConnectDevice());
  // Entries for the password and for the identity page read: pattern B only.
  EXPECT_EQ(Lines(port.events), Patterns({&kPatternB, &kPatternB}));
}

TEST_F(LoaderHandshake, AUnitThatNeverAnswersTriesBothPatternsEveryTime) {
  loader.EnterLoader();
  EXPECT_EQ(Lines(port.events), Patterns({&kPatternA, &kPatternB}));
  EXPECT_EQ(loader.RtsInverted, 0);
  EXPECT_EQ(link.ReplyBuffer[0], 0);
}

TEST_F(LoaderHandshake, ANeverOpenedPortSendsNothingAndNothingAnswers) {
  Link closed{port, clock};
  Loader l{closed, testing::Ventrix(), testing::TestProductLine()};
  port.events.clear();
  l.EnterLoader();
  EXPECT_EQ(l.ConnectDevice().ending, Handshake::Ending::NoAnswer);
  EXPECT_TRUE(port.events.empty());
}

struct PasswordCase {
  const char *name;
  VectorTable accepted;
  uint8_t version[2];
  size_t tries;
  bool identified;
  uint8_t patchNeeded;
  uint8_t shortImage;
  const char *role;  // the receivers' passwords tell it; the others go by the chip (a receiver's here)
  friend void PrintTo(const PasswordCase &c, std::ostream *os) { *os << c.name; }
};

class PasswordOrder : public testing::LoaderFixture, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordOrder, SetsTheFlagsOfTheFirstAcceptedPassword) {
  const PasswordCase &c = GetParam();
  ScriptedUnit u;
  u.password = c.accepted;
  u.version[0] = c.version[0];
  u.version[1] = c.version[1];
  Attach(u);
  loader.PatchNeeded = 7;
  loader.ShortImage = 7;

  ASSERT_TRUE(loader.ConnectDevice());

  const auto &line = testing::TestProductLine();
  const std::vector<VectorTable> order = {line.PasswordA, line.PasswordB, line.PasswordC,
                                          testing::Table(0xFF)};
  const auto sent = Passwords(port.Frames());
  ASSERT_GE(sent.size(), c.tries);
  EXPECT_EQ(std::vector<VectorTable>(sent.begin(), sent.begin() + c.tries),
            std::vector<VectorTable>(order.begin(), order.begin() + c.tries));
  EXPECT_EQ(Sent(port.Frames(), 0x1E), c.identified);
  EXPECT_EQ(loader.CurrentPassword, c.accepted);
  EXPECT_EQ(loader.PatchNeeded, c.patchNeeded);
  EXPECT_EQ(loader.ShortImage, c.shortImage);
  EXPECT_EQ(loader.DeviceConnected, 1);
  EXPECT_EQ(loader.UnitRole(), c.role);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordOrder,
    ::testing::Values(PasswordCase{"A", testing::Table(0xA1), {0x01, 0x61}, 1, false, 0, 1, "Rx"},
                      PasswordCase{"B", testing::Table(0xB2), {0x01, 0x61}, 2, false, 1, 0, "Rx"},
                      // C identifies; a short-image loader version is overruled afterwards.
                      PasswordCase{"C", testing::Table(0xC3), {0x02, 0x20}, 3, true, 0, 0, "Rx"},
                      PasswordCase{"Erased", testing::Table(0xFF), {0x02, 0x20}, 4, true, 0, 1, "Rx"}),
    [](const auto &p) { return std::string(p.param.name); });

TEST_F(LoaderHandshake, NoAcceptedPasswordIsNoAnswer) {
  ScriptedUnit u;
  u.password = testing::Table(0x42);
  Attach(u);
  EXPECT_EQ(loader.ConnectDevice().ending, Handshake::Ending::NoAnswer);
  EXPECT_EQ(Passwords(port.Frames()).size(), 4u);
  EXPECT_EQ(loader.DeviceConnected, 0);
  EXPECT_FALSE(Sent(port.Frames(), 0x14)) << "no identity page read";
}

struct IdentifyCase {
  const char *name;
  bool answersVersionQuery;
  uint8_t chip[2];
  uint8_t version[2];
  const char *role;
  uint8_t patchNeeded;  // both flags start at 7
  uint8_t shortImage;
  friend void PrintTo(const IdentifyCase &c, std::ostream *os) { *os << c.name; }
};

class Identify : public testing::LoaderFixture, public ::testing::WithParamInterface<IdentifyCase> {};

TEST_P(Identify, MapsChipAndLoaderVersion) {
  const IdentifyCase &c = GetParam();
  ScriptedUnit u;
  u.answersVersionQuery = c.answersVersionQuery;
  std::copy_n(c.chip, 2, u.chip);
  std::copy_n(c.version, 2, u.version);
  Attach(u);
  loader.CurrentPassword = u.password;
  loader.DeviceRole = "Tx";
  loader.PatchNeeded = 7;
  loader.ShortImage = 7;

  loader.IdentifyDevice();

  EXPECT_EQ(loader.DeviceRole, c.role);
  EXPECT_EQ(loader.PatchNeeded, c.patchNeeded);
  EXPECT_EQ(loader.ShortImage, c.shortImage);
  const auto frames = port.Frames();
  EXPECT_TRUE(std::find(frames.begin(), frames.end(),
                        Bytes{0x80, 0x1E, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE5}) != frames.end());
  const bool chipRead =
      std::find(frames.begin(), frames.end(),
                Bytes{0x80, 0x14, 0x04, 0x04, 0xF0, 0x0F, 0x0F, 0x00, 0x84, 0xE0}) != frames.end();
  EXPECT_EQ(chipRead, !c.answersVersionQuery);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Identify,
    ::testing::Values(
        IdentifyCase{"Loader161Transmitter", true, {0xF1, 0x12}, {0x01, 0x61}, "Tx", 0, 0},
        IdentifyCase{"OtherLoaderIsShortImage", true, {0xF1, 0x23}, {0x02, 0x20}, "Rx", 0, 1},
        IdentifyCase{"Chip1232IsReceiver", true, {0x12, 0x32}, {0x01, 0x61}, "Rx", 0, 0},
        IdentifyCase{"ChipF149IsReceiver", true, {0xF1, 0x49}, {0x01, 0x61}, "Rx", 0, 0},
        IdentifyCase{"UnknownChipHasNoRole", true, {0x11, 0x11}, {0x01, 0x61}, "", 0, 0},
        IdentifyCase{"Loader110NeedsThePatch", false, {0xF1, 0x23}, {0x01, 0x10}, "Rx", 1, 0},
        IdentifyCase{"FallbackWithoutVersionKeepsFlags", false, {0xF1, 0x12}, {0x00, 0x00}, "Tx", 7, 7},
        IdentifyCase{"FallbackOtherVersionNeedsNoPatch", false, {0xF1, 0x49}, {0x01, 0x30}, "Rx", 0, 7}),
    [](const auto &p) { return std::string(p.param.name); });

TEST_F(LoaderHandshake, IdentificationWaitsTenMillisecondsForItsReplyAfterThePause) {
  ScriptedUnit u;
  Attach(u);
  port.answer = [this](const Bytes &frame) -> testing::Answer {
    if (frame.size() > 1 && frame[1] == 0x1E) return {};  // the version query goes unanswered
    return unit(frame, port.events);
  };
  loader.CurrentPassword = u.password;
  loader.IdentifyDevice();
  // The fallback's entry starts 50 + 10 ms after the query's last byte.
  uint64_t queryEnd = 0, nextLine = 0;
  for (const auto &e : port.events) {
    if (e.kind == PortEvent::Kind::Write && e.bytes.size() > 1 && e.bytes[1] == 0x1E)
      queryEnd = e.atMicros + 10 * kByteMicros;
    else if (queryEnd && !nextLine && e.kind != PortEvent::Kind::Write && e.kind != PortEvent::Kind::Purge)
      nextLine = e.atMicros;
  }
  EXPECT_EQ(nextLine - queryEnd, 60'000u);
}

TEST_F(LoaderHandshake, TheIdentityPageReadIsReportedWhateverItHolds) {
  for (const bool answered : {true, false}) {
    ScriptedUnit u;
    u.marker = 0x55;
    u.answersPageRead = answered;
    Attach(u);
    const Handshake handshake = loader.ConnectDevice();
    ASSERT_TRUE(handshake);
    EXPECT_EQ(handshake.identityPage, answered ? ReadOutcome::Read : ReadOutcome::Missing);
    EXPECT_EQ(loader.InfoPage[132], answered ? 0x55 : 0xFF);
    EXPECT_EQ(loader.DeviceConnected, 1);
  }
}

TEST_F(LoaderHandshake, PasswordAGoesStraightToTheIdentityPage) {
  Attach({});
  ASSERT_TRUE(loader.ConnectDevice());
  // entry sync, password A, its sync; entry sync, password A, its sync, page read.
  EXPECT_EQ(Commands(port.Frames()), (std::vector<uint8_t>{0x80, 0x10, 0x80, 0x80, 0x10, 0x80, 0x14}));
  EXPECT_EQ(port.Frames().back(), testing::Sealed({0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00}));
}

TEST_F(LoaderHandshake, ReadPageStoresAReadyToSendFrame) {
  Attach({});
  loader.CurrentPassword = unit.password;
  ASSERT_EQ(loader.ReadPageOutcome(0xFF60), ReadOutcome::Read);
  Bytes expected = {0x80, 0x12, 0x8A, 0x8A, 0x60, 0xFF, 0x80, 0x00};
  Bytes data(128, 0x11);
  data[124] = 0xAA;
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(Bytes(loader.InfoPage.begin(), loader.InfoPage.end()), testing::Sealed(expected));

  ScriptedUnit silent;
  silent.answersPageRead = false;
  Attach(silent);
  EXPECT_EQ(loader.ReadPageOutcome(0xFF60), ReadOutcome::Missing);
  for (uint8_t b : loader.InfoPage)
    ASSERT_EQ(b, 0xFF);
}

TEST_F(LoaderHandshake, ReadSettingsBlockThroughThePatchGetsEveryByte) {
  Attach({});
  loader.CurrentPassword = unit.password;
  loader.PatchNeeded = 1;
  std::array<uint8_t, 128> block{};
  ASSERT_EQ(loader.ReadSettingsBlock(1, block), ReadOutcome::Read);
  // entry, password, the preamble (ROM loader, password, patch, start patch), the read; each with its sync.
  EXPECT_EQ(Commands(port.Frames()), (std::vector<uint8_t>{0x80, 0x10, 0x80, 0x1A, 0x80, 0x10, 0x80, 0x12,
                                                           0x80, 0x1A, 0x80, 0x14, 0x80}));
  // The whole block, to its last bytes, which arrive after the read's own timeout.
  for (int i = 0; i < 128; ++i)
    ASSERT_EQ(block[i], static_cast<uint8_t>(0x80 + i)) << i;
}

TEST_F(LoaderHandshake, WriteSettingsBlockSendsTheBytesAsGiven) {
  Attach({});
  loader.CurrentPassword = unit.password;
  std::array<uint8_t, 128> block;
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = static_cast<uint8_t>(i * 3);
  ASSERT_TRUE(loader.WriteSettingsBlock(1, block));
  const Bytes expected = testing::Sealed(
      testing::Concat({{0x80, 0x12, 0x8A, 0x8A, 0x80, 0x10, 0x80, 0x00}, Bytes(block.begin(), block.end())}));
  const auto frames = port.Frames();
  EXPECT_TRUE(std::find(frames.begin(), frames.end(), expected) != frames.end());
}

}  // namespace
}  // namespace rilo
