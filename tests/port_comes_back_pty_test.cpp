// A unit's port that goes away and comes back within one run of the window's core: the
// real termios port and steady clock against rilo-unit-sim on a pseudo-terminal, the
// way a USB serial adapter is pulled out and plugged in again at the same device path.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"
#include "core/testing/test_ventrix.h"
#include "link/posix_serial_port.h"
#include "link/steady_clock.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

const testing::ShownMessage kReadDone{"讀取", "讀取設定完成!!", Icon::Information, false};

TEST(PortComesBack, ASecondUnitAtTheSamePathIsReadInTheSameRun) {
  std::string error;
  const auto productLine = ReadProductLineBesideProgram(&error);
  ASSERT_TRUE(productLine) << error;
  testing::ScratchFolder scratch("rilo-port-back");
  const std::string device = scratch.Path("ttyUSB0");  // the path the person set up once

  auto first = std::make_unique<testing::UnitSimProcess>(std::vector<std::string>{"--role", "rx"});
  ASSERT_TRUE(first->ok());
  ASSERT_EQ(symlink(first->terminal().c_str(), device.c_str()), 0);

  MemoryPreferences store;
  store.WriteString("PortDevice.COM1", device);
  testing::ScriptedOperator person;
  PosixSerialPort port;
  SteadyClock clock;
  Workbench bench(store, person, port, clock, testing::Ventrix(), *productLine);
  bench.FormMenuCreate({});
  bench.FormMenuShow();
  bench.NLoadSetClick();
  EXPECT_EQ(std::exchange(person.shown, {}), std::vector<testing::ShownMessage>{kReadDone});

  // Pulled out, and another one plugged in where the first was.
  first->Stop();
  first.reset();
  testing::UnitSimProcess second({"--role", "tx"});
  ASSERT_TRUE(second.ok());
  ASSERT_EQ(unlink(device.c_str()), 0);
  ASSERT_EQ(symlink(second.terminal().c_str(), device.c_str()), 0);

  bench.NLoadSetClick();
  EXPECT_EQ(person.shown, std::vector<testing::ShownMessage>{kReadDone});
  EXPECT_EQ(bench.loader().DeviceRole, "Tx");
  bench.NQuitClick();
}

}  // namespace
}  // namespace rilo
