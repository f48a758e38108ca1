#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rilo {
namespace {

bool IsPts(int fd) {
  char name[64];
  return ttyname_r(fd, name, sizeof name) == 0 && std::strncmp(name, "/dev/pts/", 9) == 0;
}

// 9600 baud, 8 data bits, even parity, 1 stop bit, raw bytes both ways; reads return
// at once with what is there. CLOCAL keeps a unit without carrier detect usable.
termios Settings(termios t, bool parity) {
  cfmakeraw(&t);
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARODD | PARENB);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  if (parity) t.c_cflag |= PARENB;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  return t;
}

// tcsetattr succeeds when any part applies, so the result is read back.
bool Took(int fd, const termios &wanted, bool parity) {
  termios now{};
  if (tcgetattr(fd, &now) != 0) return false;
  const tcflag_t shape = CSIZE | CSTOPB | (parity ? PARODD | PARENB : 0);
  return cfgetospeed(&now) == B9600 && cfgetispeed(&now) == B9600 &&
         (now.c_cflag & shape) == (wanted.c_cflag & shape) && (now.c_lflag & (ICANON | ECHO | ISIG)) == 0 &&
         (now.c_iflag & (IXON | ICRNL | ISTRIP)) == 0 && (now.c_oflag & OPOST) == 0;
}

// Refused on a pseudo-terminal; a real port's refusal shows as a unit that does not
// answer, and a device gone shows at the next read or write.
void SetLine(int fd, int line, bool on) {
  if (fd >= 0) ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

bool DeviceGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV;
}

// The far end hung up: a USB adapter pulled out, or the simulated unit stopped.
bool HungUp(int fd) {
  pollfd watch{fd, 0, 0};
  return poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

bool PosixSerialPort::Open(const std::string &device) {
  Close();
  // Non-blocking only for the open itself, which would otherwise wait for carrier.
  fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return false;
  pseudo_ = IsPts(fd_);
  const int flags = fcntl(fd_, F_GETFL);
  const bool ok = isatty(fd_) && ioctl(fd_, TIOCEXCL) == 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0 &&
                  flags >= 0 && fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0 && Configure();
  if (!ok) Close();
  return ok;
}

bool PosixSerialPort::Configure() {
  termios old{};
  if (tcgetattr(fd_, &old) != 0) return false;
  const termios wanted = Settings(old, true);
  if (tcsetattr(fd_, TCSANOW, &wanted) == 0 && Took(fd_, wanted, true)) {
    // A real port must also let the loader entry move its modem lines.
    int lines = 0;
    return pseudo_ || ioctl(fd_, TIOCMGET, &lines) == 0;
  }
  if (!pseudo_) return false;
  // A pseudo-terminal refuses or drops the parity; everything else must still hold.
  const termios plain = Settings(old, false);
  return tcsetattr(fd_, TCSANOW, &plain) == 0 && Took(fd_, plain, false);
}

void PosixSerialPort::Close() {
  if (fd_ < 0) return;
  // The mark outlives the descriptor while the far end of a pseudo-terminal stays open.
  ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
  pseudo_ = false;
}

void PosixSerialPort::CloseIfGone() {
  if (DeviceGone(errno)) Close();
}

void PosixSerialPort::PurgeInput() {
  if (fd_ >= 0 && tcflush(fd_, TCIFLUSH) != 0) CloseIfGone();
}

void PosixSerialPort::Write(const uint8_t *data, size_t count) {
  if (fd_ < 0) return;
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // a failed write shows as a missing reply
      if (n < 0) CloseIfGone();
      return;
    }
    done += static_cast<size_t>(n);
  }
  while (tcdrain(fd_) != 0) {
    if (errno == EINTR) continue;
    CloseIfGone();
    return;
  }
}

size_t PosixSerialPort::BytesWaiting() {
  if (fd_ < 0) return 0;
  int n = 0;
  if (ioctl(fd_, FIONREAD, &n) != 0) {
    CloseIfGone();
    return 0;
  }
  // Nothing waiting may also mean nobody is there any more.
  if (n == 0 && HungUp(fd_)) {
    Close();
    return 0;
  }
  return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t PosixSerialPort::Read(uint8_t *into, size_t count) {
  if (fd_ < 0) return 0;
  ssize_t n;
  do {
    n = ::read(fd_, into, count);
  } while (n < 0 && errno == EINTR);
  if (n < 0) CloseIfGone();
  return n > 0 ? static_cast<size_t>(n) : 0;
}

void PosixSerialPort::SetDtr(bool on) {
  SetLine(fd_, TIOCM_DTR, on);
}

void PosixSerialPort::SetRts(bool on) {
  SetLine(fd_, TIOCM_RTS, on);
}

}  // namespace rilo
