// The termios port against a pseudo-terminal made here: the far end is its master.
#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
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
  EXPECT_FALSE(port.HasModemLines());
  port.SetDtr(true);
  port.SetRts(false);

  EXPECT_TRUE(port.Write(kBinary.data(), kBinary.size()));
  EXPECT_EQ(ReadMaster(kBinary.size()), kBinary) << "no echo, no translation";

  ASSERT_EQ(write(master, kBinary.data(), kBinary.size()), static_cast<ssize_t>(kBinary.size()));
  AwaitWaiting(kBinary.size());
  std::vector<uint8_t> got(kBinary.size());
  EXPECT_EQ(port.Read(got.data(), got.size()), kBinary.size());
  EXPECT_EQ(got, kBinary);
  EXPECT_EQ(port.BytesWaiting(), 0u);
  EXPECT_EQ(port.Read(got.data(), got.size()), 0u) << "a read never blocks";
}

// The rates the loaders take are set in place on the open port (the far end sees them);
// any other is refused and the port keeps its rate; a new open starts at 9600 again.
TEST_F(PosixPortTest, ChangesItsRateInPlace) {
  ASSERT_TRUE(port.Open(device));
  auto rate = [&] {
    termios line{};
    EXPECT_EQ(tcgetattr(master, &line), 0);
    return cfgetospeed(&line);
  };
  EXPECT_EQ(rate(), B9600);
  for (const auto &[baud, speed] : {std::pair{38400u, B38400}, std::pair{19200u, B19200}}) {
    EXPECT_TRUE(port.SetBaudRate(baud));
    EXPECT_EQ(rate(), speed);
  }
  EXPECT_FALSE(port.SetBaudRate(57600));
  EXPECT_EQ(rate(), B19200);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_TRUE(port.Write(kBinary.data(), kBinary.size()));
  EXPECT_EQ(ReadMaster(kBinary.size()), kBinary);
  ASSERT_TRUE(port.Open(device));
  EXPECT_EQ(rate(), B9600);
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
  EXPECT_EQ(second.Trouble(), PortTrouble::InUse);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(second.Open(device));
}

TEST_F(PosixPortTest, SaysWhyItCannotOpen) {
  const struct {
    std::string device;
    PortTrouble trouble;
  } cases[] = {
      {"/nonexistent/ttyS0", PortTrouble::Missing},
      {"/dev/null", PortTrouble::NotSerial},
      {"/", PortTrouble::NotSerial},
  };
  for (const auto &c : cases) {
    EXPECT_FALSE(port.Open(c.device)) << c.device;
    EXPECT_EQ(port.Trouble(), c.trouble) << c.device;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.BytesWaiting(), 0u);
  }
  ASSERT_TRUE(port.Open(device));
  EXPECT_EQ(port.Trouble(), PortTrouble::None);
}

TEST_F(PosixPortTest, SaysWhenItMayNotOpen) {
  if (geteuid() == 0) GTEST_SKIP() << "root may open any device";
  ASSERT_EQ(chmod(device.c_str(), 0), 0);
  EXPECT_FALSE(port.Open(device));
  EXPECT_EQ(port.Trouble(), PortTrouble::Denied);
}

// What minicom leaves behind (hardware flow control on, software flow control both
// ways): none of it may survive the open, or a write waits for a CTS no adapter wires.
TEST_F(PosixPortTest, NoFlowControlSurvivesTheOpen) {
  const int slave = open(device.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  termios left{};
  ASSERT_EQ(tcgetattr(slave, &left), 0);
  left.c_cflag |= CRTSCTS | HUPCL;
  left.c_iflag |= IXON | IXOFF | IXANY | ICRNL;
  left.c_lflag |= ICANON | ECHO;
  left.c_cc[VMIN] = 1;
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &left), 0);

  ASSERT_TRUE(port.Open(device));
  termios now{};
  ASSERT_EQ(tcgetattr(slave, &now), 0);
  close(slave);
  EXPECT_EQ(now.c_cflag & (CRTSCTS | HUPCL), 0u);
  EXPECT_EQ(now.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
  EXPECT_EQ(now.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(now.c_cc[VMIN], 0);
  EXPECT_TRUE(port.Write(kBinary.data(), kBinary.size()));
  EXPECT_EQ(ReadMaster(kBinary.size()), kBinary);
}

// A far end that takes nothing (an adapter stalled): the write gives up at its deadline
// instead of holding the window, drops what it could not send, and says so.
TEST_F(PosixPortTest, AWriteThatCannotLeaveFailsAtItsDeadline) {
  // Opened before the port takes the terminal for itself, filled once it is set raw.
  const int slave = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  ASSERT_TRUE(port.Open(device));
  const std::vector<uint8_t> block(4096, 0x55);
  // The kernel moves what was written on to the master in the background: full is when
  // a pass after a pause takes nothing more.
  for (size_t taken = 1; taken > 0; usleep(20000)) {
    taken = 0;
    for (ssize_t n; (n = write(slave, block.data(), block.size())) > 0;)
      taken += static_cast<size_t>(n);
  }

  const std::vector<uint8_t> frame(138, 0xAA);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port.Write(frame.data(), frame.size()));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(port.Trouble(), PortTrouble::NotSending);
  EXPECT_GE(took, std::chrono::milliseconds(WriteDeadlineMs(frame.size())) - std::chrono::milliseconds(5));
  EXPECT_LT(took, kPatience);
  EXPECT_TRUE(port.IsOpen()) << "the port stays; the link decides";
  close(slave);
}

}  // namespace
}  // namespace rilo
