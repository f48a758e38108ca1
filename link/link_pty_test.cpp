// The real termios port and steady clock against rilo-unit-sim on a pseudo-terminal:
// the whole stack as people use it without hardware.
#include <gtest/gtest.h>

#include "core/testing/programs.h"
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
  Link link(port, clock);
  Loader loader(link, testing::Ventrix(), *productLine);

  ASSERT_TRUE(link.OpenPort(unit.device()));
  EXPECT_FALSE(port.HasModemLines());
  ASSERT_TRUE(loader.ConnectDevice());
  loader.IdentifyDevice();
  EXPECT_EQ(loader.DeviceRole, "Rx");
  EXPECT_EQ(loader.PatchNeeded, 1);
  EXPECT_EQ(loader.InfoPage[kMarkerAt], 0xAA);

  std::array<uint8_t, 256> device{};
  ASSERT_EQ(loader.ReadSettingsBlock(1, std::span<uint8_t, 128>(device.data() + 128, 128)),
            ReadOutcome::Read);
  ASSERT_EQ(loader.ReadSettingsBlock(0, std::span<uint8_t, 128>(device.data(), 128)), ReadOutcome::Read);
  const auto expected = sim::StandardSettings();
  EXPECT_TRUE(std::equal(device.begin(), device.end(), expected.begin()));
  link.ClosePort();
}

}  // namespace
}  // namespace rilo
