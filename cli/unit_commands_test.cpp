// rilo-cli read and write as a bench script runs them: the programs themselves over a
// pseudo-terminal against rilo-unit-sim, at real wire speed, with a preference store
// of their own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "files/file_writers.h"
#include "link/testing/unit_sim_process.h"
#include "settings/testing/editor_bench.h"
#include "sim/unit_config.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;
using testing::Ventrix;

struct Result {
  int exit;
  std::string err;
};

std::string ReadFile(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

SettingsImage Parse(const std::string &fileText) {
  SettingsImage image{};
  EXPECT_NE(Ventrix().ArrangeRilo(fileText.c_str(), reinterpret_cast<uint8_t(*)[128]>(image.data())),
            fileText.c_str());
  return image;
}

class UnitCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(unit_.ok());
    dir_ = fs::temp_directory_path() / ("rilo-cli-unit-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_ / "config");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string &name) const { return (dir_ / name).string(); }
  std::string Store() const { return ReadFile(dir_ / "config/RILO1Q12/preferences.ini"); }

  Result Run(const std::string &args) const {
    const std::string command = "XDG_CONFIG_HOME=\"" + Path("config") + "\" \"" + ProgramFolder() +
                                "rilo-cli\" " + args + " >/dev/null 2>\"" + Path("stderr") + "\" </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Path("stderr"))};
  }

  testing::UnitSimProcess unit_{{"--role", "rx"}};
  fs::path dir_;
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
  ASSERT_EQ(Run("port COM1 \"" + unit_.device() + "\"").exit, 0);
  const std::string store = Store();

  Result r = Run("read COM1 -o \"" + Path("read.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "讀取: 讀取設定完成!!\n儲存檔案: 儲存檔案完成!!\n");
  const std::string read = ReadFile(Path("read.rilo"));
  EXPECT_TRUE(read.starts_with("Setup\r\n"));
  EXPECT_TRUE(
      read.ends_with("\r\nq\r\nCustomer No:\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\n"
                     "Company E-Mail:\r\nCompany Address:\r\nContect Man:\r\nContect Tel:\r\n"
                     "Contect Mobile:\r\nContect E-mail:\r\nRemark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n"));
  EXPECT_EQ(Parse(read), ExpectedFileOfTheUnit());
  EXPECT_EQ(Store(), store);  // the incomplete store was not filled with defaults

  // New options, and the ID code of another unit.
  ASSERT_EQ(
      Run("set \"" + Path("read.rilo") + "\" CBTxEMSCont=5 CBUDAction=1 -o \"" + Path("set.rilo") + "\"")
          .exit,
      0);
  SettingsImage changed = Parse(ReadFile(Path("set.rilo")));
  const uint8_t id[] = {6, 5, 4, 3, 2, 1};
  for (int i = 0; i < 6; ++i)
    B1(changed, 2 + i) = Ventrix().DeHamming(id[i]);
  ComputeCheckWord(changed);
  std::ofstream(Path("write.rilo"), std::ios::binary)
      << JoinCrLf(SettingsFileLines(changed, CustomerRecord{}));

  r = Run("write COM1 \"" + Path("write.rilo") + "\"");
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err,
            "開啟檔案: 檔案開啟完成!!\n"
            "寫入: ID-CODE與原先不符,是否要覆蓋原有的ID-CODE? 取消 (加上 --yes 即回答確定)\n");

  r = Run("write COM1 \"" + Path("write.rilo") + "\" --yes");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err,
            "開啟檔案: 檔案開啟完成!!\n"
            "寫入: ID-CODE與原先不符,是否要覆蓋原有的ID-CODE? 確定 (--yes)\n"
            "寫入: 寫入設定完成!!\n");

  // Read back through the device path itself: the unit holds what was written.
  r = Run("read \"" + unit_.device() + "\" -o \"" + Path("again.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Parse(ReadFile(Path("again.rilo"))), changed);
  EXPECT_EQ(Store(), store);
}

TEST_F(UnitCommandsTest, FailuresEndWithTheirMessageAndExitStatus1) {
  std::ofstream(Path("text.rilo"), std::ios::binary) << "Hello\r\n";
  struct Case {
    std::string args, err;
  } cases[] = {
      {"read COM2 -o \"" + Path("out.rilo") + "\"",
       "連線失敗: "
       "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;若通信埠錯誤,需於設定後重新啟動程式!\n"},
      {"write \"" + unit_.device() + "\" \"" + Path("missing.rilo") + "\"",
       "無法讀取檔案 " + Path("missing.rilo") + ": No such file or directory\n"},
      {"write \"" + unit_.device() + "\" \"" + Path("text.rilo") + "\"",
       "Open file Error: Open file format Error,please check your file!!\n"
       "錯誤: 開啟檔案錯誤,請確認所開啟的檔案是否正確!!\n"},
      {"read \"" + unit_.device() + "\" -o \"" + Path("no/such/folder.rilo") + "\"",
       "讀取: 讀取設定完成!!\n無法寫入檔案 " + Path("no/such/folder.rilo") + ": No such file or directory\n"},
  };
  // COM2 names a device that is not there.
  ASSERT_EQ(Run("port COM2 \"" + Path("nothing") + "\"").exit, 0);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = Run(c.args);
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_FALSE(fs::exists(Path("out.rilo")));
}

}  // namespace
}  // namespace rilo
