// A settings read or write never reports success for what the unit did not take: each
// fault of the unit or the line ends the command with its messages in order, on the
// simulated unit and the virtual clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "files/file_writers.h"
#include "tests/testing/settings_bench.h"

namespace rilo {
namespace {

using testing::Factory;
using testing::Flash;
using testing::kReadDone;
using testing::kReadError;
using testing::kRestoreError;
using testing::kWriteDone;
using testing::kWriteFailed;
using testing::ShownMessage;
using testing::Standard;
using Bench = testing::SettingsBench;

ShownMessage ReadBackFailed(const char *address) {
  return {"寫入", std::string("寫入後驗證失敗,位址 ") + address + " 的資料不符!!", Icon::Error, false};
}

// Requests of a command, counted per command code from the start of the command.
constexpr int kRead = 0x14;
constexpr int kWrite = 0x12;
constexpr int kErase = 0x16;

struct FaultCase {
  const char *name;
  bool factory;
  bool write;  // the settings write; else the read
  std::function<void(sim::Unit &)> fault;
  std::vector<ShownMessage> shown;
};

// The handshake reads the identity page first; a settings read's block 1 comes next.
sim::Fault OnBlockRead(sim::FaultKind kind) {
  return {.kind = kind, .request = kRead, .skip = 1};
}

// A receiver without the patch: the writes of a factory write are block 1, block 0,
// the pages 0xFE00, 0xFE80, 0xFF00, 0xFF60, and the vectors, in this order.
sim::Fault RefuseWrite(int skip) {
  return {.kind = sim::FaultKind::kRefuse, .request = kWrite, .skip = skip};
}

std::vector<FaultCase> Cases() {
  return {
      {"ReadOneByteLost",
       false,
       false,
       [](sim::Unit &u) { u.AddFault(OnBlockRead(sim::FaultKind::kLoseByte)); },
       {kReadError}},
      {"ReadFlippedBit",
       false,
       false,
       [](sim::Unit &u) { u.AddFault(OnBlockRead(sim::FaultKind::kFlipBit)); },
       {kReadError}},
      {"ReadWrongLengthByte",
       false,
       false,
       [](sim::Unit &u) { u.AddFault(OnBlockRead(sim::FaultKind::kWrongLength)); },
       {kReadError}},
      // A reply lost on the line is a failed connection, never a verdict on the unit.
      {"IdentityPageFlippedBitInTheHandshake",
       false,
       false,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kFlipBit, .request = kRead}); },
       {testing::kConnectFailed, kReadError}},
      {"IdentityPageLostBeforeTheWrite",
       false,
       true,
       // The handshake's identity page, then the write's own model check.
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kFlipBit, .request = kRead, .skip = 1}); },
       {testing::kConnectFailed, kWriteFailed}},
      {"IdCheckReadFlippedBit",
       false,
       true,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kFlipBit, .request = kRead, .skip = 2}); },
       {kReadError}},
      {"BlockEraseRefused",
       false,
       true,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kRefuse, .request = kErase}); },
       {kWriteFailed}},
      {"ReadBackOneByteLost",
       false,
       true,
       // The identity page, the ID check's block 1, then the two read-backs.
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kLoseByte, .request = kRead, .skip = 3}); },
       {kWriteFailed}},
      {"BlockThatDoesNotTake",
       false,
       true,
       [](sim::Unit &u) { u.memory().StickBit(0x1080 + 17, 1, false); },  // the 0xEE marker reads 0xEC
       {ReadBackFailed("0x1091"), kWriteFailed}},
      {"RestoreOfFE00Refused",
       true,
       true,
       [](sim::Unit &u) { u.AddFault(RefuseWrite(2)); },
       {kRestoreError, kWriteFailed}},
      {"RestoreOfFE80Refused",
       true,
       true,
       [](sim::Unit &u) { u.AddFault(RefuseWrite(3)); },
       {kRestoreError, kWriteFailed}},
      {"RestoreOfFF00Refused",
       true,
       true,
       [](sim::Unit &u) { u.AddFault(RefuseWrite(4)); },
       {kRestoreError, kWriteFailed}},
      {"RestoreOfFF60Refused",
       true,
       true,
       [](sim::Unit &u) { u.AddFault(RefuseWrite(5)); },
       {kRestoreError, kWriteFailed}},
      {"VectorWriteRefused", true, true, [](sim::Unit &u) { u.AddFault(RefuseWrite(6)); }, {kWriteFailed}},
      {"IdentityThatDoesNotTake",
       true,
       true,
       [](sim::Unit &u) { u.memory().StickBit(0xFFD9, 1, false); },  // year 24 stays, 26 cannot be written
       {ReadBackFailed("0xFFD9"), kWriteFailed}},
  };
}

class SettingsFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SettingsFault, EndsWithItsMessagesAndNoSuccess) {
  const FaultCase &c = GetParam();
  Bench b(Standard(sim::Model::kReceiver8k), c.factory ? Factory() : FeatureFlags{});
  b.bench.NLoadSetClick();
  ASSERT_EQ(b.Shown(), std::vector<ShownMessage>{kReadDone});
  b.editor().form.EEqupmentDate.text = "2026/01/05";  // a factory write changes the identity
  const SettingsImage image = b.editor().Image;

  c.fault(b.unit);
  if (c.write)
    b.bench.NWriteSetClick();
  else
    b.bench.NLoadSetClick();
  EXPECT_EQ(b.Shown(), c.shown);
  if (!c.write) {
    EXPECT_EQ(b.editor().Image, image) << "nothing of a failed read is taken";
  }
  EXPECT_FALSE(b.person.busy);
  EXPECT_EQ(b.person.progressTrail.back(), 500);
}

INSTANTIATE_TEST_SUITE_P(Faults, SettingsFault, ::testing::ValuesIn(Cases()),
                         [](const auto &p) { return std::string(p.param.name); });

// Unit A read, unit B on the cable, and B's block 1 damaged on its way to the ID check:
// without B's own ID code there is nothing to compare with, so nothing is asked, nothing
// is written, and the command fails with the read error.
TEST(SettingsFaults, AFailedIdCheckReadWritesNothing) {
  Bench b(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(b.bench.NLoadSetClick().done);
  b.Shown();
  // Unit B: another ID code in block 1 bytes 2..7.
  const std::vector<uint8_t> otherId = {0x15, 0x02, 0x49, 0x5E, 0x64, 0x73};
  b.unit.memory().Load(0x1082, otherId);
  const auto before = Flash(b.unit, 0x1000, 0xF000);
  b.unit.AddFault({.kind = sim::FaultKind::kFlipBit, .request = kRead, .skip = 2});

  const Outcome outcome = b.bench.NWriteSetClick();
  EXPECT_FALSE(outcome.done);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kReadError});  // no question: it would throw here
  EXPECT_EQ(Flash(b.unit, 0x1000, 0xF000), before);
  EXPECT_FALSE(testing::Sent(b.unit, kErase));
}

// ---- An identity update cut short, finished by the next write ----------------------

struct CutCase {
  const char *name;
  sim::Model model;  // the 16 KB receiver's loader 1.10 restores through the patch
};

class CutIdentityUpdate : public ::testing::TestWithParam<CutCase> {};

// A factory write that changes serial number and date, cut at every request from the
// first settings-block erase on, then written again: the unit ends with its own top
// pages, the new identity, its blocks and its vectors, whatever the cut left. Where the
// cut left the unit lacking, the next write names the journal entry and asks first;
// nothing reports success for a unit that is not whole.
TEST_P(CutIdentityUpdate, TheNextWriteFinishesIt) {
  const sim::UnitConfig config = Standard(GetParam().model);
  auto writeNewIdentity = [](Bench &b) {
    b.editor().form.EEqupmentSN.text = "12987654";
    b.editor().form.EEqupmentDate.text = "2026/11/30";
    return b.bench.NWriteSetClick();
  };

  // The same write uncut on a twin: where its first erase is, how many requests it
  // sends, and what the unit holds at the end.
  Bench twin(config, Factory());
  twin.bench.NLoadSetClick();
  const size_t start = twin.unit.requests().size();
  ASSERT_TRUE(writeNewIdentity(twin).done);
  ASSERT_EQ(twin.Shown().back(), kWriteDone);
  const auto &requests = twin.unit.requests();
  size_t erase = start;
  while (erase < requests.size() &&
         !(requests[erase].kind == sim::Request::Kind::kFrame && requests[erase].command() == kErase))
    ++erase;
  ASSERT_LT(erase, requests.size());
  const auto written = Flash(twin.unit, 0x1000, 0xF000);

  for (size_t cut = erase - start; cut < requests.size() - start; ++cut) {
    SCOPED_TRACE("cable pulled after " + std::to_string(cut) + " requests of the write");
    Bench b(config, Factory());
    b.bench.NLoadSetClick();
    b.Shown();
    b.unit.PullCableAfter(static_cast<int>(cut));
    const Outcome cutWrite = writeNewIdentity(b);
    b.Shown();
    if (cutWrite.done) {
      EXPECT_EQ(Flash(b.unit, 0x1000, 0xF000), written) << "success reported for a unit not whole";
    }

    b.unit.PullCableAfter(-1);        // plugged in again
    b.person.answers = {true, true};  // finish what was left; no question about the ID
    const Outcome again = writeNewIdentity(b);
    EXPECT_TRUE(again.done);
    const auto shown = b.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), kWriteDone);
    if (shown.size() > 1) {
      EXPECT_EQ(shown[0].caption, "未完成的工作");
      EXPECT_NE(shown[0].text.find("ID-CODE"), std::string::npos) << shown[0].text;
    }
    EXPECT_EQ(Flash(b.unit, 0x1000, 0xF000), written);
    // An entry stays open only where the cut came before anything was erased.
    if (shown.size() > 1) {
      EXPECT_TRUE(b.bench.ledger()->OpenEntries().empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Units, CutIdentityUpdate,
                         ::testing::Values(CutCase{"Receiver8k", sim::Model::kReceiver8k},
                                           CutCase{"Receiver16kPatched", sim::Model::kReceiver16k}),
                         [](const auto &p) { return std::string(p.param.name); });

// ---- Commands that show what a handshake found --------------------------------------

TEST(UnitVersion, AUnitThatDoesNotAnswerHasNoVersionToShow) {
  Bench b(Standard(sim::Model::kReceiver8k), Factory());
  b.bench.NLoadSetClick();  // a unit with version 3.12 was read before
  b.Shown();
  // A settings file opened since.
  ASSERT_TRUE(b.bench.OpenSettingsText(JoinCrLf(SettingsFileLines(b.editor().Image, CustomerRecord{}))).done);
  b.Shown();
  b.unit.PullCableAfter(0);
  b.bench.NFirmwareVerClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{testing::kConnectFailed});
  b.bench.NOnlineTestClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{testing::kConnectFailed});
  EXPECT_EQ(b.person.busyChanges, 6);  // on and off: the read, then each of the two commands
  EXPECT_FALSE(b.person.busy);

  // In the factory a handshake goes on without the identity page; its 0xFF are no version.
  b.unit.PullCableAfter(-1);
  b.unit.AddFault({.kind = sim::FaultKind::kNoAnswer, .request = kRead, .times = sim::kForever});
  b.bench.NFirmwareVerClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{testing::kConnectFailed});
}

// ---- What the port itself did -----------------------------------------------------------

// An adapter that stalls (flow control left on, a broken cable driver): the write gives
// up at its deadline, the command fails as a connection failure in bounded time, and
// the outcome names the port's trouble. The next command opens the port afresh.
TEST(PortTroubles, AStalledPortFailsTheCommandInBoundedTimeAndSaysSo) {
  Bench b(Standard(sim::Model::kReceiver8k));
  b.port.set_stalled(true);
  const uint32_t start = b.clock.Tick();
  const Outcome stalled = b.bench.NLoadSetClick();
  EXPECT_LT(b.clock.Tick() - start, 5000u);
  EXPECT_FALSE(stalled.done);
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{testing::kConnectFailed, kReadError}));
  EXPECT_EQ(stalled.portTrouble, "COM1: 連接埠無法送出資料,請檢查轉接器與連接線");
  EXPECT_TRUE(b.unit.requests().empty()) << "nothing reached the unit";

  b.port.set_stalled(false);
  const Outcome read = b.bench.NLoadSetClick();
  EXPECT_TRUE(read.done);
  EXPECT_EQ(read.portTrouble, "");
}

TEST(PortTroubles, APortThatCannotBeOpenedSaysWhy) {
  const struct {
    PortTrouble trouble;
    const char *text;
  } cases[] = {
      {PortTrouble::InUse, "COM1: 連接埠已被其他程式使用"},
      {PortTrouble::Missing, "COM1: 連接埠不存在"},
      {PortTrouble::Denied, "COM1: 連接埠沒有使用權限"},
  };
  for (const auto &c : cases) {
    Bench b(Standard(sim::Model::kReceiver8k));
    b.port.Close();  // the adapter went away since the start
    b.port.set_open_trouble(c.trouble);
    const Outcome outcome = b.bench.NLoadSetClick();
    EXPECT_FALSE(outcome.done);
    ASSERT_FALSE(outcome.messages.empty());
    EXPECT_EQ(outcome.messages.front().text, testing::kConnectFailed.text) << "the box keeps its own words";
    EXPECT_EQ(outcome.portTrouble, c.text);
    EXPECT_EQ(b.bench.PortTroubleText(), c.text);
  }
}

}  // namespace
}  // namespace rilo
