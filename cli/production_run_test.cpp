// rilo-cli read, write and write-firmware over several ports at once, in-process: each port has its
// own simulated unit on its own virtual clock, driven by its own worker thread. A unit
// read or written in a run must end exactly as the same unit read or written alone,
// whatever happens on the other ports; the record holds one line per unit.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "cli/testing/run_command.h"
#include "core/testing/programs.h"
#include "ledger/ledger_location.h"
#include "link/testing/wired_unit.h"
#include "sim/simulated_port.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::Ventrix;

using Bytes = std::vector<uint8_t>;

struct SimulatedUnit {
  explicit SimulatedUnit(const sim::UnitConfig &config) : unit(config) {}
  Bytes Flash(uint32_t address, size_t count) const {
    const auto bytes = unit.memory().Bytes(address, count);
    return {bytes.begin(), bytes.end()};
  }
  Bytes Settings() const { return Flash(0x1000, 256); }
  sim::Unit unit;
  VirtualClock clock;
  sim::SimulatedPort port{unit, clock};
};

// One simulated unit behind each port of the command line, in order.
struct SimulatedLines : UnitLines {
  UnitLine Line(size_t port) override { return {units.at(port)->port, units.at(port)->clock}; }
  std::vector<std::unique_ptr<SimulatedUnit>> units;
};

// A Q12 unit of `model` with serial number 1200000n.
sim::UnitConfig Numbered(sim::Model model, uint8_t n) {
  sim::UnitConfig config = testing::Standard(model);
  config.identity.serial_digits = {1, 2, 0, 0, 0, 0, 0, n};
  return config;
}

const sim::UnitConfig kUnits[] = {
    Numbered(sim::Model::kReceiver16k, 1),
    Numbered(sim::Model::kTransmitter, 2),
    Numbered(sim::Model::kReceiver8k, 3),
    Numbered(sim::Model::kReceiver16k, 4),
};

using Result = testing::CommandResult;

// One CSV line's fields; a quoted field may hold commas and doubled quotes.
std::vector<std::string> Fields(const std::string &line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += c;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// The record's lines by port (the third column), each split into its fields.
std::map<std::string, std::vector<std::string>> RecordByPort(const std::string &text) {
  std::map<std::string, std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);  // the column names
  while (std::getline(in, line)) {
    const auto fields = Fields(line);
    lines[fields.at(2)] = fields;
  }
  return lines;
}

enum Column {
  kTime,
  kBench,
  kPort,
  kDevice,
  kCommand,
  kKind,
  kModel,
  kLoader,
  kId,
  kSerial,
  kDate,
  kFirmwareFile,
  kFirmwareSha256,
  kSettingsSha256,
  kResult,
  kFailedStep,
  kFailedPage,
  kFailedAddress,
  kMessage,
  kSeconds,
  kColumns
};

class ProductionRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);  // the ledger, the test's own
    for (int n = 1; n <= 4; ++n)
      ASSERT_EQ(Run(RunPort, {"COM" + std::to_string(n), "/dev/ttyUSB" + std::to_string(n - 1)}).exit, 0);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
  }

  std::string Path(const std::string &name) const { return scratch_.Path(name); }

  Result Run(int (*command)(const Arguments &, const VentrixApi &, UnitLines &), const Arguments &args,
             SimulatedLines &lines) {
    return testing::RunCommand(command, args, Ventrix(), lines);
  }
  Result Run(int (*command)(const Arguments &, const VentrixApi &), const Arguments &args) {
    return testing::RunCommand(command, args, Ventrix());
  }

  // What a command does to a unit like `config` when it is the only one.
  std::string ReadAlone(const sim::UnitConfig &config) {
    SimulatedLines alone;
    alone.units.push_back(std::make_unique<SimulatedUnit>(config));
    const std::string file = Path("alone.rilo");
    EXPECT_EQ(Run(RunRead, {"COM1", "-o", file}, alone).exit, 0);
    return ReadWholeFile(file);
  }
  std::vector<uint8_t> WriteAlone(const sim::UnitConfig &config, const std::string &file) {
    SimulatedLines alone;
    alone.units.push_back(std::make_unique<SimulatedUnit>(config));
    EXPECT_EQ(Run(RunWrite, {"COM1", file}, alone).exit, 0);
    return alone.units[0]->Settings();
  }

  testing::ScratchFolder scratch_{"rilo-cli-run"};
};

TEST_F(ProductionRunTest, FourUnitsReadAtOnceWhileOneLosesItsCable) {
  SimulatedLines lines;
  for (const auto &config : kUnits)
    lines.units.push_back(std::make_unique<SimulatedUnit>(config));
  lines.units[2]->unit.PullCableAfter(12);  // in the middle of its handshake

  const Result r =
      Run(RunRead, {"COM1,COM2,COM3,COM4", "-o", Path("unit-{port}.rilo"), "--log", Path("run.csv")}, lines);
  EXPECT_EQ(r.exit, 1);

  for (int i : {0, 1, 3}) {
    const std::string name = "COM" + std::to_string(i + 1);
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadWholeFile(Path("unit-" + name + ".rilo")), ReadAlone(kUnits[i]));
    for (const char *said : {": 讀取: 讀取設定完成!!\n", ": 儲存檔案: 儲存檔案完成!!\n", ": 成功\n"})
      EXPECT_NE(r.err.find(name + said), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(Path("unit-COM3.rilo")));
  EXPECT_TRUE(r.err.ends_with(
      "結果: 4 台中 3 台成功, 1 台失敗\nCOM3 失敗: 讀取設定 1/4: 讀取設定錯誤,請再試一次!!\n"))
      << r.err;

  const auto record = RecordByPort(ReadWholeFile(Path("run.csv")));
  ASSERT_EQ(record.size(), 4u);
  struct Expected {
    const char *port, *device, *kind, *loader, *serial, *result;
  } expected[] = {
      {"COM1", "/dev/ttyUSB0", "Rx", "1.10", "12000001", "成功"},
      {"COM2", "/dev/ttyUSB1", "Tx", "1.61", "12000002", "成功"},
      {"COM3", "/dev/ttyUSB2", "Rx", "2.02", "", "失敗"},  // identified before the cut
      {"COM4", "/dev/ttyUSB3", "Rx", "1.10", "12000004", "成功"},
  };
  for (const Expected &e : expected) {
    SCOPED_TRACE(e.port);
    const auto &line = record.at(e.port);
    ASSERT_EQ(line.size(), size_t{kColumns});
    EXPECT_EQ(line[kDevice], e.device);
    EXPECT_EQ(line[kKind], e.kind);
    EXPECT_EQ(line[kLoader], e.loader);
    if (e.serial) {
      EXPECT_EQ(line[kSerial], e.serial);
    }
    EXPECT_EQ(line[kCommand], "read");
    EXPECT_EQ(line[kResult], e.result);
    const bool failed = std::string(e.result) == "失敗";
    EXPECT_EQ(line[kFailedStep], failed ? "讀取設定" : "");
    EXPECT_EQ(line[kFailedPage], failed ? "1" : "");
    EXPECT_EQ(line[kMessage], failed ? "讀取設定錯誤,請再試一次!!" : "");
    EXPECT_GT(std::stod(line[kSeconds]), 0.5);  // the unit's own time, not the run's
    EXPECT_EQ(line[kTime].size(), 20u);         // 2026-12-10T03:04:27Z
  }
  EXPECT_EQ(record.at("COM1")[kId], "12300415");
  EXPECT_EQ(record.at("COM1")[kDate], "2024/05/17");
}

TEST_F(ProductionRunTest, WriteGoesOnOnEveryOtherPortAndTheRecordIsAppended) {
  // A file to write: the first unit's settings with one option changed.
  SimulatedLines source;
  source.units.push_back(std::make_unique<SimulatedUnit>(kUnits[0]));
  ASSERT_EQ(Run(RunRead, {"COM1", "-o", Path("source.rilo")}, source).exit, 0);
  ASSERT_EQ(Run(RunSet, {Path("source.rilo"), "CBUDAction=1", "-o", Path("write.rilo")}).exit, 0);
  std::ofstream(Path("run.csv"), std::ios::binary) << "earlier line\n";

  SimulatedLines lines;
  for (int i : {0, 3, 0})
    lines.units.push_back(std::make_unique<SimulatedUnit>(kUnits[i]));
  lines.units[1]->port.set_open_fails(true);  // the adapter on COM2 is gone
  const auto before = lines.units[1]->Settings();

  const Result r = Run(RunWrite, {"COM1,COM2,COM3", Path("write.rilo"), "--log", Path("run.csv")}, lines);
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(
      r.err.ends_with("結果: 3 台中 2 台成功, 1 台失敗\n"
                      "COM2 失敗: 開啟通信埠: COM2: 連接埠不存在\n"))
      << r.err;
  const auto written = WriteAlone(kUnits[0], Path("write.rilo"));
  EXPECT_EQ(lines.units[0]->Settings(), written);
  EXPECT_EQ(lines.units[2]->Settings(), written);
  EXPECT_EQ(lines.units[1]->Settings(), before);

  // The earlier content stays, with no second row of column names.
  const std::string log = ReadWholeFile(Path("run.csv"));
  EXPECT_TRUE(log.starts_with("earlier line\n"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);
  EXPECT_EQ(RecordByPort(log).at("COM2")[kResult], "失敗");
  EXPECT_EQ(RecordByPort(log).at("COM3")[kCommand], "write");
}

// Four units burned at once from one receiver's firmware with --id: the receivers take
// the lowest free ID codes from it in port order, reserved in the ledger (one already
// held there is skipped), and consecutive serial numbers. COM2 loses its cable in the
// middle of its pages, COM4 is a transmitter: the other two are burned exactly, and the
// codes of the two failures, which never reached a unit, are given back and named unused.
TEST_F(ProductionRunTest, ReceiversBurnedAtOnceTakeTheLowestFreeIdCodes) {
  SimulatedLines source;
  source.units.push_back(std::make_unique<SimulatedUnit>(testing::Standard(sim::Model::kReceiver8k)));
  ASSERT_EQ(Run(RunReadFirmware, {"COM1", "--rx", "-o", Path("rx.txt")}, source).exit, 0);
  const Bytes program = source.units[0]->Flash(0xE000, 0x1C00);

  SimulatedLines lines;
  for (auto model : {sim::Model::kReceiver8k, sim::Model::kReceiver8k, sim::Model::kReceiver8k,
                     sim::Model::kTransmitter}) {
    lines.units.push_back(std::make_unique<SimulatedUnit>(testing::Standard(model)));
    if (model != sim::Model::kTransmitter) lines.units.back()->unit.memory().MassErase();
  }
  lines.units[1]->unit.PullCableAfter(60);
  const Bytes transmitter = lines.units[3]->Flash(0x1000, 0xF000);
  OpenLedger("")->UseId(12000999, "00000042", "another bench", "COM9");

  const Result r = Run(RunWriteFirmware,
                       {"COM1,COM2,COM3,COM4", Path("rx.txt"), "--rx", "--id", "12000998", "--serial",
                        "12000100", "--date", "2026/12/10", "--log", Path("run.csv")},
                       lines);
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(
      r.err.ends_with("已使用的 ID-CODE: 12000998 (COM1), 12001001 (COM3)\n"
                      "未使用的 ID-CODE: 12001000 (COM2), 12001002 (COM4)\n"))
      << r.err;
  // The cable pulled after the erase: the unit is left erased, and the line says so.
  EXPECT_NE(r.err.find("COM2: 機器已抹除,須重新燒錄才能運作\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(
                "COM2 失敗: 寫入接收機 9/143: 寫入接收機程式失敗,請再試一次 (機器已抹除,須重新燒錄才能運作)\n"
                "COM4 失敗: 寫入接收機 0/143: 您要燒的機器是發射機吧?按錯了喔~!\n"),
            std::string::npos)
      << r.err;

  const auto record = RecordByPort(ReadWholeFile(Path("run.csv")));
  struct Expected {
    const char *port, *id, *serial, *result;
  } expected[] = {
      {"COM1", "12000998", "12000100", "成功"},
      {"COM2", "12001000", "12000101", "失敗"},
      {"COM3", "12001001", "12000102", "成功"},
      {"COM4", "12001002", "12000103", "失敗"},
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    const Expected &e = expected[i];
    SCOPED_TRACE(e.port);
    const auto &line = record.at(e.port);
    EXPECT_EQ(line[kCommand], "write-firmware");
    EXPECT_EQ(line[kId], e.id);
    EXPECT_EQ(line[kSerial], e.serial);
    EXPECT_EQ(line[kResult], e.result);
    if (std::string(e.result) != "成功") continue;
    EXPECT_EQ(line[kDate], "2026/12/10");
    const SimulatedUnit &unit = *lines.units[i];
    EXPECT_EQ(unit.Flash(0xE000, 0x1C00), program);
    Bytes id = {0x0F, 0x33};  // the model code, then the six digits as codewords
    for (int digit = 2; digit < 8; ++digit)
      id.push_back(Ventrix().DeHamming(static_cast<uint8_t>(e.id[digit] - '0')));
    EXPECT_EQ(unit.Flash(0x1080, 8), id);
    EXPECT_TRUE(unit.unit.starts());
  }
  EXPECT_EQ(lines.units[3]->Flash(0x1000, 0xF000), transmitter);
  // The ledger holds the two burned receivers' codes and gave the others back.
  const auto ledger = OpenLedger("");
  for (const auto &[code, serial] : {std::pair{12000998, "12000100"}, std::pair{12001001, "12000102"}}) {
    const auto held = ledger->Holder(code);
    ASSERT_TRUE(held) << code;
    EXPECT_TRUE(held->used);
    EXPECT_EQ(held->serial, serial);
  }
  EXPECT_FALSE(ledger->Holder(12001000));
  EXPECT_FALSE(ledger->Holder(12001002));
}

TEST_F(ProductionRunTest, CommandLinesThatCannotRunTouchNoUnit) {
  using Command = int (*)(const Arguments &, const VentrixApi &, UnitLines &);
  struct Case {
    Command command;
    Arguments args;
    int exit;
    std::string err;
  } cases[] = {
      {RunRead, {"COM1,,COM2", "-o", Path("{port}.rilo")}, 2, "通信埠清單中有空的名稱: COM1,,COM2\n"},
      {RunRead, {"COM1,", "-o", Path("{port}.rilo")}, 2, "通信埠清單中有空的名稱: COM1,\n"},
      {RunWrite,
       {"COM1,/dev/ttyUSB0", Path("write.rilo")},
       2,
       "同一個裝置不能列兩次: /dev/ttyUSB0 (/dev/ttyUSB0)\n"},
      {RunRead,
       {"COM1,COM2", "-o", Path("same.rilo")},
       2,
       "每個通信埠需有自己的檔案, 在 -o 的檔名中加上 {port}: " + Path("same.rilo") + "\n"},
      {RunRead,
       {"COM1,COM2", "-o", Path("{port}.rilo"), "--log", Path("no/such/run.csv")},
       1,
       "無法寫入記錄檔 " + Path("no/such/run.csv") + ": No such file or directory\n"},
      {RunWriteFirmware,
       {"COM1,COM2", Path("tx.txt"), "--tx", "--id", "12000777"},
       2,
       "發射機的 ID-CODE 與其接收機相同, 不會逐台遞增: --id 請一次燒錄一台發射機\n"},
      {RunWriteFirmware,
       {"COM1,COM2", Path("rx.txt"), "--rx", "--serial", "12ABCDEF"},
       2,
       "多個通信埠時 --serial 逐台加一, 需為 8 位數字: 12ABCDEF\n"},
  };
  std::ofstream(Path("write.rilo")) << "";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    SimulatedLines lines;
    for (int i = 0; i < 2; ++i)
      lines.units.push_back(std::make_unique<SimulatedUnit>(kUnits[0]));
    const Result r = Run(c.command, c.args, lines);
    EXPECT_EQ(r.exit, c.exit);
    EXPECT_EQ(r.err, c.err);
    for (const auto &unit : lines.units)
      EXPECT_TRUE(unit->port.events().empty());
  }
}

}  // namespace
}  // namespace rilo
