#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace rilo::sim {

PseudoTerminal::~PseudoTerminal() {
  if (closes_ >= 0) close(closes_);
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

bool PseudoTerminal::Open(std::string *error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  const char *name =
      master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 ? ptsname(master_) : nullptr;
  if (name != nullptr) {
    path_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY);
  }
  termios mode{};
  if (slave_ < 0 || tcgetattr(slave_, &mode) != 0) {
    *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  // Raw, so a host that cannot set its own mode still sees the bytes unchanged, and at
  // the loader's 9600 (a pseudo-terminal starts at 38400), which the unit reads the host
  // at until the host sets another rate.
  cfmakeraw(&mode);
  cfsetispeed(&mode, B9600);
  cfsetospeed(&mode, B9600);
  tcsetattr(slave_, TCSANOW, &mode);
  closes_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (closes_ < 0 || inotify_add_watch(closes_, path_.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    *error = std::string("cannot watch the pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  return true;
}

void PseudoTerminal::AfterHostClosed() {
  char events[1024];
  while (read(closes_, events, sizeof events) > 0) {
  }
  ioctl(slave_, TIOCNXCL);
}

}  // namespace rilo::sim
