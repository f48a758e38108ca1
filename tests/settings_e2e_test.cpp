// Reading and writing a unit's settings end to end: the Workbench, its link and editor,
// against the simulated unit on the virtual clock, with a scripted person at the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/testing/scripted_operator.h"
#include "files/file_writers.h"
#include "link/testing/wired_unit.h"
#include "tests/testing/settings_bench.h"
#include "workbench/open_settings.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

using testing::ShownMessage;
using testing::Standard;

using testing::Block;
using testing::Factory;
using testing::Flash;
using testing::kOverwrite;
using testing::kReadDone;
using testing::kReadError;
using testing::kWriteDone;
using testing::kWriteFailed;
using testing::Sent;
using Bench = testing::SettingsBench;

TEST(ReadSettings, AQ12ReceiverFillsTheWindow) {
  Bench b(Standard(sim::Model::kReceiver16k));
  b.bench.NLoadSetClick();

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kReadDone});
  EXPECT_EQ(b.editor().MachineType, "12");
  EXPECT_EQ(b.editor().form.Caption, "RILO1-Q12 設定程式");
  EXPECT_EQ(b.editor().form.EEqupmentType, "RILO1-Q12");
  EXPECT_EQ(b.editor().form.EEqupmentID.text, "12300415");
  EXPECT_EQ(b.editor().form.EEqupmentSN.text, "12012345");
  EXPECT_EQ(b.editor().form.EEqupmentDate.text, "2024/05/17");
  EXPECT_EQ(b.List("CBSNAction").index, 1);   // latch / latch
  EXPECT_EQ(b.List("CBR34Action").index, 4);  // magnet on / off
  EXPECT_EQ(b.List("CBTxEMSCont").index, 1);  // 10 times
  EXPECT_EQ(b.List("CBPassEMSTime").index, 2);
  EXPECT_EQ(b.bench.loadedSource(), LoadedSource::UnitSettings);
  EXPECT_EQ(b.editor().IdentityShown, 0);
  EXPECT_EQ(b.bench.deviceSettings(), b.editor().LoadedImage);
  EXPECT_EQ(b.person.progressTrail, (std::vector<int>{0, 1, 2, 3, 4, 500}));
  EXPECT_FALSE(b.person.busy);
  EXPECT_EQ(b.bench.view().saveDefaultExt, "rilo");
  EXPECT_EQ(b.bench.view().saveFilter, "RILO Format [*.rilo]");
}

TEST(WriteSettings, ChangedOptionsReachTheUnitStamped) {
  sim::UnitConfig config = Standard(sim::Model::kReceiver8k);
  // Bytes the check routine replaces on the wire; the window keeps its own.
  std::fill_n(config.settings.begin() + 128 + 104, 18, uint8_t{0xA5});
  Bench b(config);
  const auto block0 = Flash(b.unit, 0x1000, 128);
  const auto top = Flash(b.unit, 0xFE00, 512);
  b.bench.NLoadSetClick();
  b.Shown();

  b.editor().Pick(b.List("CBUDAction"), 1);
  b.editor().Pick(b.List("CBTxEMSCont"), 5);
  b.bench.NWriteSetClick();

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteDone});
  const SettingsImage &image = b.editor().Image;
  EXPECT_EQ(B1(image, 32), 0x86);
  EXPECT_EQ(B1(image, 21), 60);
  EXPECT_EQ(B1(image, 0), 0x0F);
  EXPECT_EQ(B1(image, 1), 0x33);
  EXPECT_EQ(B1(image, 17), 0xEE);
  EXPECT_EQ(B1(image, 20), 0xEF);
  EXPECT_EQ(B1(image, 8), B1(image, 0) ^ B1(image, 2) ^ B1(image, 4) ^ B1(image, 6));
  EXPECT_EQ(B1(image, 9), B1(image, 1) ^ B1(image, 3) ^ B1(image, 5) ^ B1(image, 7));
  EXPECT_EQ(B1(image, 104), 0xA5);

  std::vector<uint8_t> expected = Block(image, 1);
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(), expected.begin() + 104);
  EXPECT_EQ(Flash(b.unit, 0x1080, 128), expected);
  EXPECT_EQ(Flash(b.unit, 0x1000, 128), block0);
  EXPECT_EQ(Flash(b.unit, 0xFE00, 512), top);  // the identity page is the factory's
  EXPECT_EQ(b.person.progressTrail.back(), 500);
  EXPECT_FALSE(b.person.busy);
}

TEST(WriteSettings, FactoryPathWritesSerialAndDateAndRestoresTheTopSegment) {
  Bench b(Standard(sim::Model::kReceiver16k), Factory());  // loader 1.10: everything through the patch
  const auto top = Flash(b.unit, 0xFE00, 512);
  const auto vectors = Flash(b.unit, 0xFFE0, 32);
  b.bench.NLoadSetClick();
  b.Shown();
  b.editor().form.EEqupmentSN.text = "12987654";
  b.editor().form.EEqupmentDate.text = "2026/11/30";
  b.bench.NWriteSetClick();

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteDone});
  auto expected = top;
  const int info = 0xFF60 - 0xFE00;
  const uint8_t serial[] = {0x0F, 0x33, 0x99, 0x96, 0x69, 0x66, 0x5A, 0x55};  // 1 2 9 8 7 6 5 4
  std::copy(std::begin(serial), std::end(serial), expected.begin() + info + 112);
  expected[info + 121] = 26;
  expected[info + 122] = 11;
  expected[info + 123] = 30;
  EXPECT_EQ(Flash(b.unit, 0xFE00, 512), expected);
  EXPECT_EQ(Flash(b.unit, 0xFFE0, 32), vectors);  // the unit keeps its vectors: it still starts
  std::vector<uint8_t> block1 = Block(b.editor().Image, 1);
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(), block1.begin() + 104);
  EXPECT_EQ(Flash(b.unit, 0x1080, 128), block1);
  EXPECT_EQ(b.person.progressTrail.back(), 500);
}

TEST(WriteSettings, FactoryPathWithTheIdentityInPlaceSendsNoErase) {
  Bench b(Standard(sim::Model::kReceiver8k), Factory());
  b.bench.NLoadSetClick();
  b.Shown();
  b.editor().form.EEqupmentSN.text = "00012345";  // as the unit holds it, model digits included
  b.bench.NWriteSetClick();

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteDone});
  for (const auto &r : b.unit.requests()) {
    if (r.kind == sim::Request::Kind::kFrame && r.command() == 0x16) {
      EXPECT_NE(r.address(), 0xFE00);
    }
  }
  EXPECT_NE(std::find(b.person.progressTrail.begin(), b.person.progressTrail.end(), 512),
            b.person.progressTrail.end());
}

TEST(WriteSettings, WrongModelStopsBeforeAnythingIsErased) {
  Bench b(Standard(sim::Model::kReceiver8k));  // marker 0xAA: a Q12 unit
  b.bench.NLoadSetClick();
  b.Shown();
  b.editor().MachineType = "10";
  b.bench.NWriteSetClick();

  EXPECT_EQ(b.Shown(),
            (std::vector<ShownMessage>{{"寫入", "寫入失敗,請確認您的機型!!", Icon::Error, false}}));
  EXPECT_FALSE(Sent(b.unit, 0x16));
  EXPECT_EQ(b.person.progressTrail.end()[-2], 7);
}

TEST(WriteSettings, EmptyDateWithoutFactoryAsksForAReadFirst) {
  Bench b(Standard(sim::Model::kReceiver8k));
  b.bench.NWriteSetClick();  // nothing read: the handshake takes the model from the unit
  EXPECT_EQ(b.Shown(),
            (std::vector<ShownMessage>{{"寫入錯誤", "請先讀取設定或載入檔案!!", Icon::Error, false}}));
  EXPECT_FALSE(Sent(b.unit, 0x16));
}

TEST(WriteSettings, ASettingsFileKeepsTheUnitsBlock0) {
  Bench b(Standard(sim::Model::kReceiver8k));
  const auto block0 = Flash(b.unit, 0x1000, 128);
  SettingsImage fileImage{};
  const auto unitBlocks = Flash(b.unit, 0x1000, 256);
  std::copy(unitBlocks.begin() + 128, unitBlocks.end(), fileImage.begin() + 128);
  B1(fileImage, 16) = 0x81;  // the start key latches in the file
  const std::string text = JoinCrLf(SettingsFileLines(fileImage, CustomerRecord{}));
  ASSERT_TRUE(b.bench.OpenSettingsText(text).done);
  b.Shown();

  b.bench.NWriteSetClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteDone});
  EXPECT_EQ(Flash(b.unit, 0x1000, 128), block0);  // the file has no block 0: the unit's stays
  EXPECT_EQ(Flash(b.unit, 0x1080 + 16, 1), std::vector<uint8_t>{0x81});
}

TEST(WriteSettings, EmptyDateInTheFactoryTakesToday) {
  Bench b(Standard(sim::Model::kReceiver8k), Factory());
  b.bench.NLoadSetClick();
  b.Shown();
  b.editor().LabelEqupmentTypeDblClick();  // known model: nothing happens
  b.editor().form.EEqupmentDate.text = "20  /  /  ";
  b.bench.NWriteSetClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteDone});
  EXPECT_EQ(b.editor().form.EEqupmentDate.text, "2026/01/05");
  EXPECT_EQ(Flash(b.unit, 0xFFD9, 3), (std::vector<uint8_t>{26, 1, 5}));
}

class OverwriteQuestion : public ::testing::TestWithParam<bool> {};

TEST_P(OverwriteQuestion, ADifferentIdOnTheUnitIsOverwrittenOnlyOnOk) {
  const bool ok = GetParam();
  Bench b(Standard(sim::Model::kReceiver8k));
  b.bench.NLoadSetClick();
  b.Shown();
  // Another unit on the bench now: its ID differs in the last digit.
  const uint8_t lastDigit[] = {testing::Ventrix().DeHamming(9)};
  b.unit.memory().Load(0x1080 + 7, lastDigit);
  const auto before = Flash(b.unit, 0x1000, 256);

  b.person.answers.push_back(ok);
  b.bench.NWriteSetClick();
  if (ok) {
    EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kOverwrite, kWriteDone}));
    EXPECT_EQ(Flash(b.unit, 0x1087, 1), std::vector<uint8_t>{B1(b.editor().Image, 7)});
    EXPECT_EQ(B1(b.editor().Image, 7), testing::Ventrix().DeHamming(5));
  } else {
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOverwrite});
    EXPECT_FALSE(Sent(b.unit, 0x16));
    EXPECT_EQ(Flash(b.unit, 0x1000, 256), before);
  }
  EXPECT_FALSE(b.person.busy);
}

INSTANTIATE_TEST_SUITE_P(Answers, OverwriteQuestion, ::testing::Bool(),
                         [](const auto &p) { return p.param ? std::string("Ok") : std::string("Cancel"); });

TEST(WriteSettings, WithIdCodeEditingThereIsNoQuestion) {
  FeatureFlags f;
  f.IDCODE = 1;
  Bench b(Standard(sim::Model::kReceiver8k), f);
  b.bench.NLoadSetClick();
  b.Shown();
  const uint8_t lastDigit[] = {testing::Ventrix().DeHamming(9)};
  b.unit.memory().Load(0x1080 + 7, lastDigit);
  b.bench.NWriteSetClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteDone});
}

struct UnitCase {
  const char *name;
  sim::Model model;
  bool rtsInverted;
};

class AnyUnit : public ::testing::TestWithParam<UnitCase> {};

TEST_P(AnyUnit, ReadsAndWritesBack) {
  sim::UnitConfig config = Standard(GetParam().model);
  config.rts_inverted = GetParam().rtsInverted;
  Bench b(config);
  b.bench.NLoadSetClick();
  b.editor().Pick(b.List("CBLEDOnTime"), 3);
  b.bench.NWriteSetClick();
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kReadDone, kWriteDone}));
  EXPECT_EQ(Flash(b.unit, 0x1080 + 30, 2), (std::vector<uint8_t>{0xC0, 0x5D}));
  EXPECT_EQ(b.bench.loader().RtsInverted, GetParam().rtsInverted ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Units, AnyUnit,
                         ::testing::Values(UnitCase{"Loader110NeedsThePatch", sim::Model::kReceiver16k,
                                                    false},
                                           UnitCase{"Receiver8k", sim::Model::kReceiver8k, false},
                                           UnitCase{"Transmitter", sim::Model::kTransmitter, false},
                                           UnitCase{"OnlyInvertedRts", sim::Model::kReceiver8k, true}),
                         [](const auto &p) { return std::string(p.param.name); });

// ---- Faults: each ends with its message, and nothing hangs ----------------------------

TEST(SettingsFaults, NoUnitOnTheLine) {
  Bench b(Standard(sim::Model::kReceiver8k));
  b.unit.PullCableAfter(0);
  b.bench.NLoadSetClick();
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{testing::kConnectFailed, kReadError}));
  b.bench.NWriteSetClick();
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{testing::kConnectFailed, kWriteFailed}));
  EXPECT_LT(b.clock.NowMicros(), 10'000'000u);
  EXPECT_FALSE(b.person.busy);
}

// How many requests a settings write of `b`'s state sends before its first block
// write, found by the same write on a twin unit.
int RequestsUntilTheFirstWrite(Bench &b) {
  Bench twin(b.unit.config());
  twin.bench.NLoadSetClick();
  const size_t start = twin.unit.requests().size();
  twin.bench.NWriteSetClick();
  const auto &requests = twin.unit.requests();
  for (size_t i = start; i < requests.size(); ++i)
    if (requests[i].kind == sim::Request::Kind::kFrame && requests[i].command() == 0x12)
      return static_cast<int>(i - start);
  throw std::logic_error("the write sent no block");
}

TEST(SettingsFaults, CablePulledDuringTheWriteThenWrittenAgain) {
  Bench b(Standard(sim::Model::kReceiver8k));
  b.bench.NLoadSetClick();
  b.Shown();
  b.editor().Pick(b.List("CBUDAction"), 2);
  // The cable goes right after both blocks were erased, before block 1 is written.
  b.unit.PullCableAfter(RequestsUntilTheFirstWrite(b));
  b.bench.NWriteSetClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kWriteFailed});
  EXPECT_EQ(Flash(b.unit, 0x1000, 256), std::vector<uint8_t>(256, 0xFF));  // erased, not written
  EXPECT_FALSE(b.person.busy);

  // Plugged in again: the journal's blocks are put back, after a question that names
  // the entry, and the write goes on with no false question about an ID code the
  // erase took.
  b.unit.PullCableAfter(-1);
  b.person.answers.push_back(true);
  EXPECT_TRUE(b.bench.NWriteSetClick().done);
  const auto shown = b.Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].caption, "未完成的工作");
  EXPECT_TRUE(shown[0].question);
  EXPECT_NE(shown[0].text.find("設定區塊是空的"), std::string::npos) << shown[0].text;
  EXPECT_EQ(shown[1].caption, "未完成的工作");
  EXPECT_EQ(shown[2], kWriteDone);
  EXPECT_EQ(Flash(b.unit, 0x1080 + 32, 2), (std::vector<uint8_t>{0x81, 0x00}));
  EXPECT_TRUE(b.bench.ledger()->OpenEntries().empty());
}

struct ReplyFault {
  const char *name;
  sim::Fault fault;
};

class DamagedReply : public ::testing::TestWithParam<ReplyFault> {};

TEST_P(DamagedReply, TheReadFailsWithItsMessageAndTheToolGoesOn) {
  Bench b(Standard(sim::Model::kReceiver8k));
  const SettingsImage before = b.editor().Image;
  b.unit.AddFault(GetParam().fault);
  b.bench.NLoadSetClick();
  EXPECT_EQ(b.Shown().back(), kReadError);
  EXPECT_EQ(b.editor().Image, before);  // nothing copied from a failed read
  b.bench.NLoadSetClick();              // the next try reads
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kReadDone});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedReply,
    ::testing::Values(
        ReplyFault{"GarbledBlockRead", {.kind = sim::FaultKind::kGarble, .request = 0x14, .skip = 1}},
        ReplyFault{"NoiseBurstForABlock", {.kind = sim::FaultKind::kNoise, .request = 0x14, .skip = 1}},
        ReplyFault{"BlockReadTooLate",
                   {.kind = sim::FaultKind::kLate, .request = 0x14, .skip = 1, .late_micros = 400'000}}),
    [](const auto &p) { return std::string(p.param.name); });

// What the handshake's identity page says of the unit, as a command sees it: the model
// marker sets the machine type when none is chosen; an unknown marker is refused outside
// the factory; a page lost on the line is a failed connection.
TEST(Handshake, TheIdentityPageDecidesTheModel) {
  struct Case {
    const char *name;
    uint8_t marker;
    bool pageLost;
    bool factory;
    const char *typeBefore;
    const char *typeAfter;
    bool done;
    std::vector<ShownMessage> shown;
  };
  const ShownMessage version{"RILO1Q12", "韌體版本：3.12", Icon::None, false};
  const Case cases[] = {
      {"0xAA sets Q12", 0xAA, false, false, "", "12", true, {version}},
      {"0xAC sets Q10", 0xAC, false, false, "", "10", true, {version}},
      {"a chosen type is kept", 0xAC, false, false, "12", "12", true, {version}},
      {"another marker is refused", 0x55, false, false, "", "", false, {testing::kModelError}},
      {"a page lost on the line", 0xAA, true, false, "", "", false, {testing::kConnectFailed}},
      {"the factory takes any marker", 0x55, false, true, "", "", true, {version}},
      {"the factory leaves the type alone", 0xAA, false, true, "", "", true, {version}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    sim::UnitConfig config = Standard(sim::Model::kReceiver8k);
    config.identity.marker = c.marker;
    Bench b(config, c.factory ? Factory() : FeatureFlags{});
    b.editor().MachineType = c.typeBefore;
    if (c.pageLost) b.unit.AddFault({.kind = sim::FaultKind::kFlipBit, .request = 0x14});
    EXPECT_EQ(b.bench.NOnlineTestClick().done, c.done);
    EXPECT_EQ(b.editor().MachineType, c.typeAfter);
    EXPECT_EQ(b.Shown(), c.shown);
  }
}

TEST(SettingsCommands, OneCommandAtATime) {
  Bench b(Standard(sim::Model::kReceiver8k));
  // A click that arrives while a command waits on the unit (the window's event pump
  // runs during waits) must not start a second exchange.
  int nested = 0;
  b.person.onProgress = [&](int position) {
    if (position != 1) return;
    EXPECT_FALSE(b.bench.NWriteSetClick().done);
    EXPECT_FALSE(b.bench.NLoadSetClick().done);
    ++nested;
  };
  EXPECT_TRUE(b.bench.NLoadSetClick().done);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kReadDone});
}

TEST(FirmwareVersion, ShownFromTheLastSource) {
  Bench b(Standard(sim::Model::kReceiver8k));
  b.bench.NFirmwareVerClick();  // nothing loaded: no exchange
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{{"RILO1Q12", "韌體版本:0.00", Icon::None, false}}));
  EXPECT_TRUE(b.unit.requests().empty());

  b.bench.NLoadSetClick();
  b.Shown();
  const size_t exchanges = b.unit.requests().size();
  b.bench.NFirmwareVerClick();
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{{"RILO1Q12", "韌體版本：3.12", Icon::None, false}}));
  EXPECT_EQ(b.unit.requests().size(), exchanges);
}

}  // namespace
}  // namespace rilo
