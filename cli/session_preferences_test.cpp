// A command at the terminal sees the stored preferences as the window does, and
// never writes to them.
#include <gtest/gtest.h>

#include "cli/session_preferences.h"
#include "core/testing/scripted_operator.h"
#include "workbench/testing/recording_preferences.h"
#include "workbench/testing/test_workbench.h"

namespace rilo {
namespace {

using testing::RecordingPreferences;

// What the window makes of `store` at its start, on a copy.
Workbench &Window(testing::TestWorkbench &rig) {
  rig.bench.FormMenuCreate({});
  return rig.bench;
}

FeatureFlags FlagsOf(MemoryPreferences store) {
  testing::ScriptedOperator op;
  testing::TestWorkbench rig(store, op);
  return Window(rig).flags();
}

TEST(SessionPreferences, PortAndFlagsAsTheWindowTakesThem) {
  struct Case {
    const char *name;
    void (*change)(MemoryPreferences &);
    const char *port;
  } cases[] = {
      {"complete", [](MemoryPreferences &) {}, "COM3"},
      {"flags of any non-zero value", [](MemoryPreferences &s) { s.values["Factory"] = 2; }, "COM3"},
      {"port stored as a number", [](MemoryPreferences &s) { s.values["COM"] = 3; }, "COM1"},
      {"no port", [](MemoryPreferences &s) { s.values.erase("COM"); }, ""},
      {"a geometry value missing", [](MemoryPreferences &s) { s.values.erase("Width"); }, "COM1"},
      {"the last flag missing", [](MemoryPreferences &s) { s.values.erase("Factory"); }, "COM1"},
      {"empty", [](MemoryPreferences &s) { s.values.clear(); }, "COM1"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RecordingPreferences stored;
    testing::FillDefaults(stored);
    stored.values["COM"] = "COM3";
    stored.values["IDCODE"] = 1;
    stored.values["Factory"] = 1;
    stored.values["PortDevice.COM3"] = "/dev/ttyUSB1";
    c.change(stored);

    MemoryPreferences copy = stored;
    testing::ScriptedOperator op;
    testing::TestWorkbench window(copy, op);
    EXPECT_EQ(StoredPortName(stored), Window(window).portName());
    EXPECT_EQ(StoredPortName(stored), c.port);

    MemoryPreferences session = SessionPreferences(stored, "COM3");
    const FeatureFlags flags = FlagsOf(session);
    // Each stored flag counts, even where the window would stop reading before it.
    EXPECT_EQ(flags.IDCODE, stored.ReadBool("IDCODE").value_or(false) ? 1 : 0);
    EXPECT_EQ(flags.Factory, stored.ReadBool("Factory").value_or(false) ? 1 : 0);
    EXPECT_EQ(flags.CustomerInfo, 1);
    EXPECT_EQ(session.ReadString("COM"), "COM3");
    EXPECT_EQ(session.ReadString("PortDevice.COM3"), stored.ReadString("PortDevice.COM3"));
    EXPECT_TRUE(stored.writes.empty());
  }
}

TEST(SessionPreferences, TheWindowTakesTheSessionWhole) {
  RecordingPreferences stored;
  stored.values["PortDevice.COM2"] = "/dev/ttyUSB0";
  RecordingPreferences session;
  session.values = SessionPreferences(stored, "COM2").values;
  testing::ScriptedOperator op;
  testing::TestWorkbench rig(session, op);
  EXPECT_EQ(Window(rig).portName(), "COM2");
  EXPECT_TRUE(session.writes.empty());  // nothing was missing, so no default set was written
  EXPECT_EQ(rig.bench.flags().Factory, 0);
  EXPECT_EQ(rig.bench.flags().CustomerInfo, 1);
}

}  // namespace
}  // namespace rilo
