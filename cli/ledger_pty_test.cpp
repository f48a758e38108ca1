// rilo-cli cut short as a bench loses it, the programs themselves over pseudo-terminals
// at real wire speed: killed at a chosen step of a factory settings write or a burn,
// then given the next command; stopped with Ctrl+C during a four-unit burn; and two
// runs at once taking receivers' ID codes from one ledger. Each unit is rilo-unit-sim
// with --memory-file, so the test sees an erase or a write land while rilo-cli is at
// work, and compares whole flash with a twin unit given the same command uncut.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "cli/commands.h"
#include "cli/testing/pty_programs.h"
#include "cli/testing/run_command.h"
#include "core/ini_preferences.h"
#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "ledger/ledger_location.h"
#include "ledger/testing/scratch_stores.h"
#include "link/testing/wired_unit.h"
#include "settings/testing/editor_bench.h"
#include "sim/simulated_port.h"
#include "sim/unit.h"

namespace rilo {
namespace {

using namespace std::chrono_literals;
using testing::BackgroundCli;
using testing::ReadWholeFile;
using testing::Ventrix;
using testing::WatchedUnit;
using Clock = std::chrono::steady_clock;
using Memory = std::vector<uint8_t>;

// Every wait is bounded: a burn takes about 20 s here, a settings write a few.
constexpr auto kMostForACommand = 120s;
constexpr auto kLook = 5ms;
constexpr uint32_t kFlash = testing::kFlashStart;

// One look at a unit's memory: the bytes from `at` are all 0xFF, or not.
struct Look {
  uint32_t at;
  uint32_t count;
  bool blank;
};
// A moment of a command: steps seen in turn, each step's looks all at once.
using Moment = std::vector<std::vector<Look>>;

bool Shows(const Memory &memory, const std::vector<Look> &step) {
  return memory.size() == 0x10000 && std::all_of(step.begin(), step.end(), [&](const Look &l) {
           const bool blank = std::all_of(memory.begin() + l.at, memory.begin() + l.at + l.count,
                                          [](uint8_t b) { return b == 0xFF; });
           return blank == l.blank;
         });
}

// Watches `unit` until it has shown every step of `moment` in turn: true then, false when
// `cli` ended first or took too long.
bool Reached(const WatchedUnit &unit, const Moment &moment, BackgroundCli &cli) {
  const auto deadline = Clock::now() + kMostForACommand;
  for (size_t step = 0; step < moment.size();) {
    if (!cli.Running() || Clock::now() > deadline) return false;
    if (Shows(unit.All(), moment[step]))
      ++step;
    else
      std::this_thread::sleep_for(kLook);
  }
  return true;
}

// The ID codes a run's summary names on its line `heading`, each with its port.
std::map<std::string, int64_t> CodesNamed(const std::string &err, const std::string &heading) {
  std::map<std::string, int64_t> codes;
  const size_t line = err.find(heading);
  if (line == std::string::npos) return codes;
  const size_t end = err.find('\n', line);
  std::string text = err.substr(line + heading.size(), end - line - heading.size());
  // "12000777 (COM3), 12000778 (/tmp/rilo-link-x/unit)"
  for (size_t at = 0; at < text.size();) {
    const size_t open = text.find(" (", at), close = text.find(')', at);
    if (open == std::string::npos || close == std::string::npos) break;
    codes[text.substr(open + 2, close - open - 2)] = std::stoll(text.substr(at, open - at));
    at = close + 1;
    while (at < text.size() && (text[at] == ',' || text[at] == ' '))
      ++at;
  }
  return codes;
}

std::set<int64_t> CodesOf(const std::map<std::string, int64_t> &named) {
  std::set<int64_t> codes;
  for (const auto &[port, code] : named)
    codes.insert(code);
  return codes;
}

std::set<int64_t> HeldCodes(Ledger &ledger) {
  std::set<int64_t> codes;
  for (const HeldId &held : ledger.HeldIds())
    codes.insert(held.code);
  return codes;
}

// The six counting digits of `code` as block 1 stores them (bytes 2 to 7, codewords).
std::vector<uint8_t> StoredIdCode(int64_t code) {
  const std::string digits = std::to_string(code).substr(2);
  std::vector<uint8_t> stored;
  for (char d : digits)
    stored.push_back(Ventrix().DeHamming(static_cast<uint8_t>(d - '0')));
  return stored;
}

class LedgerOverPseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);  // the ledger, the test's own
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
  }

  std::string Path(const std::string &name) const { return scratch_.Path(name); }
  testing::ProgramResult Run(const std::string &args) const {
    return testing::RunProgram("rilo-cli", args, scratch_);
  }
  // The window's factory section, as the preference store turns it on.
  void Factory() const { IniPreferences(DefaultPreferencesPath()).WriteInteger("Factory", 1); }

  // The firmware of the simulator's standard 8 KB receiver, read in-process on the
  // virtual clock into a ledger of its own.
  std::string ReceiverFirmware() const {
    sim::Unit source(testing::Standard(sim::Model::kReceiver8k));
    VirtualClock clock;
    sim::SimulatedPort port(source, clock);
    testing::OneLine line({port, clock});
    const std::string file = Path("rx.txt");
    const auto read = testing::RunCommand(
        RunReadFirmware, {"COM1", "--rx", "-o", file, "--ledger", "sqlite:" + Path("source.sqlite")},
        Ventrix(), line);
    EXPECT_EQ(read.exit, 0) << read.err;
    return file;
  }

  testing::ScratchFolder scratch_{"rilo-cli-ledger-pty"};
};

// ---- A factory settings write that changes serial number and date, killed -----------

struct WriteCut {
  const char *name;
  const char *loader;  // 1.10 restores through the RAM patch
  Moment moment;       // where the kill lands
};

// Block 1 erased (the first erase), block 0 not yet written.
const Moment kFirstBlockErased = {{{0x1080, 128, true}}};
// The top segment erased, its first page back, the identity page not yet.
const Moment kInTheTopRestore = {{{0xFE00, 512, true}}, {{0xFE00, 128, false}, {0xFF80, 96, true}}};
// The top segment erased, every page back up to the identity page, the vectors not.
const Moment kTopPagesWithoutVectors = {{{0xFE00, 512, true}}, {{0xFF80, 96, false}, {0xFFE0, 32, true}}};

void PrintTo(const WriteCut &cut, std::ostream *out) {
  *out << cut.name;
}

class KilledSettingsWrite : public LedgerOverPseudoTerminal,
                            public ::testing::WithParamInterface<WriteCut> {};

// The write killed where the table says, then given again: without --finish it names
// the open entry and leaves the unit alone; with it the unit ends as its twin, which
// had the same write uncut. Nothing reports success before the unit is whole.
TEST_P(KilledSettingsWrite, TheSameWriteWithFinishMakesTheUnitWhole) {
  const std::vector<std::string> unit{"--role", "rx", "--loader", GetParam().loader};
  WatchedUnit cut(scratch_, "cut", unit), twin(scratch_, "twin", unit);
  ASSERT_TRUE(cut.ok() && twin.ok());
  Factory();
  // The unit's own settings with a new serial number and date.
  SettingsImage image{};
  const auto settings = sim::StandardSettings();
  std::copy(settings.begin(), settings.end(), image.begin());
  const uint8_t identity[] = {0x12, 0x98, 0x76, 0x54, 0x26, 0x11, 0x30};  // 12987654, 2026/11/30
  std::copy(std::begin(identity), std::end(identity), image.begin() + kBlock1 + 96);
  ComputeCheckWord(image);
  std::ofstream(Path("new.rilo"), std::ios::binary) << JoinCrLf(SettingsFileLines(image, CustomerRecord{}));
  const std::string write = "write \"" + cut.device() + "\" \"" + Path("new.rilo") + "\"";
  const Memory before = cut.Flash();

  {
    BackgroundCli uncut(scratch_, "twin",
                        "write \"" + twin.device() + "\" \"" + Path("new.rilo") +
                            "\" --ledger \"sqlite:" + Path("twin.sqlite") + "\"");
    BackgroundCli killed(scratch_, "cut", write);
    ASSERT_TRUE(Reached(cut, GetParam().moment, killed)) << killed.Err();
    killed.Signal(SIGKILL);
    EXPECT_EQ(killed.Wait(10s), 128 + SIGKILL);
    EXPECT_TRUE(Shows(cut.All(), GetParam().moment.back())) << "the kill came too late";
    const int twinExit = uncut.Wait(kMostForACommand);
    ASSERT_EQ(twinExit, 0) << uncut.Err();
  }
  const Memory whole = twin.Flash();
  // The twin took the new identity: serial number codewords at 0xFFD0, date at 0xFFD9.
  std::vector<uint8_t> serial;
  for (int digit : {1, 2, 9, 8, 7, 6, 5, 4})
    serial.push_back(Ventrix().DeHamming(static_cast<uint8_t>(digit)));
  EXPECT_TRUE(std::equal(serial.begin(), serial.end(), whole.begin() + 0xFFD0 - kFlash));
  EXPECT_EQ(Memory(whole.begin() + 0xFFD9 - kFlash, whole.begin() + 0xFFDC - kFlash), (Memory{26, 11, 30}));
  const Memory left = cut.Flash();
  ASSERT_NE(left, whole);
  ASSERT_NE(left, before);
  const auto open = OpenLedger("")->OpenEntries();
  ASSERT_EQ(open.size(), 1u);
  const std::string entry = " #" + std::to_string(open[0].number);

  auto r = Run(write);
  EXPECT_EQ(r.exit, 1) << r.err;
  EXPECT_NE(r.err.find("未完成的工作: 這台機器有未完成的工作"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(entry + ","), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ID-CODE 12300415"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("取消 (加上 --finish 即回答確定)"), std::string::npos) << r.err;
  EXPECT_EQ(cut.Flash(), left) << "the unit was changed without --finish";

  r = Run(write + " --finish");
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("已補完未完成的工作 ("), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(entry + ")"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("寫入: 寫入設定完成!!"), std::string::npos) << r.err;
  EXPECT_EQ(cut.Flash(), whole);
  EXPECT_TRUE(OpenLedger("")->OpenEntries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, KilledSettingsWrite,
    ::testing::Values(WriteCut{"Loader161AfterTheFirstBlockErase", "1.61", kFirstBlockErased},
                      WriteCut{"Loader161InTheTopSegmentRestore", "1.61", kInTheTopRestore},
                      WriteCut{"Loader161AfterTheTopPagesBeforeTheVectors", "1.61", kTopPagesWithoutVectors},
                      WriteCut{"Loader110AfterTheFirstBlockErase", "1.10", kFirstBlockErased},
                      WriteCut{"Loader110InTheTopSegmentRestore", "1.10", kInTheTopRestore},
                      WriteCut{"Loader110AfterTheTopPagesBeforeTheVectors", "1.10", kTopPagesWithoutVectors}),
    [](const auto &p) { return std::string(p.param.name); });

// ---- A receiver burn, killed ---------------------------------------------------------

const char *const kBurnOptions = " --rx --serial 12000077 --date 2026/12/09 --no-verify";

struct BurnCut {
  const char *name;
  const char *loader;
  Moment moment;
};

void PrintTo(const BurnCut &cut, std::ostream *out) {
  *out << cut.name;
}

class KilledBurn : public LedgerOverPseudoTerminal, public ::testing::WithParamInterface<BurnCut> {};

// The burn killed where the table says: a read, even told to finish, refuses the unit
// and asks for the burn again; the burn again leaves it as its twin, burned uncut.
TEST_P(KilledBurn, TheBurnAgainMakesTheUnitWhole) {
  const std::vector<std::string> unit{"--role",  "rx",       "--short-image",
                                      "--blank", "--loader", GetParam().loader};
  WatchedUnit cut(scratch_, "cut", unit), twin(scratch_, "twin", unit);
  ASSERT_TRUE(cut.ok() && twin.ok());
  Factory();  // the read that comes after the burn, as the bench that burns runs it
  const std::string firmware = ReceiverFirmware();
  const std::string burn = "write-firmware \"" + cut.device() + "\" \"" + firmware + "\"" + kBurnOptions;

  {
    BackgroundCli uncut(scratch_, "twin",
                        "write-firmware \"" + twin.device() + "\" \"" + firmware + "\"" + kBurnOptions +
                            " --ledger \"sqlite:" + Path("twin.sqlite") + "\"");
    BackgroundCli killed(scratch_, "cut", burn);
    ASSERT_TRUE(Reached(cut, GetParam().moment, killed)) << killed.Err();
    killed.Signal(SIGKILL);
    EXPECT_EQ(killed.Wait(10s), 128 + SIGKILL);
    EXPECT_TRUE(Shows(cut.All(), GetParam().moment.back())) << "the kill came too late";
    const int twinExit = uncut.Wait(kMostForACommand);
    ASSERT_EQ(twinExit, 0) << uncut.Err();
  }
  const Memory whole = twin.Flash();
  const Memory left = cut.Flash();
  ASSERT_NE(left, whole);
  const auto open = OpenLedger("")->OpenEntries();
  ASSERT_EQ(open.size(), 1u);

  auto r = Run("read \"" + cut.device() + "\" -o \"" + Path("read.rilo") + "\" --finish");
  EXPECT_EQ(r.exit, 1) << r.err;
  EXPECT_NE(r.err.find("這台機器的韌體燒錄沒有完成 (重置向量已被抹除,機器無法啟動)"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(" #" + std::to_string(open[0].number) + ","), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("請重新燒錄韌體!!"), std::string::npos) << r.err;
  EXPECT_EQ(cut.Flash(), left) << "a read changed the unit";

  r = Run(burn);
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("寫入程式: 寫入接收機程式完成!!"), std::string::npos) << r.err;
  EXPECT_EQ(cut.Flash(), whole);
  // The burn again finishes what the killed one left. An entry left open would be named
  // to the next unit of this chip and loader that lacks its vectors, a new blank one too.
  EXPECT_TRUE(OpenLedger("")->OpenEntries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, KilledBurn,
    ::testing::Values(
        BurnCut{"Loader202InThePages", "2.02", {{{0xE800, 128, false}, {0xF000, 128, true}}}},
        // The top page burned, the top segment erased for the identity,
        // then the identity page back without the vectors.
        BurnCut{"Loader110AfterTheTopPagesBeforeTheVectors",
                "1.10",
                {{{0xFF80, 96, false}}, {{0xFE00, 512, true}}, {{0xFF80, 96, false}, {0xFFE0, 32, true}}}}),
    [](const auto &p) { return std::string(p.param.name); });

// ---- Ctrl+C during a four-unit burn --------------------------------------------------

// Two fast receivers, a slower one (the patched loader) and, by mistake, a transmitter.
// Ctrl+C once the first receiver's identity has gone out: every unit stops at its next
// frame and is recorded, the summary names which ID codes the units kept, and the
// ledger holds exactly those.
TEST_F(LedgerOverPseudoTerminal, CtrlCStopsAFourUnitBurnAndRecordsEveryUnit) {
  const std::vector<std::vector<std::string>> kinds = {
      {"--role", "rx", "--short-image", "--blank"},
      {"--role", "rx", "--short-image", "--blank"},
      {"--role", "rx", "--short-image", "--blank", "--loader", "1.10"},
      {"--role", "tx"}};
  std::vector<std::unique_ptr<WatchedUnit>> units;
  std::string ports;
  for (size_t i = 0; i < kinds.size(); ++i) {
    units.push_back(std::make_unique<WatchedUnit>(scratch_, "unit" + std::to_string(i), kinds[i]));
    ASSERT_TRUE(units.back()->ok());
    ports += (i ? "," : "") + units.back()->device();
  }
  const std::string firmware = ReceiverFirmware();

  BackgroundCli run(scratch_, "run",
                    "write-firmware \"" + ports + "\" \"" + firmware +
                        "\" --rx --id 12000777 --no-verify --log \"" + Path("run.csv") + "\"");
  // The top page burned, then the top segment erased: the unit's identity is out.
  ASSERT_TRUE(Reached(*units[0], {{{0xFF80, 96, false}}, {{0xFE00, 512, true}}}, run)) << run.Err();
  run.Signal(SIGINT);
  EXPECT_EQ(run.Wait(30s), 130);
  const std::string err = run.Err();
  EXPECT_NE(err.find("收到中斷要求"), std::string::npos) << err;
  EXPECT_NE(err.find("結果: 4 台中 0 台成功, 4 台失敗\n"), std::string::npos) << err;
  for (size_t i = 0; i < 3; ++i)
    EXPECT_NE(err.find(units[i]->device() + " 失敗: 已中斷 (Ctrl+C): "), std::string::npos) << err;

  const std::string log = ReadWholeFile(Path("run.csv"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5) << log;
  const auto ledger = OpenLedger("");
  const auto records = ledger->Records({});
  EXPECT_EQ(records.size(), 4u);
  EXPECT_TRUE(std::none_of(records.begin(), records.end(), [](const UnitRecord &r) { return r.succeeded; }));

  const auto used = CodesNamed(err, "已使用的 ID-CODE: ");
  const auto unused = CodesNamed(err, "未使用的 ID-CODE: ");
  std::set<int64_t> named = CodesOf(used);
  const std::set<int64_t> notKept = CodesOf(unused);
  named.insert(notKept.begin(), notKept.end());
  EXPECT_EQ(named, (std::set<int64_t>{12000777, 12000778, 12000779, 12000780})) << err;
  EXPECT_EQ(used.size() + unused.size(), 4u) << err;
  EXPECT_EQ(used.count(units[0]->device()), 1u) << err;    // its identity went out
  EXPECT_EQ(unused.count(units[3]->device()), 1u) << err;  // the transmitter was left alone
  EXPECT_EQ(HeldCodes(*ledger), CodesOf(used)) << err;
}

// ---- Two runs at once on one ledger --------------------------------------------------

class TwoRunsOnOneLedger : public LedgerOverPseudoTerminal,
                           public ::testing::WithParamInterface<testing::Backend> {
 protected:
  void SetUp() override {
    LedgerOverPseudoTerminal::SetUp();
    if (GetParam() == testing::Backend::Postgres) {
      if (!testing::PostgresAdminUrl()) {
        if (std::getenv("RILO_REQUIRE_POSTGRES")) FAIL() << "RILO_TEST_POSTGRES is not set";
        GTEST_SKIP() << "no PostgreSQL server for this run (RILO_TEST_POSTGRES)";
      }
      store_ = std::make_unique<testing::ScratchStore>(GetParam());
    }
  }
  // SQLite in the default file, as a bench keeps it; a scratch database on the server.
  std::string Location() const { return store_ ? store_->Location() : ""; }
  std::unique_ptr<testing::ScratchStore> store_;
};

// Each run burns four receivers with --id next: the eight get eight distinct codes, the
// lowest after the one the ledger held, every one held by the ledger and burned into its
// unit, and no record is lost.
TEST_P(TwoRunsOnOneLedger, EightReceiversGetEightDistinctCodes) {
  OpenLedger(Location())->UseId(12000100, "12000001", "seed", "COM1");
  const std::string firmware = ReceiverFirmware();
  const std::string ledger = store_ ? " --ledger \"" + Location() + "\"" : "";
  std::vector<std::unique_ptr<WatchedUnit>> units;
  std::vector<std::unique_ptr<BackgroundCli>> runs;
  for (int run = 0; run < 2; ++run) {
    std::string ports;
    for (int i = 0; i < 4; ++i) {
      units.push_back(std::make_unique<WatchedUnit>(
          scratch_, "unit" + std::to_string(units.size()),
          std::vector<std::string>{"--role", "rx", "--short-image", "--blank"}));
      ASSERT_TRUE(units.back()->ok());
      ports += (i ? "," : "") + units.back()->device();
    }
    runs.push_back(std::make_unique<BackgroundCli>(
        scratch_, "run" + std::to_string(run),
        "write-firmware \"" + ports + "\" \"" + firmware + "\" --rx --id next --no-verify" + ledger));
  }

  std::map<std::string, int64_t> codes;
  for (auto &run : runs) {
    EXPECT_EQ(run->Wait(kMostForACommand), 0) << run->Err();
    const std::string err = run->Err();
    EXPECT_NE(err.find("結果: 4 台中 4 台成功, 0 台失敗\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("未使用的 ID-CODE"), std::string::npos) << err;
    const auto used = CodesNamed(err, "已使用的 ID-CODE: ");
    EXPECT_EQ(used.size(), 4u) << err;
    codes.insert(used.begin(), used.end());
  }
  ASSERT_EQ(codes.size(), 8u);
  std::set<int64_t> expected;
  for (int64_t code = 12000101; code <= 12000108; ++code)
    expected.insert(code);
  EXPECT_EQ(CodesOf(codes), expected);

  const auto opened = OpenLedger(Location());
  expected.insert(12000100);
  EXPECT_EQ(HeldCodes(*opened), expected);
  EXPECT_EQ(opened->Records({}).size(), 8u);
  for (const auto &unit : units) {
    ASSERT_EQ(codes.count(unit->device()), 1u) << unit->device();
    const Memory memory = unit->All();
    EXPECT_EQ(Memory(memory.begin() + 0x1082, memory.begin() + 0x1088), StoredIdCode(codes[unit->device()]))
        << unit->device();
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, TwoRunsOnOneLedger,
                         ::testing::Values(testing::Backend::Sqlite, testing::Backend::Postgres),
                         [](const auto &p) {
                           return std::string(p.param == testing::Backend::Sqlite ? "Sqlite" : "Postgres");
                         });

}  // namespace
}  // namespace rilo
