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
using testing::ShownMessage;

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

const ShownMessage kConnectFailed{"連線失敗",
                                  "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;"
                                  "若通信埠錯誤,需於設定後重新啟動程式!",
                                  Icon::Error, false};

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

using Handshake = testing::LoaderFixture;

TEST_F(Handshake, EntryMovesTheLinesFiveMillisecondsApartThenSyncsTenLater) {
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

TEST_F(Handshake, InvertedRtsIsLearntOnceAndTriedFirstAfterwards) {
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

TEST_F(Handshake, AUnitThatNeverAnswersTriesBothPatternsEveryTime) {
  loader.EnterLoader();
  EXPECT_EQ(Lines(port.events), Patterns({&kPatternA, &kPatternB}));
  EXPECT_EQ(loader.RtsInverted, 0);
  EXPECT_EQ(link.ReplyBuffer[0], 0);
}

TEST_F(Handshake, ANeverOpenedPortIsReportedAtEveryEntry) {
  Link closed{port, clock, person};
  Loader l{closed, person, testing::Ventrix(), testing::TestProductLine(), machineType, flags};
  port.events.clear();
  l.EnterLoader();
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(person.shown, std::vector<ShownMessage>{kConnectFailed});

  person.shown.clear();
  EXPECT_FALSE(l.ConnectDevice());
  // One message per entry, then the handshake's own.
  EXPECT_EQ(person.shown, std::vector<ShownMessage>(5, kConnectFailed));
}

struct PasswordCase {
  const char *name;
  VectorTable accepted;
  uint8_t version[2];
  size_t tries;
  bool identified;
  uint8_t patchNeeded;
  uint8_t shortImage;
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
  EXPECT_TRUE(person.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordOrder,
    ::testing::Values(PasswordCase{"A", testing::Table(0xA1), {0x01, 0x61}, 1, false, 0, 1},
                      PasswordCase{"B", testing::Table(0xB2), {0x01, 0x61}, 2, false, 1, 0},
                      // C identifies; a short-image loader version is overruled afterwards.
                      PasswordCase{"C", testing::Table(0xC3), {0x02, 0x20}, 3, true, 0, 0},
                      PasswordCase{"Erased", testing::Table(0xFF), {0x02, 0x20}, 4, true, 0, 1}),
    [](const auto &p) { return std::string(p.param.name); });

TEST_F(Handshake, NoAcceptedPasswordFailsWithTheConnectionMessage) {
  ScriptedUnit u;
  u.password = testing::Table(0x42);
  Attach(u);
  EXPECT_FALSE(loader.ConnectDevice());
  EXPECT_EQ(Passwords(port.Frames()).size(), 4u);
  EXPECT_EQ(person.shown, std::vector<ShownMessage>{kConnectFailed});
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

TEST_F(Handshake, IdentificationWaitsTenMillisecondsForItsReplyAfterThePause) {
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

struct MarkerCase {
  const char *name;
  uint8_t marker;
  bool pageAnswered;
  uint8_t factory;
  const char *typeBefore;
  bool connected;
  const char *typeAfter;
  bool modelMessage;
  int typeChanges;
  friend void PrintTo(const MarkerCase &c, std::ostream *os) { *os << c.name; }
};

class Marker : public testing::LoaderFixture, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(Marker, DecidesTheMachineTypeAndTheConnection) {
  const MarkerCase &c = GetParam();
  ScriptedUnit u;
  u.marker = c.marker;
  u.answersPageRead = c.pageAnswered;
  Attach(u);
  flags.Factory = c.factory;
  machineType = c.typeBefore;
  int changes = 0;
  std::string typeSeen;
  loader.MachineTypeChange = [&] {
    ++changes;
    typeSeen = machineType;
  };

  EXPECT_EQ(loader.ConnectDevice(), c.connected);

  EXPECT_EQ(machineType, c.typeAfter);
  EXPECT_EQ(loader.DeviceConnected, c.connected ? 1 : 0);
  EXPECT_EQ(changes, c.typeChanges);
  if (changes) {
    EXPECT_EQ(typeSeen, c.typeAfter);
  }
  const std::vector<ShownMessage> modelError = {
      {"型號錯誤", "機器型號錯誤,請確認您的機器型號是否正確!!", Icon::Error, false}};
  EXPECT_EQ(person.shown, c.modelMessage ? modelError : std::vector<ShownMessage>{});
  if (c.pageAnswered) {
    EXPECT_EQ(loader.InfoPage[132], c.marker);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Marker,
    ::testing::Values(MarkerCase{"AaSetsQ12", 0xAA, true, 0, "", true, "12", false, 1},
                      MarkerCase{"AcSetsQ10", 0xAC, true, 0, "", true, "10", false, 1},
                      MarkerCase{"AChosenTypeIsKept", 0xAC, true, 0, "12", true, "12", false, 1},
                      // The tool keeps running: the person's unsaved work is not lost.
                      MarkerCase{"OtherMarkerFailsTheHandshake", 0x55, true, 0, "", false, "", true, 0},
                      MarkerCase{"UnreadPageReadsAsFF", 0xAA, false, 0, "", false, "", true, 0},
                      MarkerCase{"FactoryTakesAnyMarker", 0x55, true, 1, "", true, "", false, 0},
                      MarkerCase{"FactoryLeavesTheTypeAlone", 0xAA, true, 1, "", true, "", false, 0}),
    [](const auto &p) { return std::string(p.param.name); });

TEST_F(Handshake, PasswordAGoesStraightToTheIdentityPage) {
  Attach({});
  ASSERT_TRUE(loader.ConnectDevice());
  // entry sync, password A, its sync; entry sync, password A, its sync, page read.
  EXPECT_EQ(Commands(port.Frames()), (std::vector<uint8_t>{0x80, 0x10, 0x80, 0x80, 0x10, 0x80, 0x14}));
  EXPECT_EQ(port.Frames().back(), testing::Sealed({0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00}));
}

TEST_F(Handshake, ReadPageStoresAReadyToSendFrame) {
  Attach({});
  loader.CurrentPassword = unit.password;
  ASSERT_TRUE(loader.ReadPage(0xFF60));
  Bytes expected = {0x80, 0x12, 0x8A, 0x8A, 0x60, 0xFF, 0x80, 0x00};
  Bytes data(128, 0x11);
  data[124] = 0xAA;
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(Bytes(loader.InfoPage.begin(), loader.InfoPage.end()), testing::Sealed(expected));

  ScriptedUnit silent;
  silent.answersPageRead = false;
  Attach(silent);
  EXPECT_FALSE(loader.ReadPage(0xFF60));
  for (uint8_t b : loader.InfoPage)
    ASSERT_EQ(b, 0xFF);
}

TEST_F(Handshake, ReadSettingsBlockThroughThePatchGetsEveryByte) {
  Attach({});
  loader.CurrentPassword = unit.password;
  loader.PatchNeeded = 1;
  SettingsImage device{};
  ASSERT_TRUE(loader.ReadSettingsBlock(1, device));
  // entry, password, the preamble (ROM loader, password, patch, start patch), the read; each with its sync.
  EXPECT_EQ(Commands(port.Frames()), (std::vector<uint8_t>{0x80, 0x10, 0x80, 0x1A, 0x80, 0x10, 0x80, 0x12,
                                                           0x80, 0x1A, 0x80, 0x14, 0x80}));
  // The whole block, to its last bytes, which arrive after the read's own timeout.
  for (int i = 0; i < 128; ++i)
    ASSERT_EQ(device[128 + i], static_cast<uint8_t>(0x80 + i)) << i;
  for (int i = 0; i < 128; ++i)
    ASSERT_EQ(device[i], 0) << i;
}

TEST_F(Handshake, WriteSettingsBlock1StampsTheImageButKeepsItsOwnRoutineBytes) {
  Attach({});
  loader.CurrentPassword = unit.password;
  SettingsImage image;
  image.fill(0x21);
  for (const auto &[type, model] : {std::pair{"12", 0x33}, std::pair{"10", 0x00}}) {
    machineType = type;
    ASSERT_TRUE(loader.WriteSettingsBlock(1, image));
    EXPECT_EQ(B1(image, 0), 0x0F);
    EXPECT_EQ(B1(image, 1), model);
    EXPECT_EQ(B1(image, 17), 0xEE);
    EXPECT_EQ(B1(image, 20), 0xEF);
    EXPECT_EQ(B1(image, 8), 0x0F ^ 0x21 ^ 0x21 ^ 0x21);
    EXPECT_EQ(B1(image, 9), model ^ 0x21 ^ 0x21 ^ 0x21);
    for (int i = 104; i < 122; ++i)
      EXPECT_EQ(B1(image, i), 0x21) << i;
  }
}

TEST_F(Handshake, WriteSettingsBlock1WithoutAMachineTypeSendsNothing) {
  Attach({});
  SettingsImage image;
  image.fill(0x21);
  const SettingsImage before = image;
  EXPECT_FALSE(loader.WriteSettingsBlock(1, image));
  EXPECT_EQ(image, before);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(person.shown,
            (std::vector<ShownMessage>{{"寫入錯誤", "寫入錯誤,請確定要寫入的機型!!", Icon::Error, false}}));
}

}  // namespace
}  // namespace rilo
