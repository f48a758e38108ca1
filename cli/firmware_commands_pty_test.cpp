// rilo-cli read-firmware and write-firmware as a bench script runs them: the program
// itself over a pseudo-terminal against rilo-unit-sim, at real wire speed, with a
// preference store of its own. One transmitter pass per command; the cases in detail
// run in-process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

#include "cli/commands.h"
#include "cli/testing/run_command.h"
#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "link/testing/wired_unit.h"
#include "settings/testing/editor_bench.h"
#include "sim/simulated_port.h"
#include "sim/unit.h"

namespace rilo {
namespace {

using testing::ReadWholeFile;
using testing::Ventrix;

class FirmwareOverPseudoTerminal : public ::testing::Test {
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

  testing::ScratchFolder scratch_{"rilo-cli-firmware-pty"};
};

// The firmware of the simulator's standard transmitter, as a unit read would give it.
sim::Unit StandardTransmitter() {
  return sim::Unit(testing::Standard(sim::Model::kTransmitter));
}

TEST_F(FirmwareOverPseudoTerminal, ReadFirmware) {
  testing::UnitSimProcess unit({"--role", "tx"});
  ASSERT_TRUE(unit.ok());
  const auto r = Run("read-firmware \"" + unit.device() + "\" --tx -o \"" + Path("tx.txt") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("讀取程式: 讀取發射機程式完成!!\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("進度 "), std::string::npos) << r.err;

  const std::string text = ReadWholeFile(Path("tx.txt"));
  EXPECT_TRUE(text.starts_with("@FFE0\r\n"));
  EXPECT_TRUE(text.ends_with("\r\nq\r\n"));
  const sim::Unit expected = StandardTransmitter();
  const auto page = expected.memory().Bytes(0xF000, 16);
  char line[64];
  std::snprintf(line, sizeof line, "@F000\r\n%02X %02X %02X", page[0], page[1], page[2]);
  EXPECT_NE(text.find(line), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '@'), 3 + 32);  // vectors, two blocks, 32 pages
}

// The standard transmitter's firmware as a text file at `path`, as a read would save it.
void WriteTransmitterFile(const std::string &path) {
  const sim::Unit source = StandardTransmitter();
  auto image = std::make_unique<FirmwareImage>();
  ResetImage(*image);
  for (int i = 0; i < 32; ++i) {
    PageFrame &page = (*image)[i];
    const auto address = static_cast<uint16_t>(0xF000 + 128 * i);
    SetPageHeader(page, address);
    const auto data = source.memory().Bytes(address, 128);
    std::copy(data.begin(), data.end(), page.begin() + 8);
  }
  std::fill((*image)[31].begin() + 8 + 96, (*image)[31].begin() + 136, uint8_t{0xFF});
  VectorTable vectors;
  const auto stored = source.memory().Bytes(0xFFE0, 32);
  std::copy(stored.begin(), stored.end(), vectors.begin());
  SettingsImage settings;
  const auto blocks = source.memory().Bytes(0x1000, 256);
  std::copy(blocks.begin(), blocks.end(), settings.begin());
  std::ofstream(path, std::ios::binary) << JoinCrLf(FirmwareTextFileLines(vectors, settings, *image));
}

TEST_F(FirmwareOverPseudoTerminal, WriteFirmwareIntoABlankUnitAndVerify) {
  WriteTransmitterFile(Path("tx.txt"));

  testing::UnitSimProcess unit({"--role", "tx", "--blank"});
  ASSERT_TRUE(unit.ok());
  ASSERT_EQ(Run("port COM1 \"" + unit.device() + "\"").exit, 0);
  const auto r =
      Run("write-firmware COM1 \"" + Path("tx.txt") + "\" --tx --serial 12000077 --date 2026/12/09");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.err.starts_with("開啟檔案: 檔案開啟完成!!\n")) << r.err;
  EXPECT_NE(r.err.find("寫入程式!: 寫入發射機程式完成!!\n"), std::string::npos) << r.err;
}

// A fast burn over a pseudo-terminal at 38400 leaves the unit's flash byte for byte as
// the ordinary burn leaves it (in-process); a loader that refuses the faster rate is
// burned at 9600, and rilo-cli says so.
TEST_F(FirmwareOverPseudoTerminal, AFastBurnLeavesTheFlashOfTheOrdinaryBurn) {
  WriteTransmitterFile(Path("tx.txt"));
  const std::vector<std::string> burn = {Path("tx.txt"), "--tx",   "--serial",
                                         "12000077",     "--date", "2026/12/09"};
  sim::Unit ordinary(testing::Standard(sim::Model::kTransmitter));
  ordinary.memory().MassErase();
  {
    VirtualClock clock;
    sim::SimulatedPort port(ordinary, clock);
    testing::OneLine line({port, clock});
    std::vector<std::string> args = {"COM1"};
    args.insert(args.end(), burn.begin(), burn.end());
    const auto r = testing::RunCommand(RunWriteFirmware, args, Ventrix(), line);
    ASSERT_EQ(r.exit, 0) << r.err;
  }
  const auto expected = ordinary.memory().Bytes(0x1000, 0xF000);

  struct Case {
    const char *name;
    std::vector<std::string> unitOptions;
    const char *line;
  };
  const Case cases[] = {
      {"at 38400", {}, "快速傳輸 38400 bps\n"},
      {"refused", {"--fault", "refuse:20:0:forever"}, "快速傳輸 9600 bps (38400 bps 未被接受)\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> options = {"--role", "tx", "--blank", "--memory-file", Path("flash.bin")};
    options.insert(options.end(), c.unitOptions.begin(), c.unitOptions.end());
    testing::UnitSimProcess unit(options);
    ASSERT_TRUE(unit.ok());
    ASSERT_EQ(Run("port COM1 \"" + unit.device() + "\"").exit, 0);
    const auto r =
        Run("write-firmware COM1 \"" + Path("tx.txt") + "\" --tx --serial 12000077 --date 2026/12/09 --fast");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("寫入程式!: 寫入發射機程式完成!!\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.line), std::string::npos) << r.err;
    const std::string flash = ReadWholeFile(Path("flash.bin"));
    ASSERT_EQ(flash.size(), 0x10000u);
    const auto written = reinterpret_cast<const uint8_t *>(flash.data()) + 0x1000;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written));
  }
}

// A production run as a bench script runs it: four units on four pseudo-terminals
// burned at once, three blank 8 KB receivers and, by mistake, a transmitter. The
// receivers are burned and verified with consecutive ID codes; the transmitter is
// left alone and its ID code reported unused.
TEST_F(FirmwareOverPseudoTerminal, FourUnitsBurnedAtOnce) {
  // The firmware of a standard 8 KB receiver, read in-process on the virtual clock.
  {
    sim::Unit source(testing::Standard(sim::Model::kReceiver8k));
    VirtualClock clock;
    sim::SimulatedPort port(source, clock);
    testing::OneLine line({port, clock});
    const auto read =
        testing::RunCommand(RunReadFirmware, {"COM1", "--rx", "-o", Path("rx.txt")}, Ventrix(), line);
    ASSERT_EQ(read.exit, 0) << read.err;
  }
  std::vector<std::unique_ptr<testing::UnitSimProcess>> units;
  std::string ports;
  for (int i = 0; i < 4; ++i) {
    const bool receiver = i < 3;
    units.push_back(std::make_unique<testing::UnitSimProcess>(
        receiver ? std::vector<std::string>{"--role", "rx", "--short-image", "--blank"}
                 : std::vector<std::string>{"--role", "tx"}));
    ASSERT_TRUE(units.back()->ok());
    const std::string com = "COM" + std::to_string(i + 3);
    ASSERT_EQ(Run("port " + com + " \"" + units.back()->device() + "\"").exit, 0);
    ports += (i ? "," : "") + com;
  }

  const auto r = Run("write-firmware " + ports + " \"" + Path("rx.txt") + "\" --rx --id 12000777 --log \"" +
                     Path("run.csv") + "\"");
  EXPECT_EQ(r.exit, 1) << r.err;
  for (const char *com : {"COM3", "COM4", "COM5"})
    EXPECT_NE(r.err.find(std::string(com) + ": 寫入程式: 寫入接收機程式完成!!\n"), std::string::npos)
        << r.err;
  EXPECT_TRUE(
      r.err.ends_with("結果: 4 台中 3 台成功, 1 台失敗\n"
                      "COM6 失敗: 寫入接收機 0/143: 您要燒的機器是發射機吧?按錯了喔~!\n"
                      "已使用的 ID-CODE: 12000777 (COM3), 12000778 (COM4), 12000779 (COM5)\n"
                      "未使用的 ID-CODE: 12000780 (COM6)\n"))
      << r.err;
  const std::string log = ReadWholeFile(Path("run.csv"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5) << log;
  const std::pair<const char *, const char *> ids[] = {{"COM3", ",write-firmware,Rx,12,2.02,12000777,"},
                                                       {"COM4", ",write-firmware,Rx,12,2.02,12000778,"},
                                                       {"COM5", ",write-firmware,Rx,12,2.02,12000779,"},
                                                       {"COM6", ",write-firmware,Tx,12,1.61,12000780,"}};
  for (size_t i = 0; i < std::size(ids); ++i)
    EXPECT_NE(log.find("," + std::string(ids[i].first) + "," + units[i]->device() + ids[i].second),
              std::string::npos)
        << log;
}

}  // namespace
}  // namespace rilo
