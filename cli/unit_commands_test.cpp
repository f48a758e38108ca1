// rilo-cli read and write in-process, on a simulated receiver and the virtual clock:
// the commands as a bench script sees them (messages, exit status, files, the unit's
// memory), with a preference store of their own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "cli/commands.h"
#include "cli/testing/run_command.h"
#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "link/testing/wired_unit.h"
#include "settings/testing/editor_bench.h"
#include "sim/simulated_port.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::Ventrix;

using Result = testing::CommandResult;

SettingsImage Parse(const std::string &fileText) {
  SettingsImage image{};
  EXPECT_NE(Ventrix().ArrangeRilo(fileText.c_str(), reinterpret_cast<uint8_t(*)[128]>(image.data())),
            fileText.c_str());
  return image;
}

class UnitCommandsTest : public ::testing::Test {
 protected:
  // The commands find the preference store through XDG_CONFIG_HOME, as the program does.
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);  // the ledger, the test's own
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
  }

  std::string Path(const std::string &name) const { return scratch_.Path(name); }
  std::string Store() const { return ReadWholeFile(Path("config/RILO1Q12/preferences.ini")); }

  // Runs one command on the simulated unit; what it says to the person is caught.
  Result Run(int (*command)(const Arguments &, const VentrixApi &, UnitLines &), const Arguments &args) {
    testing::OneLine line({port_, clock_});
    return testing::RunCommand(command, args, Ventrix(), line);
  }
  // A command that needs no unit.
  Result Run(int (*command)(const Arguments &, const VentrixApi &), const Arguments &args) {
    return testing::RunCommand(command, args, Ventrix());
  }

  SettingsImage UnitSettings() const {
    SettingsImage s;
    const auto bytes = unit_.memory().Bytes(0x1000, 256);
    std::copy(bytes.begin(), bytes.end(), s.begin());
    return s;
  }

  testing::ScratchFolder scratch_{"rilo-cli-unit"};
  sim::Unit unit_{testing::Standard(sim::Model::kReceiver16k)};
  VirtualClock clock_;
  sim::SimulatedPort port_{unit_, clock_};
};

// The simulated receiver's block 1 as a saved file holds it: its serial number
// 12012345 and date 2024/05/17 folded in, the check routine at 104, and the last byte
// given to the file's key.
SettingsImage ExpectedFileOfTheUnit() {
  const auto settings = sim::StandardSettings();
  SettingsImage image{};
  std::copy(settings.begin() + kBlock1, settings.end(), image.begin() + kBlock1);
  const uint8_t identity[] = {0x12, 0x01, 0x23, 0x45, 0x24, 0x05, 0x17};
  std::copy(std::begin(identity), std::end(identity), image.begin() + kBlock1 + 96);
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(), image.begin() + kBlock1 + 104);
  B1(image, 127) = 0;
  return image;
}

TEST_F(UnitCommandsTest, ReadChangeAndWriteBackWithAnotherIdCode) {
  ASSERT_EQ(Run(RunPort, {"COM1", "/dev/ttyUSB3"}).exit, 0);
  const std::string store = Store();

  Result r = Run(RunRead, {"COM1", "-o", Path("read.rilo")});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "讀取: 讀取設定完成!!\n儲存檔案: 儲存檔案完成!!\n");
  const std::string read = ReadWholeFile(Path("read.rilo"));
  EXPECT_TRUE(read.starts_with("Setup\r\n"));
  EXPECT_TRUE(
      read.ends_with("\r\nq\r\nCustomer No:\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\n"
                     "Company E-Mail:\r\nCompany Address:\r\nContect Man:\r\nContect Tel:\r\n"
                     "Contect Mobile:\r\nContect E-mail:\r\nRemark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n"));
  EXPECT_EQ(Parse(read), ExpectedFileOfTheUnit());
  EXPECT_EQ(Store(), store);  // the incomplete store was not filled with defaults
  EXPECT_FALSE(port_.IsOpen());

  // New options, and the ID code of another unit.
  ASSERT_EQ(Run(RunSet, {Path("read.rilo"), "CBTxEMSCont=5", "CBUDAction=1", "-o", Path("set.rilo")}).exit,
            0);
  SettingsImage changed = Parse(ReadWholeFile(Path("set.rilo")));
  const uint8_t id[] = {6, 5, 4, 3, 2, 1};
  for (int i = 0; i < 6; ++i)
    B1(changed, 2 + i) = Ventrix().DeHamming(id[i]);
  ComputeCheckWord(changed);
  std::ofstream(Path("write.rilo"), std::ios::binary)
      << JoinCrLf(SettingsFileLines(changed, CustomerRecord{}));

  const SettingsImage before = UnitSettings();
  r = Run(RunWrite, {"COM1", Path("write.rilo")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err,
            "開啟檔案: 檔案開啟完成!!\n"
            "寫入: ID-CODE與原先不符,是否要覆蓋原有的ID-CODE? 取消 (加上 --yes 即回答確定)\n");
  EXPECT_EQ(UnitSettings(), before);

  r = Run(RunWrite, {"COM1", Path("write.rilo"), "--yes"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err,
            "開啟檔案: 檔案開啟完成!!\n"
            "寫入: ID-CODE與原先不符,是否要覆蓋原有的ID-CODE? 確定 (--yes)\n"
            "寫入: 寫入設定完成!!\n");
  EXPECT_TRUE(std::equal(changed.begin() + kBlock1, changed.end(), UnitSettings().begin() + kBlock1));

  // Read back through a device path: the unit holds what was written.
  r = Run(RunRead, {"/dev/ttyUSB3", "-o", Path("again.rilo")});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Parse(ReadWholeFile(Path("again.rilo"))), changed);
  EXPECT_EQ(Store(), store);
}

TEST_F(UnitCommandsTest, FailuresEndWithTheirMessageAndExitStatus1) {
  std::ofstream(Path("text.rilo"), std::ios::binary) << "Hello\r\n";
  const std::string formatError = "Open file Error: Open file format Error,please check your file!!\n";
  struct Case {
    Arguments args;
    bool portGone;
    std::string err;
  } cases[] = {
      {{"COM1", "-o", Path("out.rilo")},
       true,
       "連線失敗: "
       "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;若通信埠錯誤,需於設定後重新啟動程式!\n"
       "COM1: 連接埠不存在\n"},
      {{"COM1", Path("missing.rilo")},
       false,
       "無法讀取檔案 " + Path("missing.rilo") + ": No such file or directory\n"},
      {{"COM1", Path("text.rilo")}, false, formatError},
      // The file is judged before the port: a bad file is not taken for a bad connection.
      {{"COM1", Path("text.rilo")}, true, formatError},
      {{"COM1", "-o", Path("no/such/folder.rilo")},
       false,
       "讀取: 讀取設定完成!!\n儲存檔案: 無法儲存檔案 " + Path("no/such/folder.rilo") +
           "\nNo such file or directory\n"},
  };
  for (const Case &c : cases) {
    const bool write = c.args.size() == 2;
    SCOPED_TRACE((write ? "write " : "read ") + c.args[1]);
    port_.set_open_fails(c.portGone);
    const Result r = Run(write ? RunWrite : RunRead, c.args);
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_FALSE(fs::exists(Path("out.rilo")));
}

// The unit stops answering at the last frame a command sends (the settings read or
// write before the closing sync): nothing is saved, and the exit status does not claim
// success.
TEST_F(UnitCommandsTest, AUnitThatFallsSilentAtTheEndFailsTheCommand) {
  ASSERT_EQ(Run(RunRead, {"COM1", "-o", Path("unit.rilo")}).exit, 0);
  struct Case {
    Arguments good, cut;
    std::string lastMessage;
  } cases[] = {
      {{"COM1", "-o", Path("unit.rilo")},
       {"COM1", "-o", Path("out.rilo")},
       "讀取錯誤: 讀取設定錯誤,請再試一次!!\n"},
      {{"COM1", Path("unit.rilo")}, {"COM1", Path("unit.rilo")}, "寫入: 寫入設定失敗!!\n"},
  };
  for (const Case &c : cases) {
    const auto command = c.good.size() == 2 ? RunWrite : RunRead;
    SCOPED_TRACE(c.good.size() == 2 ? "write" : "read");
    const size_t before = unit_.requests().size();
    ASSERT_EQ(Run(command, c.good).exit, 0);
    unit_.PullCableAfter(static_cast<int>(unit_.requests().size() - before) - 2);
    const Result r = Run(command, c.cut);
    unit_.PullCableAfter(-1);
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.ends_with(c.lastMessage)) << r.err;
  }
  EXPECT_FALSE(fs::exists(Path("out.rilo")));
}

// A reply damaged on the line is not taken: the read saves nothing, and a write whose
// read-back differs does not claim success.
TEST_F(UnitCommandsTest, AGarbledReplyIsAFailedCommand) {
  ASSERT_EQ(Run(RunRead, {"COM1", "-o", Path("unit.rilo")}).exit, 0);
  // The receiver's reads: its identity page, its chip identity, then block 1.
  unit_.AddFault({.kind = sim::FaultKind::kFlipBit, .request = 0x14, .skip = 2});
  Result r = Run(RunRead, {"COM1", "-o", Path("out.rilo")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err, "讀取錯誤: 讀取設定錯誤,請再試一次!!\n");
  EXPECT_FALSE(fs::exists(Path("out.rilo")));

  unit_.memory().StickBit(0x1080 + 17, 1, false);  // the 0xEE marker cannot be written
  r = Run(RunWrite, {"COM1", Path("unit.rilo")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(r.err.ends_with("寫入: 寫入後驗證失敗,位址 0x1091 的資料不符!!\n寫入: 寫入設定失敗!!\n"))
      << r.err;
}

}  // namespace
}  // namespace rilo
