// rilo-cli ledger in-process, on ledgers filled through the Ledger itself: the records
// as filtered lists and as the run's CSV, the next free ID code, the open journal, and
// which ledger a command reads.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <sstream>

#include "cli/commands.h"
#include "cli/run_log.h"
#include "cli/testing/run_command.h"
#include "core/ini_preferences.h"
#include "core/testing/programs.h"
#include "ledger/ledger_location.h"

namespace rilo {
namespace {

struct Output {
  int exit;
  std::string out, err;
};

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    lines.push_back(l);
  return lines;
}

UnitRecord Unit(const char *time, const char *port, const char *id, const char *serial) {
  UnitRecord u;
  u.time = time;
  u.bench = "bench-1";
  u.port = port;
  u.device = "/dev/ttyUSB0";
  u.command = "write-firmware";
  u.kind = "Rx";
  u.model = "12";
  u.loaderVersion = "1.61";
  u.id = id;
  u.serial = serial;
  u.date = "2026/12/08";
  u.firmwareFile = "rx.txt";
  u.firmwareSha256 = "ab12";
  u.settingsSha256 = "cd34";
  u.succeeded = true;
  u.seconds = 41.25;
  return u;
}

class LedgerCommandTest : public ::testing::Test {
 protected:
  // The default ledger and the preference store are found as the program finds them.
  void SetUp() override {
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
  }

  std::string Path(const std::string &name) const { return scratch_.Path(name); }

  // The ledger the commands read when nothing names another.
  Ledger &Default() {
    if (!default_) default_ = OpenLedger("");
    return *default_;
  }

  // The four records the filters choose from, oldest first.
  void FillRecords() {
    Default().Record(Unit("2026-12-08T09:00:00Z", "COM1", "12000001", "00000A01"));
    UnitRecord failed = Unit("2026-12-09T10:00:00Z", "COM2", "12000002", "00000A02");
    failed.succeeded = false;
    failed.failedStep = "寫入接收機";
    failed.failedPage = 12;
    failed.failedAddress = "0x8200";
    failed.firstMessage = "讀回資料不符, 請再試一次";
    Default().Record(failed);
    UnitRecord settings = Unit("2026-12-10T03:04:27Z", "COM1", "12000001", "00000A03");
    settings.command = "write";
    settings.firmwareFile = settings.firmwareSha256 = "";
    Default().Record(settings);
    Default().Record(Unit("2026-12-10T05:00:00Z", "/dev/ttyUSB0", "12000003", "00000A01"));
  }

  // Runs `rilo-cli ledger ARGS`, what it prints caught.
  Output Run(const Arguments &args) {
    std::ostringstream out;
    struct Restore {
      std::streambuf *terminal;
      ~Restore() { std::cout.rdbuf(terminal); }
    } restore{std::cout.rdbuf(out.rdbuf())};
    const testing::CommandResult r = testing::RunCommand(RunLedger, args, VentrixApi{});
    return {r.exit, out.str(), r.err};
  }

  testing::ScratchFolder scratch_{"rilo-cli-ledger"};
  std::unique_ptr<Ledger> default_;
};

TEST_F(LedgerCommandTest, ListFiltersLatestFirst) {
  FillRecords();
  struct Case {
    Arguments filter;
    std::vector<std::string> times;
  };
  const Case cases[] = {
      {{}, {"2026-12-10T05:00:00Z", "2026-12-10T03:04:27Z", "2026-12-09T10:00:00Z", "2026-12-08T09:00:00Z"}},
      {{"--id", "12000001"}, {"2026-12-10T03:04:27Z", "2026-12-08T09:00:00Z"}},
      {{"--serial", "00000A01"}, {"2026-12-10T05:00:00Z", "2026-12-08T09:00:00Z"}},
      {{"--port", "COM1"}, {"2026-12-10T03:04:27Z", "2026-12-08T09:00:00Z"}},
      {{"--since", "2026-12-10"}, {"2026-12-10T05:00:00Z", "2026-12-10T03:04:27Z"}},
      {{"--since", "2026-12-09", "--id", "12000001"}, {"2026-12-10T03:04:27Z"}},
      {{"--id", "99999999"}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.filter));
    Arguments args = {"list", "--csv"};
    args.insert(args.end(), c.filter.begin(), c.filter.end());
    const Output r = Run(args);
    ASSERT_EQ(r.exit, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0] + "\n", kRunLogColumns);
    std::vector<std::string> times;
    for (size_t i = 1; i < lines.size(); ++i)
      times.push_back(lines[i].substr(0, lines[i].find(',')));
    EXPECT_EQ(times, c.times);
  }
}

TEST_F(LedgerCommandTest, CsvIsTheRunRecordsOwnLines) {
  FillRecords();
  const auto records = Default().Records({});
  std::string expected = kRunLogColumns;
  for (const UnitRecord &u : records)
    expected += RunLogLine(u);
  const Output r = Run({"list", "--csv"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, expected);
  EXPECT_NE(r.out.find("\"讀回資料不符, 請再試一次\""), std::string::npos);
}

TEST_F(LedgerCommandTest, ListShowsColumnsLinedUpUnderTheirHeadings) {
  FillRecords();
  const Output r = Run({"list", "--since", "2026-12-09", "--port", "COM2"});
  ASSERT_EQ(r.exit, 0) << r.err;
  // Each Chinese character takes two places on a terminal.
  EXPECT_EQ(r.out,
            "時間 (UTC)           工作站   通信埠  指令            機種  機型  載入程式  ID-CODE   機器序號  "
            "出廠日期    韌體檔  結果  秒數  失敗處與訊息\n"
            "2026-12-09 10:00:00  bench-1  COM2    write-firmware  Rx    12    1.61      12000002  00000A02  "
            "2026/12/08  rx.txt  失敗  41.2  寫入接收機 第 12 頁 0x8200: 讀回資料不符, 請再試一次\n");

  const Output none = Run({"list", "--serial", "FFFFFFFF"});
  EXPECT_EQ(none.exit, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "沒有符合的紀錄\n");
}

TEST_F(LedgerCommandTest, NextIdIsTheLowestCodeNoReceiverHolds) {
  struct Case {
    const char *name;
    std::vector<int64_t> used, reserved;
    Arguments from;
    int exit;
    std::string out;
  };
  const std::vector<int64_t> gap = {12000001, 12000002, 12000004};
  const Case cases[] = {
      {"empty ledger, no start", {}, {}, {}, 1, ""},
      {"empty ledger", {}, {}, {"--from", "12000001"}, 0, "12000001\n"},
      {"past the highest", gap, {}, {}, 0, "12000005\n"},
      {"the first gap", gap, {}, {"--from", "12000001"}, 0, "12000003\n"},
      {"past a held start", gap, {}, {"--from", "12000004"}, 0, "12000005\n"},
      {"below every held code", gap, {}, {"--from", "12000000"}, 0, "12000000\n"},
      {"a reserved code is held", {12000001}, {12000002}, {"--from", "12000001"}, 0, "12000003\n"},
      {"another model", {10000007, 12000001}, {}, {"--from", "10000007"}, 0, "10000008\n"},
      {"the highest of every model", {10000007, 12000001}, {}, {}, 0, "12000002\n"},
      {"model used up", {12999998, 12999999}, {}, {}, 1, ""},
      {"model used up from its start", {10999999, 12000005}, {}, {"--from", "10999999"}, 1, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScratchFolder folder("rilo-cli-next-id");
    const std::string location = "sqlite:" + folder.Path("ledger.sqlite");
    auto ledger = OpenLedger(location);
    for (int64_t code : c.used)
      ledger->UseId(code, "00000A01", "bench-1", "COM1");
    for (int64_t code : c.reserved)
      ASSERT_EQ(ledger->ReserveIds(code, code, 1, "bench-2", {"COM2"}), std::vector<int64_t>{code});
    const size_t held = ledger->HeldIds().size();

    Arguments args = {"next-id", "--ledger", location};
    args.insert(args.end(), c.from.begin(), c.from.end());
    const Output r = Run(args);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err.empty(), c.exit == 0) << r.err;
    EXPECT_EQ(ledger->HeldIds().size(), held);  // nothing reserved
  }
}

TEST_F(LedgerCommandTest, JournalListsTheOpenEntriesLatestFirst) {
  JournalEntry settings;
  settings.opened = "2026-12-10T03:04:27Z";
  settings.bench = "bench-1";
  settings.port = "COM1";
  settings.device = "/dev/ttyUSB0";
  settings.command = "write";
  settings.chip = {0x1E, 0x95, 0x0F};
  settings.loaderVersion = 0x0161;
  settings.id = "12000001";
  settings.serial = "00000A01";
  settings.blocks = Bytes(256, 0xFF);
  settings.topPages = Bytes(3 * 132, 0);
  settings.identity = Bytes(132, 0);
  JournalEntry burn = settings;
  burn.opened = "2026-12-10T05:00:00Z";
  burn.port = "COM2";
  burn.command = "write-firmware";
  burn.chip = {0x1E, 0x95, 0x0F, 0x01};
  burn.loaderVersion = 0x0200;
  burn.vectors = Bytes(32, 0);
  burn.firmware = Bytes(132, 0);
  const int64_t first = Default().OpenEntry(settings);
  const int64_t closed = Default().OpenEntry(settings);
  const int64_t last = Default().OpenEntry(burn);
  Default().CloseEntry(closed);
  ASSERT_EQ(first, 1);
  ASSERT_EQ(last, 3);

  const Output r = Run({"journal"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out,
            "編號  開始時間 (UTC)       工作站   通信埠  裝置          指令            ID-CODE   機器序號  "
            "載入程式  晶片識別  保存的部分\n"
            "3     2026-12-10 05:00:00  bench-1  COM2    /dev/ttyUSB0  write-firmware  12000001  00000A01  "
            "2.00      1E950F01  設定區塊、頂端頁、識別頁、向量、韌體\n"
            "1     2026-12-10 03:04:27  bench-1  COM1    /dev/ttyUSB0  write           12000001  00000A01  "
            "1.61      1E950F    設定區塊、頂端頁、識別頁\n");

  // A person puts entries aside by number; one not open is refused.
  Default().CloseEntry(first);
  EXPECT_EQ(Run({"journal", "--close", "3"}).err, "已結束日誌 #3\n");
  const Output again = Run({"journal", "--close", "3"});
  EXPECT_EQ(again.exit, 1);
  EXPECT_EQ(again.err, "沒有未完成的日誌 #3\n");
  const Output none = Run({"journal"});
  EXPECT_EQ(none.exit, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "沒有未完成的指令\n");
}

TEST_F(LedgerCommandTest, LedgerNamedOnTheCommandLineElseInThePreferencesElseTheDefault) {
  for (const char *bench : {"default", "a", "b"}) {
    auto ledger = OpenLedger(std::string(bench) == "default" ? "" : "sqlite:" + Path(bench));
    UnitRecord u = Unit("2026-12-10T05:00:00Z", "COM1", "12000001", "00000A01");
    u.bench = bench;
    ledger->Record(u);
  }
  struct Case {
    std::optional<std::string> preference, flag;
    const char *bench;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, "default"},
      {"sqlite:" + Path("a"), std::nullopt, "a"},
      {"sqlite:" + Path("a"), "sqlite:" + Path("b"), "b"},
      {"sqlite:" + Path("a"), "", "a"},
      {"", std::nullopt, "default"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.preference.value_or("(none)") + " " + c.flag.value_or("(none)"));
    std::filesystem::remove_all(Path("config"));
    if (c.preference) IniPreferences(DefaultPreferencesPath()).WriteString("Ledger", *c.preference);
    Arguments args = {"list", "--csv"};
    if (c.flag) args.insert(args.end(), {"--ledger", *c.flag});
    const Output r = Run(args);
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, lines[1].find(',', 21)), std::string("2026-12-10T05:00:00Z,") + c.bench);
  }
}

TEST_F(LedgerCommandTest, WrongCommandLinesAndUnusableLedgers) {
  struct Case {
    Arguments args;
    int exit;
    std::string said;  // the start of what goes to standard error
  };
  const Case cases[] = {
      {{}, 2, "ledger 需要子指令\n用法: rilo-cli ledger list"},
      {{"erase"}, 2, "未知的子指令: erase\n用法:"},
      {{"list", "12000001"}, 2, "無法辨識的參數: 12000001\n用法:"},
      {{"list", "--from", "12000001"}, 2, "無法辨識的參數: --from\n"},
      {{"list", "--id"}, 2, "--id 需要一個值\n"},
      {{"list", "--since", "2026/12/01"}, 2, "--since 需為 YYYY-MM-DD: 2026/12/01\n"},
      {{"next-id", "--from", "1200001"}, 2, "--from 需為 8 位數字"},
      {{"next-id", "--from", "12O00001"}, 2, "--from 需為 8 位數字"},
      {{"journal", "--csv"}, 2, "無法辨識的參數: --csv\n"},
      {{"list", "--ledger", "mysql://server/ledger"},
       1,
       "無法使用生產紀錄: 無法辨識的生產紀錄位置: mysql://"},
      {{"journal", "--ledger", "sqlite:" + Path("no/such/folder/ledger.sqlite")}, 1, "無法使用生產紀錄: "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Output r = Run(c.args);
    EXPECT_EQ(r.exit, c.exit);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with(c.said)) << r.err;
  }

  IniPreferences(DefaultPreferencesPath()).WriteString("Ledger", "mysql://server/ledger");
  const Output r = Run({"next-id", "--from", "12000001"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(r.err.starts_with("無法使用生產紀錄: ")) << r.err;
}

}  // namespace
}  // namespace rilo
