// What the feature flags show and hide when the window is shown, and port selection.
#include <gtest/gtest.h>

#include <set>

#include "core/testing/scripted_operator.h"
#include "link/port_names.h"
#include "workbench/testing/recording_preferences.h"
#include "workbench/testing/test_workbench.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

using testing::FillDefaults;
using testing::RecordingPreferences;

struct Shown {
  std::map<std::string, bool> on;  // shown controls, and editable identity fields
  ShellView view;
  std::array<uint8_t, 5> special;
};

// The window's look after start-up and show with the given values over a first-run
// store in which every flag, CustomerInfo included, is off.
Shown ShowWith(std::map<std::string, int32_t> flags) {
  RecordingPreferences store;
  FillDefaults(store);
  store.values["CustomerInfo"] = 0;
  for (const auto &[name, value] : flags)
    store.values[name] = value;
  testing::ScriptedOperator op;
  testing::TestWorkbench rig(store, op);
  Workbench &bench = rig.bench;
  bench.FormMenuCreate({});
  bench.FormMenuShow();
  Shown shown{bench.view().visible, bench.view(), bench.specialGroupFlags()};
  const Form &form = bench.editor().form;
  for (const OptionList *list :
       {&form.CBTxLowBattAction, &form.CBTxBattLowEMS, &form.CBTxEMSCont, &form.CBTxBattCont})
    shown.on[list->name] = list->visible;
  for (const TextField *field : {&form.EEqupmentID, &form.EEqupmentDate, &form.EEqupmentSN})
    shown.on[field->name] = !field->readOnly;
  return shown;
}

// Names whose state differs between two looks.
std::set<std::string> Changed(const Shown &a, const Shown &b) {
  std::set<std::string> names;
  for (const auto &[name, on] : a.on)
    if (b.on.at(name) != on) names.insert(name);
  return names;
}

TEST(WorkbenchShow, EachFlagShowsExactlyItsControls) {
  const Shown none = ShowWith({});
  for (const auto &[name, on] : none.on)
    EXPECT_FALSE(on) << name << " shown with every flag off";
  EXPECT_EQ(none.view.openFilter, "Rilo File (*.rilo)|*.rilo|");

  struct Case {
    const char *flag;
    std::set<std::string> shown;
    std::array<uint8_t, 5> special;
  };
  const Case cases[] = {
      {"BattLow",
       {"LabelLowBattAct", "CBTxLowBattAction", "LabelTxSpeFunc", "PanelTxSpeFunc"},
       {1, 0, 0, 0, 0}},
      {"BattLowAction",
       {"LabelLowBattEMS", "CBTxBattLowEMS", "LabelTxSpeFunc", "PanelTxSpeFunc"},
       {0, 1, 0, 0, 0}},
      {"TxEMSCount", {"LabelTxEMSCont", "CBTxEMSCont", "LabelTxSpeFunc", "PanelTxSpeFunc"}, {0, 0, 1, 0, 0}},
      {"BattCount", {"LabelBattCont", "CBTxBattCont", "LabelTxSpeFunc", "PanelTxSpeFunc"}, {0, 0, 0, 1, 0}},
      {"Key1Time", {"LabelBtnSpeFunc", "PanelBtnSpeFunc"}, {0, 0, 0, 0, 1}},
      {"SpecialFunc", {"TabSpecialSetting"}, {0, 0, 0, 0, 0}},
      {"CustomerInfo", {"TabCustomerInformation"}, {0, 0, 0, 0, 0}},
      {"IDCODE", {"EEqupmentID"}, {0, 0, 0, 0, 0}},
      {"DateCode", {"EEqupmentDate"}, {0, 0, 0, 0, 0}},
      {"SN", {"EEqupmentSN"}, {0, 0, 0, 0, 0}},
      {"Factory",
       {"NLoadTxPrg", "NLoadRxPrg", "NFirmwareVer", "NVerifyBurn", "NFastTransfer"},
       {0, 0, 0, 0, 0}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.flag);
    const Shown one = ShowWith({{c.flag, 1}});
    EXPECT_EQ(Changed(none, one), c.shown);
    EXPECT_EQ(one.special, c.special);
  }
}

TEST(WorkbenchShow, FactoryKeepsTheFirmwareWritesHiddenAndTheFullOpenFilter) {
  const Shown factory = ShowWith({{"Factory", 1}});
  for (const char *name : {"NWriteTxPrg", "NWriteRxPrg", "BWriteTx", "BWriteRx"})
    EXPECT_FALSE(factory.view.visible.at(name)) << name;
  EXPECT_EQ(factory.view.openFilter, kDesignOpenFilter);
  EXPECT_EQ(factory.view.saveFilter, "RILO Format [*.rilo]");
  EXPECT_EQ(factory.view.saveDefaultExt, "rilo");
}

TEST(WorkbenchShow, SpecialPageWithNoSpecialFlagShowsNeitherPanel) {
  const Shown shown = ShowWith({{"SpecialFunc", 1}});
  EXPECT_TRUE(shown.view.visible.at("TabSpecialSetting"));
  EXPECT_FALSE(shown.view.visible.at("PanelTxSpeFunc"));
  EXPECT_FALSE(shown.view.visible.at("PanelBtnSpeFunc"));
}

class WorkbenchPorts : public ::testing::Test {
 protected:
  RecordingPreferences store;
  testing::ScriptedOperator op;
  testing::TestWorkbench rig{store, op};
  Workbench &bench = rig.bench;

  void StartWithPort(const std::string &com) {
    FillDefaults(store);
    store.values["COM"] = com;
    bench.FormMenuCreate({});
    bench.FormMenuShow();
  }
};

TEST_F(WorkbenchPorts, StoredPortIsCheckedAndStoredAgain) {
  StartWithPort("COM3");
  EXPECT_EQ(bench.view().checkedPort, 3);
  EXPECT_EQ(store.writes, std::vector<std::string>{"COM=\"COM3\""});
}

TEST_F(WorkbenchPorts, NamesOutsideTheMenuCheckNothingAndKeepTheName) {
  for (const char *name : {"COM17", "", "com3", "COM03", "/dev/ttyUSB0"}) {
    SCOPED_TRACE(name);
    RecordingPreferences prefs;
    FillDefaults(prefs);
    prefs.values["COM"] = std::string(name);
    testing::TestWorkbench freshRig(prefs, op);
    Workbench &fresh = freshRig.bench;
    fresh.FormMenuCreate({});
    fresh.FormMenuShow();
    EXPECT_EQ(fresh.view().checkedPort, 0);
    EXPECT_EQ(fresh.portName(), name);
    EXPECT_TRUE(prefs.writes.empty());
  }
}

TEST_F(WorkbenchPorts, ChoosingAPortStoresItAtOnceAndChecksThatPair) {
  StartWithPort("COM1");
  store.writes.clear();
  bench.NCOMClick(12);
  EXPECT_EQ(bench.portName(), "COM12");
  EXPECT_EQ(bench.view().checkedPort, 12);
  EXPECT_EQ(store.writes, std::vector<std::string>{"COM=\"COM12\""});

  // The next start reads the new name.
  testing::TestWorkbench nextRig(store, op);
  Workbench &next = nextRig.bench;
  next.FormMenuCreate({});
  EXPECT_EQ(next.portName(), "COM12");
  EXPECT_EQ(nextRig.port.openedDevice, DevicePath("COM12", store));
}

}  // namespace
}  // namespace rilo
