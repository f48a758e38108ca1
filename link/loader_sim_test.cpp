// The loader against the simulated unit on the virtual clock: each kind of unit the
// tool meets, the line wiring, the loader versions, the markers and the faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "link/loader.h"
#include "link/testing/loader_fixture.h"
#include "link/testing/wired_unit.h"

namespace rilo {
namespace {

using Settings = std::array<uint8_t, 256>;

std::span<uint8_t, 128> BlockOf(Settings &settings, int block) {
  return std::span<uint8_t, 128>(settings.data() + 128 * block, 128);
}

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
  EXPECT_EQ(w.loader.InfoPage[kMarkerAt], 0xAA);

  Settings read{};
  ASSERT_EQ(w.loader.ReadSettingsBlock(1, BlockOf(read, 1)), ReadOutcome::Read);
  ASSERT_EQ(w.loader.ReadSettingsBlock(0, BlockOf(read, 0)), ReadOutcome::Read);
  EXPECT_EQ(read, w.UnitSettings());

  Settings changed = read;
  for (int i = 30; i < 60; ++i)
    changed[128 + i] = static_cast<uint8_t>(i);
  changed[5] = 0x42;
  EXPECT_TRUE(w.loader.EraseSettingsBlock(1));
  EXPECT_TRUE(w.loader.EraseSettingsBlock(0));
  ASSERT_TRUE(w.loader.WriteSettingsBlock(1, BlockOf(changed, 1)));
  ASSERT_TRUE(w.loader.WriteSettingsBlock(0, BlockOf(changed, 0)));
  // The unit holds the blocks exactly as sent.
  EXPECT_EQ(w.UnitSettings(), changed);
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
  EXPECT_EQ(w.loader.UnitRole(), c.role);

  Settings read{};
  ASSERT_EQ(w.loader.ReadSettingsBlock(1, BlockOf(read, 1)), ReadOutcome::Read);
  ASSERT_EQ(w.loader.ReadSettingsBlock(0, BlockOf(read, 0)), ReadOutcome::Read);
  EXPECT_EQ(read, w.UnitSettings());
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

// The loader reports the identity page whatever it holds: what a marker means is the
// commands' to decide.
TEST(LoaderOnSimulatedUnit, TheHandshakeHandsOverTheIdentityPageWhateverItsMarker) {
  for (const uint8_t marker : {0xAA, 0xAC, 0x5A}) {
    sim::UnitConfig config = Standard(sim::Model::kReceiver8k);
    config.identity.marker = marker;
    Wired w(config);
    const Handshake handshake = w.loader.ConnectDevice();
    ASSERT_TRUE(handshake);
    EXPECT_EQ(handshake.identityPage, ReadOutcome::Read);
    EXPECT_EQ(w.loader.InfoPage[kMarkerAt], marker);
  }
}

TEST(LoaderOnSimulatedUnit, AnErasedUnitOpensOnlyWithTheErasedPassword) {
  Wired w(Standard(sim::Model::kReceiver16k));
  ASSERT_TRUE(w.loader.MassErase());
  const Handshake handshake = w.loader.ConnectDevice();
  ASSERT_TRUE(handshake);
  EXPECT_EQ(w.loader.Opened, OpenedWith::Erased);
  EXPECT_EQ(w.loader.CurrentPassword, testing::Table(0xFF));
  EXPECT_EQ(w.loader.PatchNeeded, 1);
  EXPECT_EQ(w.loader.UnitRole(), "Rx");
  // The blank identity page arrives whole: it has no model marker.
  EXPECT_EQ(handshake.identityPage, ReadOutcome::Read);
  EXPECT_EQ(w.loader.InfoPage[kMarkerAt], 0xFF);
}

TEST(LoaderOnSimulatedUnit, ARefusedMassEraseIsReported) {
  Wired w(Standard(sim::Model::kReceiver8k));
  w.unit.AddFault({.kind = sim::FaultKind::kRefuse, .request = 0x18});
  EXPECT_FALSE(w.loader.MassErase());
  EXPECT_TRUE(w.loader.ConnectDevice());
  EXPECT_EQ(w.loader.Opened, OpenedWith::PasswordA);  // the unit keeps its program
}

TEST(LoaderOnSimulatedUnit, NoiseInPlaceOfTheIdentityPageIsDroppedAndReportedAsMissing) {
  Wired w(Standard(sim::Model::kReceiver8k));
  w.unit.AddFault({sim::FaultKind::kNoise, 0x14, 0, 1, 0, 300});
  const Handshake first = w.loader.ConnectDevice();
  ASSERT_TRUE(first);
  EXPECT_EQ(first.identityPage, ReadOutcome::Missing);
  EXPECT_EQ(w.loader.InfoPage[kMarkerAt], 0xFF);
  // The tool goes on, and the next handshake reads the page.
  EXPECT_EQ(w.loader.ConnectDevice().identityPage, ReadOutcome::Read);
}

TEST(LoaderOnSimulatedUnit, RefusedLateOrGarbledRepliesFailTheOperation) {
  for (const auto kind : {sim::FaultKind::kRefuse, sim::FaultKind::kLate, sim::FaultKind::kGarble}) {
    Wired w(Standard(sim::Model::kReceiver8k));
    ASSERT_TRUE(w.loader.ConnectDevice());
    Settings read{};
    w.unit.AddFault({kind, 0x14, 0, 1, 300'000, 300});
    EXPECT_NE(w.loader.ReadSettingsBlock(1, BlockOf(read, 1)), ReadOutcome::Read) << static_cast<int>(kind);
    EXPECT_EQ(w.loader.ReadSettingsBlock(1, BlockOf(read, 1)), ReadOutcome::Read) << static_cast<int>(kind);
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
    Settings read{};
    EXPECT_EQ(w.loader.ReadSettingsBlock(1, BlockOf(read, 1)), c.outcome);
    EXPECT_EQ(read, Settings{});

    EXPECT_EQ(w.loader.ReadPageOutcome(0xF000), ReadOutcome::Read);
    const auto flash = w.unit.memory().Bytes(0xF000, 128);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), w.loader.InfoPage.begin() + 8));
    EXPECT_EQ(w.loader.ReadSettingsBlock(1, BlockOf(read, 1)), ReadOutcome::Read);
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

TEST(LoaderOnSimulatedUnit, APulledCableFailsTheHandshake) {
  Wired w(Standard(sim::Model::kReceiver8k));
  w.unit.PullCableAfter(0);
  EXPECT_EQ(w.loader.ConnectDevice().ending, Handshake::Ending::NoAnswer);
  EXPECT_EQ(w.loader.DeviceConnected, 0);
}

}  // namespace
}  // namespace rilo
