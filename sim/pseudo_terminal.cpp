#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace rilo::sim {

PseudoTerminal::~PseudoTerminal() {
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
  // Raw, so a host that cannot set its own mode still sees the bytes unchanged.
  cfmakeraw(&mode);
  tcsetattr(slave_, TCSANOW, &mode);
  return true;
}

}  // namespace rilo::sim
