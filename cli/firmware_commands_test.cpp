// rilo-cli read-firmware and write-firmware in-process, on simulated units and the
// virtual clock: files, exit status, messages and what the units hold afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "cli/testing/run_command.h"
#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "link/testing/wired_unit.h"
#include "sim/simulated_port.h"
#include "workbench/open_firmware.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::Ventrix;
using Bytes = std::vector<uint8_t>;

using Result = testing::CommandResult;

// A unit with its own end of a cable and its own clock.
struct Unit {
  explicit Unit(sim::Model model) : unit(testing::Standard(model)) {}
  Bytes Flash(uint32_t address, size_t count) const {
    const auto bytes = unit.memory().Bytes(address, count);
    return {bytes.begin(), bytes.end()};
  }
  long Requests(uint8_t command) const {
    return std::count_if(unit.requests().begin(), unit.requests().end(), [&](const sim::Request &r) {
      return r.kind == sim::Request::Kind::kFrame && r.command() == command;
    });
  }
  sim::Unit unit;
  VirtualClock clock;
  sim::SimulatedPort port{unit, clock};
};

class FirmwareCommandsTest : public ::testing::Test {
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

  Result Run(int (*command)(const Arguments &, const VentrixApi &, UnitLines &), Unit &on,
             const Arguments &args) {
    testing::OneLine line({on.port, on.clock});
    return testing::RunCommand(command, args, Ventrix(), line);
  }

  testing::ScratchFolder scratch_{"rilo-cli-firmware"};
  Unit receiver_{sim::Model::kReceiver8k};
  Unit transmitter_{sim::Model::kTransmitter};
};

FirmwareFileContent ParseFile(FirmwareFile kind, const std::string &path) {
  auto file = ParseFirmwareFile(Ventrix(), kind, ReadWholeFile(path), FirmwareFileContent{});
  EXPECT_TRUE(file.has_value()) << path;
  return std::move(*file);
}

TEST_F(FirmwareCommandsTest, ReadFirmwareWritesTheTextFileOfTheUnit) {
  const Result r = Run(RunReadFirmware, receiver_, {"COM1", "--rx", "-o", Path("rx.txt")});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.err.find("讀取程式: 讀取接收機程式完成!!\n"), std::string::npos) << r.err;
  EXPECT_TRUE(r.err.ends_with("儲存檔案: 儲存檔案完成!!\n")) << r.err;
  EXPECT_NE(r.err.find("進度 "), std::string::npos) << "the progress line";

  const FirmwareFileContent file = ParseFile(FirmwareFile::Text, Path("rx.txt"));
  int used = 0;
  for (const PageFrame &page : *file.single.image) {
    if (!IsUsed(page)) continue;
    ++used;
    const uint16_t address = PageAddress(page);
    Bytes expected = receiver_.Flash(address, 128);
    if (address == 0xFF60) {
      // The file's top page 0xFF80 comes back as the page 0xFF60 from its byte 0xFF80
      // on, less the vector area.
      expected = Bytes(32, 0xFF);
      const Bytes top = receiver_.Flash(0xFF80, 96);
      expected.insert(expected.end(), top.begin(), top.end());
    }
    EXPECT_EQ(Bytes(page.begin() + 8, page.begin() + 136), expected) << std::hex << address;
  }
  EXPECT_EQ(used, 64);
  const VectorTable &a = testing::ToolProductLine().PasswordA;
  EXPECT_EQ(file.single.vectors, a);
  EXPECT_EQ(Bytes(file.settings.begin(), file.settings.begin() + 128), receiver_.Flash(0x1000, 128));
  EXPECT_FALSE(receiver_.port.IsOpen());
}

TEST_F(FirmwareCommandsTest, TheLogNamesTheKindAndLoaderOfTheUnitAFirmwareReadRead) {
  const struct {
    sim::Model model;
    const char *kind, *option, *loader;
  } cases[] = {
      {sim::Model::kReceiver16k, "Rx", "--rx", "1.10"},  // the RAM patch's loader
      {sim::Model::kReceiver8k, "Rx", "--rx", "2.02"},
      {sim::Model::kTransmitter, "Tx", "--tx", "1.61"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.loader);
    Unit unit(c.model);
    fs::remove(Path("run.csv"));
    const Result r =
        Run(RunReadFirmware, unit, {"COM1", c.option, "-o", Path("unit.txt"), "--log", Path("run.csv")});
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::string log = ReadWholeFile(Path("run.csv"));
    std::vector<std::string> fields;
    std::stringstream row(log.substr(log.find('\n') + 1));
    for (std::string field; std::getline(row, field, ',');)
      fields.push_back(field);
    ASSERT_GT(fields.size(), 7u) << log;
    EXPECT_EQ(fields[4], "read-firmware");
    EXPECT_EQ(fields[5], c.kind);
    EXPECT_EQ(fields[7], c.loader);
  }
}

TEST_F(FirmwareCommandsTest, WriteFirmwareBurnsATextFileIntoAnErasedUnitAndVerifiesIt) {
  ASSERT_EQ(Run(RunReadFirmware, receiver_, {"COM1", "--rx", "-o", Path("rx.txt")}).exit, 0);
  const Bytes program = receiver_.Flash(0xE000, 0x1F60);  // below the identity page
  receiver_.unit.memory().MassErase();

  long reads = receiver_.Requests(0x14);
  const Result r = Run(
      RunWriteFirmware, receiver_,
      {"COM1", Path("rx.txt"), "--rx", "--id", "12345678", "--serial", "12ABCDEF", "--date", "2026/12/09"});
  const long verifiedReads = receiver_.Requests(0x14) - reads;
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.err.starts_with("開啟檔案: 檔案開啟完成!!\n")) << r.err;
  EXPECT_NE(r.err.find("寫入程式: 寫入接收機程式完成!!\n"), std::string::npos) << r.err;
  EXPECT_EQ(receiver_.Flash(0xE000, 0x1F60), program);
  const uint8_t serial[] = {0x0F, 0x33, 0xA5, 0xAA, 0xC3, 0xCC, 0xF0, 0xFF};  // 1 2 A B C D E F
  EXPECT_EQ(receiver_.Flash(0xFFD0, 8), Bytes(std::begin(serial), std::end(serial)));
  EXPECT_EQ(receiver_.Flash(0xFFD9, 3), (Bytes{26, 12, 9}));
  const Bytes id = {0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66, 0x69, 0x96};  // 12 345678
  EXPECT_EQ(receiver_.Flash(0x1080, 8), id);
  EXPECT_TRUE(receiver_.unit.starts());

  // Without verification the 64 program pages and the two settings blocks are not read back.
  receiver_.unit.memory().MassErase();
  reads = receiver_.Requests(0x14);
  ASSERT_EQ(Run(RunWriteFirmware, receiver_, {"COM1", Path("rx.txt"), "--rx", "--no-verify"}).exit, 0);
  EXPECT_EQ(verifiedReads - (receiver_.Requests(0x14) - reads), 64 + 2);
  EXPECT_EQ(receiver_.Flash(0xE000, 0x1F60), program);
}

TEST_F(FirmwareCommandsTest, WriteFirmwareTakesEitherUnitOfADataFile) {
  ASSERT_EQ(Run(RunReadFirmware, receiver_, {"COM1", "--rx", "-o", Path("rx.txt")}).exit, 0);
  ASSERT_EQ(Run(RunReadFirmware, transmitter_, {"COM1", "--tx", "-o", Path("tx.txt")}).exit, 0);
  const FirmwareFileContent rx = ParseFile(FirmwareFile::Text, Path("rx.txt"));
  const FirmwareFileContent tx = ParseFile(FirmwareFile::Text, Path("tx.txt"));
  std::ofstream(Path("set.dat"), std::ios::binary) << JoinCrLf(FirmwareDataFileLines(
      tx.single.vectors, rx.single.vectors, tx.settings, *tx.single.image, *rx.single.image));

  for (Unit *unit : {&transmitter_, &receiver_}) {
    const bool isTx = unit == &transmitter_;
    SCOPED_TRACE(isTx ? "transmitter" : "receiver");
    const uint32_t start = isTx ? 0xF000 : 0xE000;
    const Bytes program = unit->Flash(start, 0xFC00 - start);
    unit->unit.memory().MassErase();
    const Result r = Run(RunWriteFirmware, *unit, {"COM1", Path("set.dat"), isTx ? "--tx" : "--rx"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(unit->Flash(start, 0xFC00 - start), program);
    EXPECT_TRUE(unit->unit.starts());
  }
}

TEST_F(FirmwareCommandsTest, RefusalsEndWithTheirMessageAndLeaveTheUnitAlone) {
  ASSERT_EQ(Run(RunReadFirmware, transmitter_, {"COM1", "--tx", "-o", Path("tx.txt")}).exit, 0);
  std::ofstream(Path("text.txt"), std::ios::binary) << "Hello\r\n";
  struct Case {
    const char *name;
    int (*command)(const Arguments &, const VentrixApi &, UnitLines &);
    Arguments args;
    int exit;
    std::string errEnd;
  };
  const Case cases[] = {
      {"no kind",
       RunReadFirmware,
       {"COM1", "-o", Path("x.txt")},
       2,
       "用法: rilo-cli read-firmware PORT[,PORT...] --tx|--rx -o FILE.txt [--log FILE.csv] [--ledger URL] "
       "[--finish] [--fast [--baud 9600|19200|38400]]\n"},
      {"both kinds",
       RunWriteFirmware,
       {"COM1", Path("tx.txt"), "--tx", "--rx"},
       2,
       "用法: rilo-cli write-firmware PORT[,PORT...] FILE.txt|FILE.dat --tx|--rx [--id CODE|next] [--serial "
       "SN] "
       "[--date YYYY/MM/DD] [--no-verify] [--allow-duplicate-id] [--log FILE.csv] [--ledger URL] "
       "[--fast [--baud 9600|19200|38400]]\n"},
      {"a rate the loaders do not know",
       RunWriteFirmware,
       {"COM1", Path("tx.txt"), "--tx", "--fast", "--baud", "57600"},
       2,
       "--baud 需為 9600、19200 或 38400\n"},
      {"a rate without --fast",
       RunReadFirmware,
       {"COM1", "--tx", "-o", Path("x.txt"), "--baud", "19200"},
       2,
       "--baud 需與 --fast 一起使用\n"},
      {"not a firmware file",
       RunWriteFirmware,
       {"COM1", Path("x.rilo"), "--tx"},
       2,
       "FILE 需為韌體文字檔 (.txt) 或韌體資料檔 (.dat): " + Path("x.rilo") + "\n"},
      {"a date out of form",
       RunWriteFirmware,
       {"COM1", Path("tx.txt"), "--tx", "--date", "2026/1/5"},
       2,
       "--date 需為 20YY/MM/DD: 2026/1/5\n"},
      {"a serial number out of form",
       RunWriteFirmware,
       {"COM1", Path("tx.txt"), "--tx", "--serial", "12G"},
       2,
       "--serial 需為 8 位十六進位數字: 12G\n"},
      {"the other kind's text file",
       RunWriteFirmware,
       {"COM1", Path("tx.txt"), "--rx"},
       1,
       "此檔案不是接收機的韌體\n"},
      {"a file Ventrix refuses", RunWriteFirmware, {"COM1", Path("text.txt"), "--tx"}, 1, "\n"},
      {"a missing file", RunWriteFirmware, {"COM1", Path("missing.txt"), "--tx"}, 1, "\n"},
  };
  const Bytes before = transmitter_.Flash(0x1000, 0xF000);
  const long framesBefore = static_cast<long>(transmitter_.unit.requests().size());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = Run(c.command, transmitter_, c.args);
    EXPECT_EQ(r.exit, c.exit);
    EXPECT_TRUE(r.err.ends_with(c.errEnd)) << r.err;
  }
  EXPECT_EQ(static_cast<long>(transmitter_.unit.requests().size()), framesBefore);
  EXPECT_EQ(transmitter_.Flash(0x1000, 0xF000), before);
  EXPECT_FALSE(fs::exists(Path("x.txt")));
}

TEST_F(FirmwareCommandsTest, AFailedReadWritesNoFile) {
  transmitter_.unit.AddFault({sim::FaultKind::kRefuse, 0x14, 3, 1});
  const Result r = Run(RunReadFirmware, transmitter_, {"COM1", "--tx", "-o", Path("tx.txt")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("讀取錯誤: 讀取程式錯誤,請您再試一次!!\n讀取程式: 讀取發射機程式失敗!!\n"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(Path("tx.txt")));
}

// The other kind of unit on the line: nothing is read, no file is written, and the
// exit status says so, placed at the handshake.
TEST_F(FirmwareCommandsTest, AReadOfTheWrongKindFailsAndWritesNoFile) {
  const Result r = Run(RunReadFirmware, receiver_, {"COM1", "--tx", "-o", Path("tx.txt")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("錯誤: 您要讀的機器是接收機吧?按錯了喔~!\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("完成"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(Path("tx.txt")));
}

}  // namespace
}  // namespace rilo
