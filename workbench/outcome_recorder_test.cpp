#include "workbench/outcome_recorder.h"

#include <gtest/gtest.h>

#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

// Everything reaches the person as it is said; the outcome keeps it in order, with the
// failure placed where the bar stood at the first error.
TEST(OutcomeRecorder, PassesEverythingOnAndKeepsTheCommandsOutcome) {
  testing::ScriptedOperator person;
  person.answers = {false};
  OutcomeRecorder recorder(person);
  recorder.Begin("寫入接收機");
  recorder.SetProgressMax(74);
  recorder.SetProgress(10);
  recorder.StepProgress();
  EXPECT_FALSE(recorder.Ask("存檔", "是否?", Icon::Information));
  recorder.Differs(0xF100);
  recorder.Differs(0xF200);  // only the first address counts
  recorder.Message("寫入程式!", "寫入後驗證失敗", Icon::Error);
  recorder.SetProgress(40);
  recorder.Message("寫入程式!", "寫入接收機程式失敗", Icon::Error);
  const Outcome outcome = recorder.End(false);

  EXPECT_EQ(person.Texts(), (std::vector<std::string>{"是否?", "寫入後驗證失敗", "寫入接收機程式失敗"}));
  EXPECT_EQ(person.progress, 40);
  EXPECT_FALSE(outcome.done);
  EXPECT_EQ(outcome.step, "寫入接收機");
  EXPECT_EQ(outcome.page, 11);
  EXPECT_EQ(outcome.pages, 74);
  EXPECT_EQ(outcome.differsAt, 0xF100);
  ASSERT_EQ(outcome.messages.size(), 3u);
  EXPECT_EQ(outcome.messages[0], (Said{"存檔", "是否?", Icon::Information, true, false}));
  ASSERT_NE(outcome.Reason(), nullptr);
  EXPECT_EQ(outcome.Reason()->text, "寫入後驗證失敗");

  // The next command starts with nothing of the last.
  recorder.Begin("讀取設定");
  const Outcome next = recorder.End(true);
  EXPECT_TRUE(next.done);
  EXPECT_TRUE(next.messages.empty());
  EXPECT_EQ(next.Reason(), nullptr);
  EXPECT_FALSE(next.differsAt);
}

}  // namespace
}  // namespace rilo
