// rilo-cli doctor as a technician runs it at first contact: the program against
// rilo-unit-sim on a pseudo-terminal at real wire speed, and against ports that are not
// there, not serial, held by another rilo-cli, silent or garbled. Every failure names
// its step and reason; the unit's flash is the same after every run.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/testing/pty_programs.h"
#include "core/testing/programs.h"

namespace rilo {
namespace {

using namespace std::chrono_literals;
using testing::BackgroundCli;
using testing::WatchedUnit;

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
    lines.push_back(text.substr(from, end - from));
  return lines;
}

class Doctor : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", scratch_.Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", scratch_.Path("data").c_str(), 1);
  }

  testing::ProgramResult Run(const std::string &port) const {
    return testing::RunProgram("rilo-cli", "doctor \"" + port + "\"", scratch_);
  }
  // A healthy unit's check. A reply-time figure taken while the test machine is busy
  // with other tests can be the machine's, not the unit's: a run whose only failure is
  // step 7 is run once more.
  testing::ProgramResult RunHealthy(const std::string &port) const {
    testing::ProgramResult r = Run(port);
    const std::vector<std::string> lines = Lines(r.out);
    if (r.exit == 1 && lines.size() == 8 && lines[6].starts_with("7 FAIL ") &&
        lines[7] == "結果: 步驟 7 失敗")
      r = Run(port);
    return r;
  }

  testing::ScratchFolder scratch_{"rilo-doctor"};
};

struct Healthy {
  std::vector<std::string> sim;
  const char *named;  // in line 5
};

TEST_F(Doctor, HealthyUnitsOfEachKindAndLoaderPassEveryStep) {
  const Healthy cases[] = {
      {{"--role", "tx"},
       "5 OK   機器: 發射機 (密碼 C) · 晶片 F1 12 · 載入程式 1.61 · 不需修補程式 · Q12 · 序號 "},
      {{"--role", "tx", "--loader", "1.10"},
       "5 OK   機器: 發射機 (密碼 C) · 晶片 F1 12 · 載入程式 1.10 · 需要修補程式"},
      {{"--role", "rx"},
       "5 OK   機器: 接收機 (密碼 B) · 晶片 F1 49 · 載入程式 1.10 · 需要修補程式 · 程式自 0xC000"},
      {{"--role", "rx", "--loader", "2.02"}, "5 OK   機器: 接收機 (密碼 B) · 晶片 F1 49 · 載入程式 2.02"},
      {{"--role", "rx", "--short-image"},
       "5 OK   機器: 接收機 (密碼 A) · 晶片 F1 23 · 載入程式 2.02 · 不需修補程式 · 短映像 (程式自 0xE000)"},
      {{"--role", "rx", "--short-image", "--loader", "1.61"},
       "5 OK   機器: 接收機 (密碼 A) · 晶片 F1 23 · 載入程式 1.61"},
  };
  for (const Healthy &c : cases) {
    WatchedUnit unit(scratch_, "unit", c.sim);
    ASSERT_TRUE(unit.ok());
    const std::vector<uint8_t> flash = unit.Flash();
    const auto r = RunHealthy(unit.device());
    const std::vector<std::string> lines = Lines(r.out);
    SCOPED_TRACE(r.out + r.err);
    EXPECT_EQ(r.exit, 0);
    ASSERT_EQ(lines.size(), 8u);
    for (int step = 1; step <= 7; ++step)
      EXPECT_TRUE(lines[step - 1].starts_with(std::to_string(step) + " OK   ")) << lines[step - 1];
    EXPECT_TRUE(lines[4].starts_with(c.named)) << lines[4];
    // A pseudo-terminal has no modem lines, and the check says it does not matter here.
    EXPECT_EQ(
        lines[2],
        "3 OK   線路: 9600 8N1, 無流量控制; 虛擬終端機沒有同位元與 DTR、RTS, 接 rilo-unit-sim 時不需要");
    EXPECT_EQ(lines[7], "結果: 7 項全部通過");
    EXPECT_EQ(unit.Flash(), flash);
    EXPECT_EQ(r.err, "");
  }
}

// The port's name is shown with the device the stored mapping gives it.
TEST_F(Doctor, AComNameIsShownWithItsDevice) {
  testing::UnitSimProcess unit({"--role", "rx"});
  ASSERT_TRUE(unit.ok());
  ASSERT_EQ(testing::RunProgram("rilo-cli", "port COM3 \"" + unit.device() + "\"", scratch_).exit, 0);
  const auto r = RunHealthy("COM3");
  EXPECT_EQ(r.exit, 0) << r.out;
  EXPECT_EQ(Lines(r.out).front(), "1 OK   裝置: COM3 → " + unit.device() + " 是序列埠");
}

struct Broken {
  const char *name;
  std::string port;
  std::string failed;   // the failed line starts so
  const char *verdict;  // the last line
};

TEST_F(Doctor, APortThatIsNoUnitsFailsItsStep) {
  std::ofstream(scratch_.Path("settings.rilo")) << "not a port";
  const Broken cases[] = {
      {"missing", "/dev/rilo-no-such-adapter",
       "1 FAIL 裝置: /dev/rilo-no-such-adapter 不存在。處理: 確認轉接器已插上",
       "結果: 步驟 1 失敗; 步驟 2 到 7 未執行"},
      {"regular file", scratch_.Path("settings.rilo"),
       "1 FAIL 裝置: " + std::string(scratch_.Path("settings.rilo")) + " 是一般檔案, 不是序列埠。處理: ",
       "結果: 步驟 1 失敗; 步驟 2 到 7 未執行"},
  };
  for (const Broken &c : cases) {
    const auto r = Run(c.port);
    SCOPED_TRACE(std::string(c.name) + "\n" + r.out);
    EXPECT_EQ(r.exit, 1);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with(c.failed)) << lines[0];
    EXPECT_EQ(lines[1], c.verdict);
  }
}

// Another rilo-cli busy with the unit holds its port: the check says so and leaves it be.
TEST_F(Doctor, APortHeldByAnotherRiloCliIsSaidToBeInUse) {
  WatchedUnit unit(scratch_, "unit", {"--role", "rx"});
  ASSERT_TRUE(unit.ok());
  const std::vector<uint8_t> flash = unit.Flash();
  BackgroundCli reading(
      scratch_, "reading",
      "read-firmware \"" + unit.device() + "\" --rx -o \"" + scratch_.Path("rx.txt") + "\"");
  // Held once the reader has the terminal among its open files.
  const std::string terminal = std::filesystem::canonical(unit.device()).string();
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  bool held = false;
  while (!held && reading.Running() && std::chrono::steady_clock::now() < deadline) {
    std::error_code error;
    for (const auto &fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(reading.pid()) + "/fd", error))
      held = held || std::filesystem::read_symlink(fd.path(), error) == terminal;
    if (!held) std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(held) << reading.Err();

  const auto r = Run(unit.device());
  EXPECT_EQ(r.exit, 1);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_EQ(lines[0], "1 OK   裝置: " + unit.device() + " 存在");
  EXPECT_TRUE(
      lines[1].starts_with("2 FAIL 開啟: " + unit.device() + " 已被其他程式使用。處理: 關閉使用它的程式"))
      << lines[1];
  EXPECT_EQ(lines[2], "結果: 步驟 2 失敗; 步驟 3 到 7 未執行");
  EXPECT_TRUE(reading.Running()) << "the reader must not be disturbed";
  reading.Signal(SIGKILL);
  EXPECT_EQ(unit.Flash(), flash);
}

struct Faulty {
  const char *fault;
  const char *failed;
  const char *verdict;
};

TEST_F(Doctor, ASilentOrGarbledUnitFailsTheStepWhereItShows) {
  const Faulty cases[] = {
      {"no-answer:any:0:forever",
       "4 FAIL 載入程式: 兩種 RTS 極性的進入序列後, 同步都沒有回應。處理: 確認 rilo-unit-sim 正在執行",
       "結果: 步驟 4 失敗; 步驟 5 到 7 未執行"},
      {"garble:any:0:forever",
       "4 FAIL 載入程式: 同步的回應是 0xCA, 不是 0x90: 資料在線上錯亂。處理: 檢查連接線與接地",
       "結果: 步驟 4 失敗; 步驟 5 到 7 未執行"},
      // The handshake's identity page (read 1) comes through; the settings block 1 read
      // after it does not.
      {"garble:14:1:forever",
       "6 FAIL 設定: 第 1 次讀取設定區塊 1 (0x1080) 沒有回應, 或回應不完整、檢查碼不符", "結果: 步驟 6 失敗"},
  };
  for (const Faulty &c : cases) {
    WatchedUnit unit(scratch_, "unit", {"--role", "tx", "--fault", c.fault});
    ASSERT_TRUE(unit.ok());
    const std::vector<uint8_t> flash = unit.Flash();
    const auto r = Run(unit.device());
    SCOPED_TRACE(std::string(c.fault) + "\n" + r.out);
    EXPECT_EQ(r.exit, 1);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string &l) { return l.starts_with(c.failed); }));
    EXPECT_EQ(lines.back(), c.verdict);
    EXPECT_EQ(unit.Flash(), flash);
  }
}

TEST_F(Doctor, AWrongCommandLineIsAUsageError) {
  for (const char *args : {"doctor", "doctor COM1 COM2", "doctor COM1,COM2", "doctor --fast"}) {
    const auto r = testing::RunProgram("rilo-cli", args, scratch_);
    EXPECT_EQ(r.exit, 2) << args;
    EXPECT_EQ(r.out, "") << args;
  }
}

}  // namespace
}  // namespace rilo
