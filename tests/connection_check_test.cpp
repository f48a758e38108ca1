// The connection check through the Workbench, against the simulated unit on the virtual
// clock: healthy units of every kind and loader pass every step and are named; each
// trouble of the port, the line or the unit fails the step where it shows, with its
// reason; and nothing of the unit's flash, the window's state or the ledger changes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "tests/testing/settings_bench.h"

namespace rilo {
namespace {

using testing::Standard;
using Bench = testing::SettingsBench;

constexpr int kRead = 0x14;

// Everything above the RAM: the information memory and the program area.
std::vector<uint8_t> FlashOf(const sim::Unit &unit) {
  return testing::Flash(unit, 0x1000, 0x10000 - 0x1000);
}

bool Erased(const sim::Unit &unit) {
  return testing::Sent(unit, 0x16) || testing::Sent(unit, 0x18);
}

std::string Report(const ConnectionCheck &check) {
  std::string text;
  for (const std::string &line : CheckReport(check))
    text += line + "\n";
  return text;
}

// The port as the check names it: its COM name, and the device that name opens here.
std::string Named(Bench &b) {
  const std::string device = DevicePath("COM1", b.store);
  return device == "COM1" ? device : "COM1 → " + device;
}

struct Healthy {
  sim::Model model;
  sim::LoaderVersion loader;
  const char *named;  // in the unit's line
};

TEST(ConnectionCheck, HealthyUnitsOfEveryKindAndLoaderPassEveryStep) {
  const Healthy cases[] = {
      {sim::Model::kTransmitter, sim::kLoader110,
       "發射機 (密碼 C) · 晶片 F1 12 · 載入程式 1.10 · 需要修補程式"},
      {sim::Model::kTransmitter, sim::kLoader161,
       "發射機 (密碼 C) · 晶片 F1 12 · 載入程式 1.61 · 不需修補程式"},
      {sim::Model::kTransmitter, sim::kLoader202,
       "發射機 (密碼 C) · 晶片 F1 12 · 載入程式 2.02 · 不需修補程式"},
      // The identification decides the program area as the commands use it: only loader
      // 2.02 tells an 8 KB receiver, which is the loader the product line gives it.
      {sim::Model::kReceiver8k, sim::kLoader110,
       "接收機 (密碼 A) · 晶片 F1 23 · 載入程式 1.10 · 需要修補程式"},
      {sim::Model::kReceiver8k, sim::kLoader161,
       "接收機 (密碼 A) · 晶片 F1 23 · 載入程式 1.61 · 不需修補程式"},
      {sim::Model::kReceiver8k, sim::kLoader202,
       "接收機 (密碼 A) · 晶片 F1 23 · 載入程式 2.02 · 不需修補程式 · 短映像 (程式自 0xE000)"},
      {sim::Model::kReceiver16k, sim::kLoader110,
       "接收機 (密碼 B) · 晶片 F1 49 · 載入程式 1.10 · 需要修補程式 · 程式自 0xC000"},
      {sim::Model::kReceiver16k, sim::kLoader161,
       "接收機 (密碼 B) · 晶片 F1 49 · 載入程式 1.61 · 不需修補程式"},
      {sim::Model::kReceiver16k, sim::kLoader202,
       "接收機 (密碼 B) · 晶片 F1 49 · 載入程式 2.02 · 不需修補程式"},
  };
  for (const Healthy &c : cases) {
    sim::UnitConfig config = Standard(c.model);
    config.loader = c.loader;
    Bench b(config);
    const std::vector<uint8_t> flash = FlashOf(b.unit);
    const ConnectionCheck check = b.bench.CheckConnection();
    const std::string report = Report(check);
    SCOPED_TRACE(report);
    EXPECT_TRUE(check.Passed());
    ASSERT_EQ(check.lines.size(), 7u);
    EXPECT_NE(check.lines[4].found.find(c.named), std::string::npos);
    EXPECT_NE(check.lines[4].found.find("Q12 · 序號 "), std::string::npos);
    EXPECT_TRUE(report.ends_with("結果: 7 項全部通過\n"));
    EXPECT_EQ(FlashOf(b.unit), flash);
    EXPECT_FALSE(Erased(b.unit));
    EXPECT_TRUE(b.Shown().empty());
  }
}

TEST(ConnectionCheck, TheUnitsLineIsNamedInFull) {
  Bench b(Standard(sim::Model::kReceiver16k));
  const ConnectionCheck check = b.bench.CheckConnection();
  ASSERT_TRUE(check.Passed()) << Report(check);
  // The simulated unit's ports have modem lines; the port field's mapping is shown.
  EXPECT_EQ(CheckLineText(check.lines[0]), "1 OK   裝置: " + Named(b) + " 是序列埠");
  EXPECT_EQ(CheckLineText(check.lines[2]), "3 OK   線路: 9600 8E1, 無流量控制; DTR、RTS 可設定");
  EXPECT_TRUE(check.lines[3].found.starts_with("進入載入程式並回應同步 (RTS 正常), 往返 "))
      << check.lines[3].found;
  EXPECT_EQ(check.lines[5].found, "兩次讀取的 256 位元組相同, 檢查碼正確 (機型碼 0F 33)");
  EXPECT_TRUE(check.lines[6].found.starts_with("20 次同步, 最慢 ")) << check.lines[6].found;
  EXPECT_TRUE(check.lines[6].found.ends_with("(協定容許 10 ms)")) << check.lines[6].found;
}

TEST(ConnectionCheck, AUnitWiredForInvertedRtsIsFoundSo) {
  sim::UnitConfig config = Standard(sim::Model::kTransmitter);
  config.rts_inverted = true;
  Bench b(config);
  const ConnectionCheck check = b.bench.CheckConnection();
  ASSERT_TRUE(check.Passed()) << Report(check);
  EXPECT_TRUE(check.lines[3].found.starts_with("進入載入程式並回應同步 (RTS 反相)")) << check.lines[3].found;
}

struct PortCase {
  PortTrouble trouble;
  int failedStep;
  const char *found;  // after the port's name, or its device
  const char *advice;
};

TEST(ConnectionCheck, EachPortTroubleFailsItsStepWithWhatToDo) {
  const PortCase cases[] = {
    {PortTrouble::Missing, 1, " 不存在", "確認轉接器已插上"},
    {PortTrouble::NotSerial, 1, " 不是序列埠", "轉接器的"},
#if defined(_WIN32)
    {PortTrouble::Denied, 2, " 的權限", "有權使用此通信埠"},
#else
    {PortTrouble::Denied, 2, " 的權限", "dialout"},
#endif
    {PortTrouble::InUse, 2, " 已被其他程式使用", "關閉使用它的程式"},
    {PortTrouble::NotConfigured, 3, "不接受 9600 8E1", "換一個轉接器"},
  };
  for (const PortCase &c : cases) {
    Bench b(Standard(sim::Model::kReceiver16k));
    // A character device that is no port, chosen as the next start opens it: a refused
    // open of it is a question of rights.
    b.store.WriteString("PortDevice.COM1", "/dev/null");
    b.bench.FormMenuCreate({});
    b.Shown();
    b.port.set_open_trouble(c.trouble);
    const ConnectionCheck check = b.bench.CheckConnection();
    const std::string report = Report(check);
    SCOPED_TRACE(report);
    ASSERT_EQ(check.lines.size(), static_cast<size_t>(c.failedStep));
    const CheckLine &failed = check.lines.back();
    EXPECT_FALSE(failed.ok);
    const std::string device = DevicePath("COM1", b.store);
    const std::string said = c.failedStep == 1   ? Named(b) + c.found
                             : c.failedStep == 2 ? device + c.found
                                                 : c.found;
    EXPECT_NE(failed.found.find(said), std::string::npos) << said;
    EXPECT_NE(failed.advice.find(c.advice), std::string::npos);
    EXPECT_TRUE(
        std::all_of(check.lines.begin(), check.lines.end() - 1, [](const CheckLine &l) { return l.ok; }));
    EXPECT_TRUE(report.ends_with("結果: 步驟 " + std::to_string(c.failedStep) + " 失敗; 步驟 " +
                                 std::to_string(c.failedStep + 1) + " 到 7 未執行\n"));
    EXPECT_TRUE(b.unit.requests().empty());
  }
}

struct UnitCase {
  const char *name;
  std::function<void(sim::UnitConfig &)> configure;
  std::function<void(sim::Unit &)> fault;
  int failedStep;
  const char *found;
  const char *verdict;
};

std::vector<UnitCase> UnitCases() {
  auto noChange = [](sim::UnitConfig &) {};
  auto noFault = [](sim::Unit &) {};
  return {
      {"NeverAnswers", noChange,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kNoAnswer, .times = sim::kForever}); }, 4,
       "同步都沒有回應", "結果: 步驟 4 失敗; 步驟 5 到 7 未執行"},
      {"GarbledReplies", noChange,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kGarble, .times = sim::kForever}); }, 4,
       "不是 0x90: 資料在線上錯亂", "結果: 步驟 4 失敗; 步驟 5 到 7 未執行"},
      // The syncs still answer: the reply times are taken.
      {"NoStoredPasswordOpensIt", [](sim::UnitConfig &c) { c.vectors.fill(0x5A); }, noFault, 5,
       "不接受任何一組儲存的密碼", "結果: 步驟 5 失敗; 步驟 6 未執行"},
      {"IdentityPageGarbled", noChange,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kFlipBit, .request = kRead}); }, 5,
       "識別頁 (0xFF60) 沒有回應, 或回應不完整、檢查碼不符", "結果: 步驟 5 失敗"},
      {"UnknownModelMarker", [](sim::UnitConfig &c) { c.identity.marker = 0x55; }, noFault, 5,
       "型號標記 0x55 不是 Q12 (0xAA) 或 Q10 (0xAC)", "結果: 步驟 5 失敗"},
      // The identity page and the settings block 1 come before the second pass's block 1.
      {"SecondSettingsReadGarbled", noChange,
       [](sim::Unit &u) { u.AddFault({.kind = sim::FaultKind::kLoseByte, .request = kRead, .skip = 3}); }, 6,
       "第 2 次讀取設定區塊 1 (0x1080) 沒有回應", "結果: 步驟 6 失敗"},
      {"SettingsCheckWordWrong", [](sim::UnitConfig &c) { c.settings[128 + 8] ^= 0x01; }, noFault, 6,
       "兩次讀取相同, 但區塊 1 的檢查碼", "結果: 步驟 6 失敗"},
      // An adapter that holds every reply 12 ms, as a USB latency timer does.
      {"SlowReplies", noChange,
       [](sim::Unit &u) {
         u.AddFault({.kind = sim::FaultKind::kLate,
                     .request = sim::kSyncRequest,
                     .skip = 30,
                     .times = sim::kForever,
                     .late_micros = 12'000});
       },
       7, "超過協定容許的 10 ms", "結果: 步驟 7 失敗"},
      {"SyncsLost", noChange,
       [](sim::Unit &u) {
         u.AddFault(
             {.kind = sim::FaultKind::kNoAnswer, .request = sim::kSyncRequest, .skip = 30, .times = 3});
       },
       7, "20 次同步中 3 次沒有回應 0x90", "結果: 步驟 7 失敗"},
  };
}

TEST(ConnectionCheck, EachFaultOfTheUnitOrTheLineFailsTheStepWhereItShows) {
  for (const UnitCase &c : UnitCases()) {
    sim::UnitConfig config = Standard(sim::Model::kReceiver8k);
    c.configure(config);
    Bench b(config);
    c.fault(b.unit);
    const std::vector<uint8_t> flash = FlashOf(b.unit);
    const ConnectionCheck check = b.bench.CheckConnection();
    const std::string report = Report(check);
    SCOPED_TRACE(std::string(c.name) + "\n" + report);
    EXPECT_FALSE(check.Passed());
    const auto failed =
        std::find_if(check.lines.begin(), check.lines.end(), [](const CheckLine &l) { return !l.ok; });
    ASSERT_NE(failed, check.lines.end());
    EXPECT_EQ(static_cast<int>(failed->step), c.failedStep);
    EXPECT_NE(failed->found.find(c.found), std::string::npos);
    EXPECT_FALSE(failed->advice.empty());
    EXPECT_TRUE(report.ends_with(std::string(c.verdict) + "\n"));
    EXPECT_EQ(FlashOf(b.unit), flash);
    EXPECT_FALSE(Erased(b.unit));
  }
}

// A blank unit opens with the erased-device password: it has no identity and no settings.
TEST(ConnectionCheck, ABlankUnitIsToldToBeBurned) {
  Bench b(Standard(sim::Model::kTransmitter));
  b.unit.memory().MassErase();
  const ConnectionCheck check = b.bench.CheckConnection();
  ASSERT_EQ(check.lines.size(), 7u) << Report(check);
  EXPECT_NE(check.lines[4].found.find("發射機 (空白機器的密碼)"), std::string::npos) << check.lines[4].found;
  EXPECT_NE(check.lines[4].found.find("型號標記 0xFF 不是 Q12 (0xAA) 或 Q10 (0xAC): 機器是空白的"),
            std::string::npos);
  EXPECT_NE(check.lines[4].advice.find("燒錄韌體"), std::string::npos);
  EXPECT_FALSE(check.lines[5].ok);  // all 0xFF: the check word cannot hold
  EXPECT_TRUE(check.lines[6].ok);
  EXPECT_TRUE(Report(check).ends_with("結果: 步驟 5、6 失敗\n"));
}

// An adapter that stops sending while the check runs: the step it was at says so, and
// nothing more is tried on the dead port.
TEST(ConnectionCheck, APortThatStopsSendingEndsTheCheckWhereItWas) {
  Bench b(Standard(sim::Model::kReceiver16k));
  b.person.onProgress = [&](int step) {
    if (step == static_cast<int>(CheckStep::Unit)) b.port.set_stalled(true);
  };
  const ConnectionCheck check = b.bench.CheckConnection();
  const std::string report = Report(check);
  ASSERT_EQ(check.lines.size(), 6u) << report;
  EXPECT_EQ(CheckLineText(check.lines[5]),
            "6 FAIL 設定: 通信埠在診斷中失去: COM1: 連接埠無法送出資料,請檢查轉接器與連接線。處理: "
            "確認轉接器插穩後再試");
  EXPECT_TRUE(report.ends_with("結果: 步驟 6 失敗; 步驟 7 未執行\n")) << report;
}

// The check is the person's look at the line: what the window shows and what the ledger
// holds stay as they were.
TEST(ConnectionCheck, LeavesTheWindowAndTheLedgerAsTheyWere) {
  Bench b(Standard(sim::Model::kReceiver16k));
  b.editor().MachineType = "10";
  const auto recorded = b.bench.ledger()->Records({}).size();
  ASSERT_TRUE(b.bench.CheckConnection().Passed());
  EXPECT_EQ(b.editor().MachineType, "10");
  EXPECT_EQ(b.bench.loadedSource(), LoadedSource::Nothing);
  EXPECT_EQ(b.bench.ledger()->Records({}).size(), recorded);
  EXPECT_FALSE(b.bench.CommandRunning());
  EXPECT_TRUE(b.Shown().empty());
}

}  // namespace
}  // namespace rilo
