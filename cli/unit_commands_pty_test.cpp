// rilo-cli read and write as a bench script runs them: the programs themselves over a
// pseudo-terminal against rilo-unit-sim, at real wire speed, with a preference store
// of their own. One pass per command; the cases in detail run in-process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "link/posix_serial_port.h"
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

// What minicom leaves on a port (hardware flow control, software flow control both ways)
// would hold every write for a CTS no loader adapter wires: none of it survives.
TEST_F(UnitCommandsOverPseudoTerminal, FlowControlLeftOnThePortIsTurnedOff) {
  ASSERT_EQ(std::system(("stty -F \"" + unit_.device() + "\" crtscts ixoff ixany ixon").c_str()), 0);
  const auto r = Run("read COM1 -o \"" + Path("read.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;

  const int fd = open(unit_.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios left{};
  ASSERT_EQ(tcgetattr(fd, &left), 0);
  close(fd);
  EXPECT_EQ(left.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(left.c_iflag & (IXON | IXOFF | IXANY), 0u);
}

// The message keeps the connection failure's words; the line after it says what the
// port did.
TEST_F(UnitCommandsOverPseudoTerminal, APortThatCannotBeOpenedIsToldWhy) {
  PosixSerialPort holder;  // another program on the unit's port
  ASSERT_TRUE(holder.Open(unit_.device()));
  ASSERT_EQ(Run("port COM2 /dev/rilo-no-such-adapter").exit, 0);
  const struct {
    const char *port, *why;
  } cases[] = {{"COM1", "COM1: 連接埠已被其他程式使用\n"}, {"COM2", "COM2: 連接埠不存在\n"}};
  for (const auto &c : cases) {
    const auto r = Run(std::string("read ") + c.port + " -o \"" + Path("held.rilo") + "\"");
    EXPECT_EQ(r.exit, 1) << c.port;
    EXPECT_TRUE(r.err.starts_with("連線失敗: ")) << r.err;
    EXPECT_TRUE(r.err.ends_with(c.why)) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("held.rilo")));
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
