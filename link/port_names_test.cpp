#include "link/port_names.h"

#include <gtest/gtest.h>

namespace rilo {
namespace {

TEST(PortNames, WindowsPrefixesOnlyCom10ToCom16) {
  EXPECT_EQ(WindowsDevicePath("COM1"), "COM1");
  EXPECT_EQ(WindowsDevicePath("COM9"), "COM9");
  EXPECT_EQ(WindowsDevicePath("COM10"), "\\\\.\\COM10");
  EXPECT_EQ(WindowsDevicePath("COM16"), "\\\\.\\COM16");
  EXPECT_EQ(WindowsDevicePath("COM17"), "COM17");
  EXPECT_EQ(WindowsDevicePath(""), "");
}

TEST(PortNames, PosixReadsTheStoredDeviceOrFallsBackToTtyS) {
  MemoryPreferences prefs;
  prefs.values["PortDevice.COM3"] = std::string("/dev/ttyUSB0");
  prefs.values["PortDevice.COM4"] = std::string("");
  EXPECT_EQ(PosixDevicePath("COM3", prefs), "/dev/ttyUSB0");
  EXPECT_EQ(PosixDevicePath("COM1", prefs), "/dev/ttyS0");
  EXPECT_EQ(PosixDevicePath("COM4", prefs), "/dev/ttyS3");
  EXPECT_EQ(PosixDevicePath("COM16", prefs), "/dev/ttyS15");
  EXPECT_EQ(PosixDevicePath("/tmp/rilo-rx", prefs), "/tmp/rilo-rx");
  for (const char *other : {"", "COM", "COM0", "COM01", "COMx", "com1"})
    EXPECT_EQ(PosixDevicePath(other, prefs), other) << other;
  EXPECT_EQ(prefs.values.size(), 2u) << "the mapping only reads";
}

}  // namespace
}  // namespace rilo
