// What a run shows while its units go, on a terminal and in a file.
#include "cli/status_display.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rilo {
namespace {

using State = PortView::State;

PortView View(std::string phase, int position, int maximum, std::vector<std::string> lines = {},
              State state = State::Running) {
  return {std::move(phase), position, maximum, std::move(lines), state};
}

// The same run seen three times: both units at work, COM3 says something and moves on,
// then COM3 has failed and COM4 is done (past its maximum, as commands end).
const std::vector<std::vector<PortView>> kRun = {
    {View("燒錄程式", 0, 20), View("開啟檔案", 0, 0)},
    {View("燒錄程式", 3, 20, {"寫入程式: 寫入接收機程式失敗,請再試一次"}), View("燒錄程式", 19, 20)},
    {View("燒錄程式", 3, 20, {}, State::Failed), View("燒錄程式", 500, 20, {}, State::Succeeded)},
};

std::string Shown(std::vector<std::string> ports, bool terminal, bool progressLines,
                  const std::vector<std::vector<PortView>> &run) {
  std::ostringstream out;
  StatusDisplay display(out, std::move(ports), terminal, progressLines);
  for (auto views : run) {
    display.Show(views);
    for (auto &view : views)
      view.lines.clear();
    display.Show(views);  // nothing new: nothing shown
  }
  return out.str();
}

TEST(StatusDisplay, OnATerminalTheBlockIsRedrawnUnderWhatTheUnitsSay) {
  EXPECT_EQ(Shown({"COM3", "/dev/ttyUSB1"}, true, true, kRun),
            "COM3          燒錄程式  0/20\n"
            "/dev/ttyUSB1  開啟檔案\n"
            "\x1b[2F\x1b[J"
            "COM3: 寫入程式: 寫入接收機程式失敗,請再試一次\n"
            "COM3          燒錄程式  3/20\n"
            "/dev/ttyUSB1  燒錄程式  19/20\n"
            "\x1b[2F\x1b[J"
            "COM3          燒錄程式  3/20  失敗\n"
            "/dev/ttyUSB1  燒錄程式  20/20  成功\n");
}

TEST(StatusDisplay, ElsewherePlainLinesWithTheProgressByTenths) {
  EXPECT_EQ(Shown({"COM3", "COM4"}, false, true, kRun),
            "COM3: 進度 0/20 (0%)\n"
            "COM3: 寫入程式: 寫入接收機程式失敗,請再試一次\n"
            "COM3: 進度 3/20 (10%)\n"
            "COM4: 進度 19/20 (90%)\n"
            "COM3: 失敗\n"
            "COM4: 成功\n");
  // The settings commands show no progress lines; one port's lines carry no port name.
  EXPECT_EQ(Shown({"COM3", "COM4"}, false, false, kRun),
            "COM3: 寫入程式: 寫入接收機程式失敗,請再試一次\nCOM3: 失敗\nCOM4: 成功\n");
  EXPECT_EQ(Shown({"COM3"}, false, true, {{kRun[0][0]}, {kRun[1][0]}, {kRun[2][0]}}),
            "進度 0/20 (0%)\n寫入程式: 寫入接收機程式失敗,請再試一次\n進度 3/20 (10%)\n");
}

}  // namespace
}  // namespace rilo
