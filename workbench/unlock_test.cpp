// The unlock dialog's confirm: what each access code writes, the SpecialFunc rule and
// the refusal of anything that is not exactly a code.
#include <gtest/gtest.h>

#include <regex>

#include "core/testing/scripted_operator.h"
#include "workbench/access_codes.h"
#include "workbench/testing/recording_preferences.h"
#include "workbench/testing/test_workbench.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

using testing::FillDefaults;
using testing::RecordingPreferences;

// The plain codes, in table order, as the factory section of the README lists them.
const char *const kCodes[20] = {"v7pjbca6", "fbj1e0qb", "ywpqzgqy", "j5qv1hoq", "manphrh4",
                                "7fz8c1h8", "uy5tu9c9", "ct0r05ko", "lrr5a5yl", "4y7dekji",
                                "2l6a8yjd", "6n36jisb", "tec93jkc", "oheqz549", "l6budhhe",
                                "4wx73394", "g5b9f327", "e7629p5g", "04kmty6e", "otyfgwm7"};

const testing::ShownMessage kAccepted{"功能開啟", "功能開啟,程式將自動關閉,請重新開啟程式!!",
                                      Icon::Information, false};
const testing::ShownMessage kRefused{"密碼錯誤", "密碼錯誤,請再試一次 !!", Icon::Error, false};

class WorkbenchUnlock : public ::testing::Test {
 protected:
  RecordingPreferences store;
  testing::ScriptedOperator op;
  testing::TestWorkbench rig{store, op};
  Workbench &bench = rig.bench;

  // A run started with the given flags on; the writes of start-up are forgotten.
  void StartWith(std::initializer_list<const char *> on) {
    FillDefaults(store);
    for (const char *name : on)
      store.values[name] = 1;
    bench.FormMenuCreate({});
    bench.FormMenuShow();
    store.writes.clear();
  }
};

TEST_F(WorkbenchUnlock, EveryCodeWritesExactlyItsValuesThenSpecialFunc) {
  const std::vector<std::vector<std::string>> writes = {
      {"BattLow=1", "SpecialFunc=0", "SpecialFunc=1"},
      {"BattLow=0", "SpecialFunc=0"},
      {"BattLowAction=1", "SpecialFunc=0", "SpecialFunc=1"},
      {"BattLowAction=0", "SpecialFunc=0"},
      {"TxEMSCount=1", "SpecialFunc=0", "SpecialFunc=1"},
      {"TxEMSCount=0", "SpecialFunc=0"},
      {"BattCount=1", "SpecialFunc=0", "SpecialFunc=1"},
      {"BattCount=0", "SpecialFunc=0"},
      {"Key1Time=1", "SpecialFunc=0", "SpecialFunc=1"},
      {"Key1Time=0", "SpecialFunc=0"},
      {"IDCODE=1", "SpecialFunc=0"},
      {"IDCODE=0", "SpecialFunc=0"},
      {"CustomerInfo=1", "SpecialFunc=0"},
      {"CustomerInfo=0", "SpecialFunc=0"},
      {"SN=1", "SpecialFunc=0"},
      {"SN=0", "SpecialFunc=0"},
      {"DateCode=1", "SpecialFunc=0"},
      {"DateCode=0", "SpecialFunc=0"},
      {"Factory=1", "CustomerInfo=0", "BattLowAction=1", "BattLow=1", "TxEMSCount=1", "BattCount=1",
       "Key1Time=1", "IDCODE=1", "SN=0", "DateCode=0", "SpecialFunc=0", "SpecialFunc=1", "SpecialFunc=1",
       "SpecialFunc=1", "SpecialFunc=1", "SpecialFunc=1"},
      {"Factory=0", "CustomerInfo=1", "BattLowAction=0", "BattLow=0", "TxEMSCount=0", "BattCount=0",
       "Key1Time=0", "IDCODE=0", "SN=0", "DateCode=0", "SpecialFunc=0"},
  };
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(kCodes[i]);
    RecordingPreferences prefs;
    FillDefaults(prefs);
    testing::ScriptedOperator person;
    testing::TestWorkbench freshRig(prefs, person);
    Workbench &fresh = freshRig.bench;
    fresh.FormMenuCreate({});
    fresh.FormMenuShow();
    prefs.writes.clear();

    EXPECT_TRUE(fresh.BPasswordOKClick(kCodes[i]));
    EXPECT_EQ(prefs.writes, writes[i]);
    EXPECT_EQ(person.shown, std::vector<testing::ShownMessage>{kAccepted});
    EXPECT_EQ(fresh.flags().BattLow, 0);  // this run's flags stay as loaded
  }
}

TEST_F(WorkbenchUnlock, AnythingButTheExactCodeIsRefused) {
  StartWith({"TxEMSCount"});
  for (std::string typed : {"V7PJBCA6", "v7pjbca6 ", " v7pjbca6", "v7pjbca", "", "ec93828a274ebf33"}) {
    SCOPED_TRACE(typed);
    store.writes.clear();
    op.shown.clear();
    EXPECT_FALSE(bench.BPasswordOKClick(typed));
    // Only SpecialFunc is rewritten, from the flags this run loaded.
    EXPECT_EQ(store.writes, (std::vector<std::string>{"SpecialFunc=0", "SpecialFunc=1"}));
    EXPECT_EQ(op.shown, std::vector<testing::ShownMessage>{kRefused});
  }
}

TEST_F(WorkbenchUnlock, SpecialFuncFollowsEveryEntryOfThisRun) {
  StartWith({"TxEMSCount"});
  bench.BPasswordOKClick(kCodes[0]);  // battery-low on beside the EMS count
  EXPECT_EQ(store.values.at("SpecialFunc"), (std::variant<int32_t, std::string>{1}));

  RecordingPreferences only;
  FillDefaults(only);
  only.values["BattLow"] = 1;
  only.values["SpecialFunc"] = 1;
  testing::TestWorkbench otherRig(only, op);
  Workbench &other = otherRig.bench;
  other.FormMenuCreate({});
  other.FormMenuShow();
  other.BPasswordOKClick(kCodes[1]);  // battery-low off, the only special flag
  EXPECT_EQ(only.values.at("SpecialFunc"), (std::variant<int32_t, std::string>{0}));
}

TEST_F(WorkbenchUnlock, CustomerAndEditingCodesKeepSpecialFuncFromTheLoadedFlags) {
  StartWith({"Key1Time"});
  bench.BPasswordOKClick(kCodes[13]);  // customer page off
  EXPECT_EQ(store.writes, (std::vector<std::string>{"CustomerInfo=0", "SpecialFunc=0", "SpecialFunc=1"}));
}

TEST_F(WorkbenchUnlock, StoreThatRefusesWritesIsAnErrorAndShowsNoMessage) {
  StartWith({});
  store.refuseWrites = true;
  EXPECT_THROW(bench.BPasswordOKClick(kCodes[18]), std::runtime_error);
  EXPECT_TRUE(op.shown.empty());
}

TEST(WorkbenchAccessCodes, TableHoldsNoPlainCodeAndEachCodeFindsItsOwnRow) {
  const std::regex shape("[a-z0-9]{8}");
  std::set<std::string> distinct;
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(std::regex_match(kCodes[i], shape)) << kCodes[i];
    distinct.insert(kCodes[i]);
    EXPECT_EQ(MatchAccessCode(kCodes[i]), &AccessCodes()[i]) << kCodes[i];
    for (const auto &row : AccessCodes()) {
      EXPECT_EQ(std::string(row.salt).find(kCodes[i]), std::string::npos);
      EXPECT_EQ(std::string(row.hash).find(kCodes[i]), std::string::npos);
    }
  }
  EXPECT_EQ(distinct.size(), 20u);
}

}  // namespace
}  // namespace rilo
