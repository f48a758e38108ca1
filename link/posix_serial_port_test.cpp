// The termios port against a pseudo-terminal made here: the far end is its master.
#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace rilo {
namespace {

constexpr std::chrono::milliseconds kPatience{10000};

class PosixPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    device = ptsname(master);
  }
  void TearDown() override { close(master); }

  // Bytes reach the other side through the kernel's buffers: wait until they are there
  // (the limit only ends a test that would hang; a loaded machine may take its time).
  void AwaitWaiting(size_t n) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (port.BytesWaiting() < n && std::chrono::steady_clock::now() < end)
      usleep(1000);
    ASSERT_EQ(port.BytesWaiting(), n);
  }

  std::vector<uint8_t> ReadMaster(size_t n) {
    std::vector<uint8_t> got;
    while (got.size() < n) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(kPatience.count())) != 1) break;
      uint8_t buf[256];
      const ssize_t r = read(master, buf, sizeof buf);
      if (r <= 0) break;
      got.insert(got.end(), buf, buf + r);
    }
    return got;
  }

  int master = -1;
  std::string device;
  PosixSerialPort port;
};

// Bytes a cooked terminal would translate, swallow or act on.
const std::vector<uint8_t> kBinary = {0x80, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x04, 0x1A, 0x7F, 0xFF, 0x00, 0x90};

TEST_F(PosixPortTest, APseudoTerminalOpensRawDespiteRefusingParityAndModemLines) {
  ASSERT_TRUE(port.Open(device));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_TRUE(port.IsPseudoTerminal());
  port.SetDtr(true);
  port.SetRts(false);

  port.Write(kBinary.data(), kBinary.size());
  EXPECT_EQ(ReadMaster(kBinary.size()), kBinary) << "no echo, no translation";

  ASSERT_EQ(write(master, kBinary.data(), kBinary.size()), static_cast<ssize_t>(kBinary.size()));
  AwaitWaiting(kBinary.size());
  std::vector<uint8_t> got(kBinary.size());
  EXPECT_EQ(port.Read(got.data(), got.size()), kBinary.size());
  EXPECT_EQ(got, kBinary);
  EXPECT_EQ(port.BytesWaiting(), 0u);
  EXPECT_EQ(port.Read(got.data(), got.size()), 0u) << "a read never blocks";
}

TEST_F(PosixPortTest, PurgeDropsWhatIsWaiting) {
  ASSERT_TRUE(port.Open(device));
  ASSERT_EQ(write(master, "abc", 3), 3);
  AwaitWaiting(3);
  port.PurgeInput();
  EXPECT_EQ(port.BytesWaiting(), 0u);
}

TEST_F(PosixPortTest, OpensForExclusiveUse) {
  ASSERT_TRUE(port.Open(device));
  PosixSerialPort second;
  EXPECT_FALSE(second.Open(device));
  EXPECT_FALSE(second.IsOpen());
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(second.Open(device));
}

TEST_F(PosixPortTest, RefusesWhatIsNotATerminal) {
  EXPECT_FALSE(port.Open("/nonexistent/ttyS0"));
  EXPECT_FALSE(port.Open("/dev/null"));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.BytesWaiting(), 0u);
}

}  // namespace
}  // namespace rilo
