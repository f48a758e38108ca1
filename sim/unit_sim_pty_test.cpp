// rilo-unit-sim as people run it: a pseudo-terminal, a sync, a paced reply, a clean stop.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "core/testing/programs.h"
#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

using Clock = std::chrono::steady_clock;
using rilo::testing::UnitSimProcess;

int OpenRaw(const std::string &path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  termios mode{};
  if (fd >= 0 && tcgetattr(fd, &mode) == 0) {
    cfmakeraw(&mode);
    cfsetspeed(&mode, B9600);
    tcsetattr(fd, TCSANOW, &mode);
  }
  return fd;
}

// How long a test waits for what must come before it calls it lost: only a limit for a
// test that would hang, never a timing being checked; a loaded machine may take its time.
constexpr std::chrono::milliseconds kPatience{10000};

// Reads exactly `count` bytes or gives up.
Bytes ReadReply(int fd, size_t count) {
  Bytes reply;
  const auto end = Clock::now() + kPatience;
  while (reply.size() < count && Clock::now() < end) {
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, 50) <= 0) continue;
    uint8_t buffer[256];
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - reply.size()));
    if (n > 0) reply.insert(reply.end(), buffer, buffer + n);
  }
  return reply;
}

Bytes Exchange(int fd, const Bytes &request, size_t expected) {
  tcflush(fd, TCIFLUSH);
  EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  return ReadReply(fd, expected);
}

TEST(UnitSimProgram, ServesASimulatedReceiverOnAPseudoTerminal) {
  UnitSimProcess program({"--role", "rx"});
  const std::string &link = program.device();
  ASSERT_EQ(program.terminal().rfind("/dev/pts/", 0), 0u) << program.terminal();
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(program.terminal(), target);

  int fd = OpenRaw(link);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Exchange(fd, kSync, 1), Bytes{kAck});

  // A host closing and reopening the port finds the unit still there.
  close(fd);
  fd = OpenRaw(program.terminal());
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Exchange(fd, kSync, 1), Bytes{kAck});
  EXPECT_EQ(Exchange(fd, PasswordFrame(TestProductLine().PasswordB), 1), Bytes{kAck});

  // The settings block comes back paced at 9600 8E1.
  const auto start = Clock::now();
  const Bytes block = Exchange(fd, ReadFrame(0x1080), 134);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  ASSERT_EQ(block.size(), 134u);
  EXPECT_EQ((Bytes{block[4], block[5]}), (Bytes{0x0F, 0x33}));
  EXPECT_TRUE(CheckBytesValid(block));
  EXPECT_GE(took.count(), static_cast<int64_t>(133 * kByteMicros));
  close(fd);

  EXPECT_EQ(program.Stop(), 0);
  struct stat gone;
  EXPECT_NE(lstat(link.c_str(), &gone), 0) << "the link is removed on the way out";
}

TEST(UnitSimProgram, AHostsExclusiveUseEndsWhenItClosesThePort) {
  UnitSimProcess program({"--role", "tx"});
  const int fd = OpenRaw(program.terminal());
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ioctl(fd, TIOCEXCL), 0);
  close(fd);
  // Only an unprivileged host is refused an exclusive terminal: try as one.
  chmod(program.terminal().c_str(), 0666);
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
    for (const auto end = Clock::now() + kPatience; Clock::now() < end;) {
      const int again = open(program.terminal().c_str(), O_RDWR | O_NOCTTY);
      if (again >= 0) _exit(0);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    _exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the port could not be opened again";
}

TEST(UnitSimProgram, RefusesUnknownOptions) {
  const rilo::testing::ScratchFolder scratch("rilo-unit-sim-test");
  for (const char *args : {"--role xx", "--loader 1.6", "--role tx --short-image", "--baud 19200"}) {
    const auto run = rilo::testing::RunProgram("rilo-unit-sim", args, scratch);
    EXPECT_EQ(run.exit, 2) << args;
    EXPECT_NE(run.err.find("usage: rilo-unit-sim"), std::string::npos) << args;
  }
}

}  // namespace
}  // namespace rilo::sim
