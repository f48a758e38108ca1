// The device list over a scratch /dev: stable names with their devices first, then the
// kernel's names in number order, and nothing that is not a serial device's name.
#include "link/serial_devices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/testing/programs.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;

TEST(ListSerialDevices, StableNamesFirstThenKernelNamesInNumberOrder) {
  testing::ScratchFolder scratch("rilo-dev");
  const fs::path root = scratch.Path("dev");
  fs::create_directories(root);
  for (const char *name :
       {"ttyUSB10", "ttyUSB2", "ttyS0", "ttyS1", "ttyACM0", "tty0", "ttyUSB", "ttySx", "null"})
    std::ofstream(root / name) << "";
  fs::create_directories(root / "serial" / "by-id");
  fs::create_symlink("../../ttyUSB2", root / "serial" / "by-id" / "usb-FTDI_FT232R_A1-if00-port0");
  fs::create_symlink("../../ttyUSB9", root / "serial" / "by-id" / "usb-gone-if00-port0");  // unplugged

  const std::string at = root.string();
  const fs::path usb2 = fs::canonical(root / "ttyUSB2");
  EXPECT_EQ(ListSerialDevices(at), (std::vector<SerialDevice>{
                                       {at + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0", usb2.string()},
                                       {at + "/ttyS0", ""},
                                       {at + "/ttyS1", ""},
                                       {at + "/ttyUSB2", ""},
                                       {at + "/ttyUSB10", ""},
                                       {at + "/ttyACM0", ""},
                                   }));
}

TEST(ListSerialDevices, AFolderWithoutDevicesGivesNone) {
  testing::ScratchFolder scratch("rilo-dev");
  EXPECT_TRUE(ListSerialDevices(scratch.Path("")).empty());
  EXPECT_TRUE(ListSerialDevices(scratch.Path("missing")).empty());
}

}  // namespace
}  // namespace rilo
