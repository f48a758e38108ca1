// Reading the preferences at window creation, and the default set written when a
// value is missing or of the wrong type.
#include <gtest/gtest.h>

#include "core/testing/scripted_operator.h"
#include "link/port_names.h"
#include "workbench/testing/recording_preferences.h"
#include "workbench/testing/test_workbench.h"
#include "workbench/unit_messages.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

using testing::FillDefaults;
using testing::RecordingPreferences;

constexpr WindowGeometry kCurrent{100, 50, 600, 820};

class WorkbenchStartup : public ::testing::Test {
 protected:
  RecordingPreferences store;
  testing::ScriptedOperator op;
  testing::TestWorkbench rig{store, op};
  Workbench &bench = rig.bench;
};

TEST_F(WorkbenchStartup, FirstRunWritesTheDefaultSetAndChecksCom1) {
  EXPECT_EQ(bench.FormMenuCreate(kCurrent), kCurrent);
  bench.FormMenuShow();

  const std::map<std::string, std::variant<int32_t, std::string>> expected = {
      {"Left", 100},       {"Top", 50},          {"Height", 600},
      {"Width", 820},      {"COM", "COM1"},      {"Language", "English"},
      {"BattLow", 0},      {"BattLowAction", 0}, {"TxEMSCount", 0},
      {"BattCount", 0},    {"Key1Time", 0},      {"SpecialFunc", 0},
      {"CustomerInfo", 1}, {"IDCODE", 0},        {"DateCode", 0},
      {"SN", 0},           {"Factory", 0}};
  EXPECT_EQ(store.values, expected);
  EXPECT_EQ(bench.portName(), "COM1");
  EXPECT_EQ(bench.view().checkedPort, 1);
  EXPECT_EQ(bench.flags().CustomerInfo, 1);
  EXPECT_EQ(bench.flags().Factory, 0);
  EXPECT_TRUE(bench.view().visible.at("TabCustomerInformation"));
  EXPECT_FALSE(bench.view().visible.at("TabSpecialSetting"));
  EXPECT_FALSE(bench.view().visible.at("NLoadTxPrg"));
  EXPECT_TRUE(op.shown.empty());
}

TEST_F(WorkbenchStartup, CompleteStoreIsTakenAsItStandsAndNothingIsWritten) {
  FillDefaults(store);
  store.values["Left"] = -5;
  store.values["COM"] = "COM12";
  store.values["BattCount"] = 7;  // any non-zero integer is true
  store.values["CustomerInfo"] = 0;
  store.values["Factory"] = 1;

  EXPECT_EQ(bench.FormMenuCreate(kCurrent), (WindowGeometry{-5, 20, 560, 800}));
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(bench.portName(), "COM12");
  EXPECT_EQ(bench.flags().BattCount, 1);
  EXPECT_EQ(bench.flags().CustomerInfo, 0);
  EXPECT_EQ(bench.flags().Factory, 1);
}

TEST_F(WorkbenchStartup, StoreLackingOnlyFactoryKeepsGeometryAndEarlierFlagsButRewritesDefaults) {
  FillDefaults(store);
  store.values["COM"] = "COM7";
  store.values["BattLow"] = 1;
  store.values["IDCODE"] = 1;
  store.values["CustomerInfo"] = 0;
  store.values.erase("Factory");

  EXPECT_EQ(bench.FormMenuCreate(kCurrent), (WindowGeometry{10, 20, 560, 800}));
  EXPECT_EQ(bench.portName(), "COM1");
  EXPECT_EQ(bench.flags().BattLow, 1);  // read before the failure: kept for this run
  EXPECT_EQ(bench.flags().IDCODE, 1);
  EXPECT_EQ(bench.flags().CustomerInfo, 1);
  EXPECT_EQ(bench.flags().Factory, 0);

  RecordingPreferences expected;
  FillDefaults(expected);
  EXPECT_EQ(store.values, expected.values);  // next run starts from the defaults
}

TEST_F(WorkbenchStartup, ReadStopsAtTheFirstMissingOrMistypedValue) {
  struct Case {
    const char *name;
    std::optional<std::variant<int32_t, std::string>> stored;  // nothing: value missing
    WindowGeometry applied;
    uint8_t battLow;  // read before or after the failure
  };
  const Case cases[] = {
      {"Left", std::nullopt, kCurrent, 0},
      {"Height", std::string("560"), {10, 20, 600, 820}, 0},
      {"COM", 3, {10, 20, 560, 800}, 0},
      {"BattLowAction", std::nullopt, {10, 20, 560, 800}, 1},
      {"SN", std::string("1"), {10, 20, 560, 800}, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    RecordingPreferences prefs;
    FillDefaults(prefs);
    prefs.values["BattLow"] = 1;
    prefs.values["COM"] = "COM4";
    if (c.stored)
      prefs.values[c.name] = *c.stored;
    else
      prefs.values.erase(c.name);
    testing::ScriptedOperator quiet;
    testing::TestWorkbench freshRig(prefs, quiet);
    Workbench &fresh = freshRig.bench;

    EXPECT_EQ(fresh.FormMenuCreate(kCurrent), c.applied);
    EXPECT_EQ(fresh.portName(), "COM1");
    EXPECT_EQ(fresh.flags().BattLow, c.battLow);
    EXPECT_EQ(fresh.flags().CustomerInfo, 1);
    EXPECT_EQ(prefs.values.at("COM"), (std::variant<int32_t, std::string>{"COM1"}));
    EXPECT_EQ(prefs.values.at("BattLow"), (std::variant<int32_t, std::string>{0}));
  }
}

TEST_F(WorkbenchStartup, MissingPortNameReadsAsEmptyAndChecksNoPort) {
  FillDefaults(store);
  store.values.erase("COM");

  bench.FormMenuCreate(kCurrent);
  bench.FormMenuShow();
  EXPECT_EQ(bench.portName(), "");
  EXPECT_EQ(bench.view().checkedPort, 0);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(WorkbenchStartup, StoreThatRefusesWritesIsToldOnceAndTheRunGoesOnWithTheValuesInHand) {
  const testing::ShownMessage refused{kPreferencesRefusedCaption, kPreferencesRefusedText, Icon::Error,
                                      false};
  store.refuseWrites = true;
  EXPECT_EQ(bench.FormMenuCreate(kCurrent), kCurrent);
  EXPECT_EQ(bench.portName(), "COM1");
  EXPECT_EQ(bench.flags().CustomerInfo, 1);
  EXPECT_EQ(rig.port.openedDevice, DevicePath("COM1", store));
  EXPECT_EQ(op.shown, std::vector<testing::ShownMessage>{refused});

  // The show finishes: the port is checked and the flags are applied.
  bench.FormMenuShow();
  EXPECT_EQ(bench.view().checkedPort, 1);
  EXPECT_TRUE(bench.view().visible.at("TabCustomerInformation"));
  EXPECT_FALSE(bench.NCOMClick(4));
  EXPECT_EQ(bench.portName(), "COM4");
  bench.FormMenuClose({300, 200, 580, 810});
  EXPECT_EQ(op.shown, std::vector<testing::ShownMessage>{refused});
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(WorkbenchStartup, ReadOnlyStoreIsToldWhenTheShowStoresThePortAgain) {
  FillDefaults(store);
  store.values["SpecialFunc"] = 1;
  store.refuseWrites = true;
  bench.FormMenuCreate(kCurrent);
  EXPECT_TRUE(op.shown.empty());
  bench.FormMenuShow();
  EXPECT_EQ(op.Texts(), std::vector<std::string>{kPreferencesRefusedText});
  EXPECT_TRUE(bench.view().visible.at("TabSpecialSetting"));
  EXPECT_EQ(bench.view().checkedPort, 1);
}

TEST_F(WorkbenchStartup, StoredPortIsOpenedAtCreationAndClosedByQuit) {
  FillDefaults(store);
  store.values["COM"] = "COM3";
  bench.FormMenuCreate(kCurrent);
  EXPECT_EQ(rig.port.openedDevice, DevicePath("COM3", store));
  EXPECT_TRUE(rig.port.IsOpen());
  EXPECT_TRUE(op.shown.empty());
  bench.NQuitClick();
  EXPECT_FALSE(rig.port.IsOpen());
}

TEST_F(WorkbenchStartup, PortThatCannotBeOpenedIsReportedAndTheRunGoesOn) {
  FillDefaults(store);
  rig.port.refuseOpen = true;
  EXPECT_EQ(bench.FormMenuCreate(kCurrent), (WindowGeometry{10, 20, 560, 800}));
  EXPECT_EQ(op.shown, (std::vector<testing::ShownMessage>{
                          {kConnectFailedCaption, kConnectFailedText, Icon::Information, false}}));
  EXPECT_EQ(bench.link().State(), PortState::Unusable);
}

TEST_F(WorkbenchStartup, CloseKeepsTheGeometry) {
  FillDefaults(store);
  bench.FormMenuCreate(kCurrent);
  bench.FormMenuClose({300, 200, 580, 810});
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Left=300", "Top=200", "Height=580", "Width=810"}));
}

}  // namespace
}  // namespace rilo
