// rilo-cli read and write as a bench script runs them: the programs themselves over a
// pseudo-terminal against rilo-unit-sim, at real wire speed, with a preference store
// of their own. One pass per command; the cases in detail run in-process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "settings/testing/editor_bench.h"
#include "sim/unit_config.h"

namespace rilo {
namespace {

using testing::ReadWholeFile;
using testing::Ventrix;

SettingsImage Parse(const std::string &fileText) {
  SettingsImage image{};
  EXPECT_NE(Ventrix().ArrangeRilo(fileText.c_str(), reinterpret_cast<uint8_t(*)[128]>(image.data())),
            fileText.c_str());
  return image;
}

class UnitCommandsOverPseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(unit_.ok());
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);  // the ledger, the test's own
    ASSERT_EQ(Run("port COM1 \"" + unit_.device() + "\"").exit, 0);
  }

  std::string Path(const std::string &name) const { return scratch_.Path(name); }
  testing::ProgramResult Run(const std::string &args) const {
    return testing::RunProgram("rilo-cli", args, scratch_);
  }

  testing::ScratchFolder scratch_{"rilo-cli-pty"};
  testing::UnitSimProcess unit_{{"--role", "rx"}};
};

TEST_F(UnitCommandsOverPseudoTerminal, Read) {
  const auto r = Run("read COM1 -o \"" + Path("read.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "讀取: 讀取設定完成!!\n儲存檔案: 儲存檔案完成!!\n");
  const SettingsImage read = Parse(ReadWholeFile(Path("read.rilo")));
  EXPECT_EQ(B1(read, 0), 0x0F);  // the unit's model code 0F 33
  EXPECT_EQ(B1(read, 1), 0x33);
}

TEST_F(UnitCommandsOverPseudoTerminal, Write) {
  // The unit's own settings with one option changed, written through the device path.
  SettingsImage image{};
  const auto settings = sim::StandardSettings();
  std::copy(settings.begin(), settings.end(), image.begin());
  B1(image, 21) = 5;
  ComputeCheckWord(image);
  std::ofstream(Path("write.rilo"), std::ios::binary) << JoinCrLf(SettingsFileLines(image, CustomerRecord{}));

  auto r = Run("write \"" + unit_.device() + "\" \"" + Path("write.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "開啟檔案: 檔案開啟完成!!\n寫入: 寫入設定完成!!\n");

  r = Run("read COM1 -o \"" + Path("again.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  const SettingsImage again = Parse(ReadWholeFile(Path("again.rilo")));
  EXPECT_TRUE(std::equal(image.begin() + kBlock1, image.begin() + kBlock1 + 96, again.begin() + kBlock1));
}

// Two units read at once, each through its own pseudo-terminal.
TEST_F(UnitCommandsOverPseudoTerminal, ReadTwoUnitsAtOnce) {
  testing::UnitSimProcess second{{"--role", "tx"}};
  ASSERT_TRUE(second.ok());
  const auto r = Run("read \"COM1," + second.device() + "\" -o \"" + Path("{port}.rilo") + "\" --log \"" +
                     Path("run.csv") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.err.ends_with("結果: 2 台中 2 台成功, 0 台失敗\n")) << r.err;
  EXPECT_EQ(B1(Parse(ReadWholeFile(Path("COM1.rilo"))), 1), 0x33);
  EXPECT_EQ(B1(Parse(ReadWholeFile(Path("unit.rilo"))), 1), 0x33);  // the link's name
  const std::string log = ReadWholeFile(Path("run.csv"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
  EXPECT_NE(log.find(",COM1," + unit_.device() + ",read,Rx,"), std::string::npos) << log;
  EXPECT_NE(log.find("," + second.device() + "," + second.device() + ",read,Tx,12,1.61,"), std::string::npos)
      << log;
}

}  // namespace
}  // namespace rilo
