// The real termios port and steady clock against rilo-unit-sim on a pseudo-terminal:
// the whole stack as people use it without hardware.
#include <gtest/gtest.h>

#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"
#include "link/loader.h"
#include "link/posix_serial_port.h"
#include "link/steady_clock.h"
#include "link/testing/loader_fixture.h"
#include "sim/unit_config.h"

namespace rilo {
namespace {

TEST(LinkOverPseudoTerminal, ReadsBothSettingsBlocksOfASimulatedReceiver) {
  testing::UnitSimProcess unit({"--role", "rx"});
  ASSERT_TRUE(unit.ok());

  std::string error;
  const auto productLine = ReadProductLineBesideProgram(&error);
  ASSERT_TRUE(productLine) << error;
  PosixSerialPort port;
  SteadyClock clock;
  testing::ScriptedOperator person;
  Link link(port, clock, person);
  std::string machineType;
  FeatureFlags flags;
  Loader loader(link, person, testing::Ventrix(), *productLine, machineType, flags);

  link.OpenPort(unit.device());
  ASSERT_EQ(link.PortOpen(), 1);
  EXPECT_TRUE(port.IsPseudoTerminal());
  ASSERT_TRUE(loader.ConnectDevice());
  loader.IdentifyDevice();
  EXPECT_EQ(loader.DeviceRole, "Rx");
  EXPECT_EQ(loader.PatchNeeded, 1);
  EXPECT_EQ(machineType, "12");

  SettingsImage device{};
  ASSERT_TRUE(loader.ReadSettingsBlock(1, device));
  ASSERT_TRUE(loader.ReadSettingsBlock(0, device));
  const auto expected = sim::StandardSettings();
  EXPECT_TRUE(std::equal(device.begin(), device.end(), expected.begin()));
  EXPECT_TRUE(person.shown.empty());
  link.ClosePort();
}

}  // namespace
}  // namespace rilo
