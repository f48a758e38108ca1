// What a run shows while its units go: the lines a unit's person says, and how the
// display puts them on a terminal and in a file.
#include "cli/status_display.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rilo {
namespace {

using State = PortView::State;

PortView View(std::string phase, int position, int maximum, std::vector<SaidLine> lines = {},
              State state = State::Running) {
  return {std::move(phase), position, maximum, std::move(lines), state};
}

// The same run seen three times: both units at work, COM3 says something and moves on,
// then COM3 has failed and COM4 is done (past its maximum, as commands end).
const std::vector<std::vector<PortView>> kRun = {
    {View("燒錄程式", 0, 20, {{"進度 0/20 (0%)", true}}), View("開啟檔案", 0, 0)},
    {View("燒錄程式", 3, 20, {{"寫入程式: 寫入接收機程式失敗,請再試一次"}, {"進度 3/20 (10%)", true}}),
     View("燒錄程式", 19, 20, {{"進度 19/20 (90%)", true}})},
    {View("燒錄程式", 3, 20, {}, State::Failed), View("燒錄程式", 500, 20, {}, State::Succeeded)},
};

std::string Shown(std::vector<std::string> ports, bool terminal,
                  const std::vector<std::vector<PortView>> &run) {
  std::ostringstream out;
  StatusDisplay display(out, std::move(ports), terminal);
  for (auto views : run) {
    display.Show(views);
    for (auto &view : views)
      view.lines.clear();
    display.Show(views);  // nothing new: nothing shown
  }
  return out.str();
}

TEST(StatusDisplay, OnATerminalTheBlockIsRedrawnUnderWhatTheUnitsSay) {
  EXPECT_EQ(Shown({"COM3", "/dev/ttyUSB1"}, true, kRun),
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

TEST(StatusDisplay, ElsewherePlainLinesLedByTheirPort) {
  EXPECT_EQ(Shown({"COM3", "COM4"}, false, kRun),
            "COM3: 進度 0/20 (0%)\n"
            "COM3: 寫入程式: 寫入接收機程式失敗,請再試一次\n"
            "COM3: 進度 3/20 (10%)\n"
            "COM4: 進度 19/20 (90%)\n"
            "COM3: 失敗\n"
            "COM4: 成功\n");
  // One port's lines as a single command has always shown them.
  EXPECT_EQ(Shown({"COM3"}, false, {{kRun[0][0]}, {kRun[1][0]}, {kRun[2][0]}}),
            "進度 0/20 (0%)\n寫入程式: 寫入接收機程式失敗,請再試一次\n進度 3/20 (10%)\n");
}

// The progress bar as lines: one each time it reaches another tenth, the first at its
// first step, the last when the command ends past the maximum; none for commands that
// do not ask for them.
TEST(BenchOperator, SaysTheProgressBarByTenths) {
  for (bool progressLines : {true, false}) {
    RunSignal changed;
    BenchOperator person({}, progressLines, changed);
    person.SetProgress(0);
    person.SetProgressMax(20);
    for (int i = 0; i < 5; ++i)
      person.StepProgress();
    person.Message("寫入程式", "寫入接收機程式完成!!", Icon::Information);
    person.SetProgress(500);
    std::string said;
    for (const auto &line : person.Look().lines)
      said += line.text + (line.progress ? " *\n" : "\n");
    EXPECT_EQ(said, progressLines ? "進度 1/20 (0%) *\n進度 2/20 (10%) *\n進度 4/20 (20%) *\n"
                                    "寫入程式: 寫入接收機程式完成!!\n進度 20/20 (100%) *\n"
                                  : "寫入程式: 寫入接收機程式完成!!\n");
    EXPECT_TRUE(person.Look().lines.empty());  // handed over once
  }
}

// After the unit's first error its bar stays where it failed, though the command ends
// with a full bar.
TEST(BenchOperator, KeepsTheBarWhereTheUnitFailed) {
  RunSignal changed;
  BenchOperator person({}, true, changed);
  person.SetPhase("寫入接收機");
  person.SetProgressMax(74);
  for (int i = 0; i < 12; ++i)
    person.StepProgress();
  person.Message("寫入程式", "寫入接收機程式失敗,請再試一次", Icon::Error);
  person.SetProgress(500);
  const PortView view = person.Look();
  EXPECT_EQ(view.position, 12);
  EXPECT_EQ(view.lines.back().text, "寫入程式: 寫入接收機程式失敗,請再試一次");
  EXPECT_EQ(person.FailureReason(), "寫入接收機 12/74: 寫入接收機程式失敗,請再試一次");
}

}  // namespace
}  // namespace rilo
