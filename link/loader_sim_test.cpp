// The loader against the simulated unit on the virtual clock: each kind of unit the
// tool meets, the line wiring, the loader versions, the markers and the faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/testing/scripted_operator.h"
#include "link/loader.h"
#include "link/testing/loader_fixture.h"
#include "link/testing/wired_unit.h"

namespace rilo {
namespace {

using testing::kConnectFailed;
using testing::kModelError;
using testing::ShownMessage;
using testing::Standard;
using testing::ToolProductLine;
using testing::Wired;

TEST(LoaderOnSimulatedUnit, ReadsAndWritesTheSettingsOfALoader110ReceiverThroughThePatch) {
  Wired w(Standard(sim::Model::kReceiver16k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  EXPECT_EQ(w.loader.CurrentPassword, ToolProductLine().PasswordB);
  w.loader.IdentifyDevice();  // the version query is refused: the fallback reads 0x0FF0
  EXPECT_EQ(w.loader.DeviceRole, "Rx");
  EXPECT_EQ(w.loader.PatchNeeded, 1);
  EXPECT_EQ(w.loader.ShortImage, 0);
  EXPECT_EQ(w.machineType, "12");
  EXPECT_EQ(w.typeChanges, 1);

  SettingsImage read{};
  ASSERT_TRUE(w.loader.ReadSettingsBlock(1, read));
  ASSERT_TRUE(w.loader.ReadSettingsBlock(0, read));
  EXPECT_EQ(read, w.DeviceSettings());

  SettingsImage changed = read;
  for (int i = 30; i < 60; ++i)
    B1(changed, i) = static_cast<uint8_t>(i);
  changed[5] = 0x42;
  EXPECT_TRUE(w.loader.EraseSettingsBlock(1));
  EXPECT_TRUE(w.loader.EraseSettingsBlock(0));
  ASSERT_TRUE(w.loader.WriteSettingsBlock(1, changed));
  ASSERT_TRUE(w.loader.WriteSettingsBlock(0, changed));

  // The unit holds the stamped image, with the check-word routine in block 1 bytes 104..121.
  SettingsImage expected = changed;
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(), expected.begin() + 128 + 104);
  EXPECT_EQ(w.DeviceSettings(), expected);
  EXPECT_TRUE(w.person.shown.empty());
}

struct UnitCase {
  const char *name;
  sim::Model model;
  sim::LoaderVersion loader;
  const char *role;
  uint8_t patchNeeded;
  uint8_t shortImage;
  friend void PrintTo(const UnitCase &c, std::ostream *os) { *os << c.name; }
};

class Units : public ::testing::TestWithParam<UnitCase> {};

TEST_P(Units, HandshakeAndIdentificationSetTheLinkState) {
  const UnitCase &c = GetParam();
  sim::UnitConfig config = Standard(c.model);
  config.loader = c.loader;
  Wired w(config);
  ASSERT_TRUE(w.loader.ConnectDevice());
  w.loader.IdentifyDevice();
  EXPECT_EQ(w.loader.DeviceRole, c.role);
  EXPECT_EQ(w.loader.PatchNeeded, c.patchNeeded);
  EXPECT_EQ(w.loader.ShortImage, c.shortImage);
  EXPECT_EQ(w.loader.DeviceConnected, 1);
  EXPECT_EQ(w.loader.InfoPage[132], 0xAA);

  SettingsImage read{};
  ASSERT_TRUE(w.loader.ReadSettingsBlock(1, read));
  ASSERT_TRUE(w.loader.ReadSettingsBlock(0, read));
  EXPECT_EQ(read, w.DeviceSettings());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Units,
    ::testing::Values(UnitCase{"Transmitter161", sim::Model::kTransmitter, sim::kLoader161, "Tx", 0, 0},
                      UnitCase{"Transmitter110", sim::Model::kTransmitter, sim::kLoader110, "Tx", 1, 0},
                      UnitCase{"Receiver8k202", sim::Model::kReceiver8k, sim::kLoader202, "Rx", 0, 1},
                      UnitCase{"Receiver8k161", sim::Model::kReceiver8k, sim::kLoader161, "Rx", 0, 0},
                      UnitCase{"Receiver16k110", sim::Model::kReceiver16k, sim::kLoader110, "Rx", 1, 0}),
    [](const auto &p) { return std::string(p.param.name); });

TEST(LoaderOnSimulatedUnit, LearnsInvertedRtsOnce) {
  sim::UnitConfig config = Standard(sim::Model::kReceiver8k);
  config.rts_inverted = true;
  Wired w(config);
  ASSERT_TRUE(w.loader.ConnectDevice());
  EXPECT_EQ(w.loader.RtsInverted, 1);
  const uint64_t first = w.clock.NowMicros();
  ASSERT_TRUE(w.loader.ConnectDevice());
  // The second handshake: two entries of 40 ms + a sync, no pattern A tried.
  const uint64_t second = w.clock.NowMicros() - first;
  EXPECT_LT(second, first);
}

struct MarkerCase {
  const char *name;
  uint8_t marker;
  uint8_t factory;
  bool connected;
  const char *machineType;
  friend void PrintTo(const MarkerCase &c, std::ostream *os) { *os << c.name; }
};

class Markers : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(Markers, DecideTheConnection) {
  const MarkerCase &c = GetParam();
  sim::UnitConfig config = Standard(sim::Model::kReceiver8k);
  config.identity.marker = c.marker;
  Wired w(config);
  w.flags.Factory = c.factory;
  EXPECT_EQ(w.loader.ConnectDevice(), c.connected);
  EXPECT_EQ(w.machineType, c.machineType);
  const bool refused = !c.connected;
  EXPECT_EQ(w.person.shown, refused ? std::vector<ShownMessage>{kModelError} : std::vector<ShownMessage>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, Markers,
                         ::testing::Values(MarkerCase{"Q12", 0xAA, 0, true, "12"},
                                           MarkerCase{"Q10", 0xAC, 0, true, "10"},
                                           MarkerCase{"Unknown", 0x5A, 0, false, ""},
                                           MarkerCase{"UnknownInTheFactory", 0x5A, 1, true, ""}),
                         [](const auto &p) { return std::string(p.param.name); });

TEST(LoaderOnSimulatedUnit, AnErasedUnitOpensOnlyWithTheErasedPassword) {
  Wired w(Standard(sim::Model::kReceiver16k));
  w.loader.MassErase();
  w.flags.Factory = 1;
  ASSERT_TRUE(w.loader.ConnectDevice());
  EXPECT_EQ(w.loader.CurrentPassword, testing::Table(0xFF));
  EXPECT_EQ(w.loader.PatchNeeded, 1);

  // Outside the factory the blank identity page has no model marker.
  w.flags.Factory = 0;
  EXPECT_FALSE(w.loader.ConnectDevice());
  EXPECT_EQ(w.person.shown, std::vector<ShownMessage>{kModelError});
}

TEST(LoaderOnSimulatedUnit, NoiseInPlaceOfTheIdentityPageIsDroppedAndTheHandshakeFails) {
  Wired w(Standard(sim::Model::kReceiver8k));
  w.unit.AddFault({sim::FaultKind::kNoise, 0x14, 0, 1, 0, 300});
  EXPECT_FALSE(w.loader.ConnectDevice());
  EXPECT_EQ(w.person.shown, std::vector<ShownMessage>{kModelError});
  // The tool goes on, and the next handshake succeeds.
  w.person.shown.clear();
  EXPECT_TRUE(w.loader.ConnectDevice());
  EXPECT_TRUE(w.person.shown.empty());
}

TEST(LoaderOnSimulatedUnit, RefusedLateOrGarbledRepliesFailTheOperation) {
  for (const auto kind : {sim::FaultKind::kRefuse, sim::FaultKind::kLate, sim::FaultKind::kGarble}) {
    Wired w(Standard(sim::Model::kReceiver8k));
    ASSERT_TRUE(w.loader.ConnectDevice());
    SettingsImage read{};
    w.unit.AddFault({kind, 0x14, 0, 1, 300'000, 300});
    EXPECT_FALSE(w.loader.ReadSettingsBlock(1, read)) << static_cast<int>(kind);
    EXPECT_TRUE(w.loader.ReadSettingsBlock(1, read)) << static_cast<int>(kind);
  }
}

// Every way a page read can end, and what it leaves: only a whole, checked reply is read.
TEST(LoaderOnSimulatedUnit, DataRepliesAreJudgedByLengthHeaderAndCheckBytes) {
  struct Case {
    const char *name;
    sim::FaultKind kind;
    ReadOutcome outcome;
  };
  const Case cases[] = {
      {"one byte lost", sim::FaultKind::kLoseByte, ReadOutcome::Missing},
      {"one bit flipped", sim::FaultKind::kFlipBit, ReadOutcome::Missing},
      {"wrong length bytes", sim::FaultKind::kWrongLength, ReadOutcome::Missing},
      {"garbled", sim::FaultKind::kGarble, ReadOutcome::Missing},
      {"no answer", sim::FaultKind::kNoAnswer, ReadOutcome::Missing},
      {"refused", sim::FaultKind::kRefuse, ReadOutcome::Refused},
  };
  PageFrame blank;
  blank.fill(0xFF);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Wired w(Standard(sim::Model::kTransmitter));
    ASSERT_TRUE(w.loader.ConnectDevice());
    w.unit.AddFault({.kind = c.kind, .request = 0x14, .times = 2});
    EXPECT_EQ(w.loader.ReadPageOutcome(0xF000), c.outcome);
    EXPECT_EQ(w.loader.InfoPage, blank);
    SettingsImage read{};
    EXPECT_FALSE(w.loader.ReadSettingsBlock(1, read));
    EXPECT_EQ(read, SettingsImage{});

    EXPECT_EQ(w.loader.ReadPageOutcome(0xF000), ReadOutcome::Read);
    const auto flash = w.unit.memory().Bytes(0xF000, 128);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), w.loader.InfoPage.begin() + 8));
    EXPECT_TRUE(w.loader.ReadSettingsBlock(1, read));
    EXPECT_TRUE(w.person.shown.empty());
  }
}

// A version reply that does not start as data is no answer: the chip read decides, and
// a transmitter's 1.61 loader is not mistaken for one with a short image.
TEST(LoaderOnSimulatedUnit, AGarbledVersionReplyFallsBackToTheChipRead) {
  Wired w(Standard(sim::Model::kTransmitter));
  ASSERT_TRUE(w.loader.ConnectDevice());
  w.unit.AddFault({.kind = sim::FaultKind::kGarble, .request = 0x1E, .times = sim::kForever});
  w.loader.IdentifyDevice();
  EXPECT_EQ(w.loader.DeviceRole, "Tx");
  EXPECT_EQ(w.loader.PatchNeeded, 0);
  EXPECT_EQ(w.loader.ShortImage, 0);
  EXPECT_TRUE(std::any_of(w.unit.requests().begin(), w.unit.requests().end(), [](const sim::Request &r) {
    return r.kind == sim::Request::Kind::kFrame && r.command() == 0x14 && r.address() == 0x0FF0;
  }));
}

TEST(LoaderOnSimulatedUnit, ARefusedSettingsEraseFails) {
  Wired w(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  w.unit.AddFault({.kind = sim::FaultKind::kRefuse, .request = 0x16});
  EXPECT_FALSE(w.loader.EraseSettingsBlock(1));
  EXPECT_TRUE(w.loader.EraseSettingsBlock(1));
}

TEST(LoaderOnSimulatedUnit, APulledCableFailsTheHandshakeWithTheConnectionMessage) {
  Wired w(Standard(sim::Model::kReceiver8k));
  w.unit.PullCableAfter(0);
  EXPECT_FALSE(w.loader.ConnectDevice());
  EXPECT_EQ(w.person.shown, std::vector<ShownMessage>{kConnectFailed});
  EXPECT_EQ(w.loader.DeviceConnected, 0);
}

}  // namespace
}  // namespace rilo
