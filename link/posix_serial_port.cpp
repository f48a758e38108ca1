#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>

namespace rilo {
namespace {

bool IsPts(int fd) {
  char name[64];
  return ttyname_r(fd, name, sizeof name) == 0 && std::strncmp(name, "/dev/pts/", 9) == 0;
}

// 9600 baud, 8 data bits, even parity, 1 stop bit, raw bytes both ways, and no flow
// control of any kind: every field is set, since a program before (minicom turns on
// RTS/CTS) may have left anything there, and a loader adapter wires no CTS. Reads return
// at once with what is there. CLOCAL keeps a unit without carrier detect usable; no
// hang-up on close, the loader entry drives the modem lines itself.
termios Settings(termios t, bool parity) {
  t.c_iflag = 0;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cflag = CS8 | CREAD | CLOCAL | (parity ? PARENB : 0);
#if defined(__linux__)
  t.c_line = 0;  // the plain line discipline
#endif
  std::fill(std::begin(t.c_cc), std::end(t.c_cc), cc_t{0});
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  return t;
}

// The termios code of the rates the loaders take; B0 for any other.
speed_t SpeedOf(uint32_t baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    default:
      return B0;
  }
}

// tcsetattr succeeds when any part applies, so the result is read back.
bool Took(int fd, const termios &wanted) {
  termios now{};
  if (tcgetattr(fd, &now) != 0) return false;
  const tcflag_t shape = CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS | CLOCAL | CREAD;
  const tcflag_t input = IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK | BRKINT;
  return cfgetospeed(&now) == cfgetospeed(&wanted) && cfgetispeed(&now) == cfgetispeed(&wanted) &&
         (now.c_cflag & shape) == (wanted.c_cflag & shape) && (now.c_iflag & input) == 0 &&
         (now.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 && (now.c_oflag & OPOST) == 0 &&
         now.c_cc[VMIN] == 0 && now.c_cc[VTIME] == 0;
}

PortTrouble OpenTrouble(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return PortTrouble::Denied;
    case EBUSY:  // held with TIOCEXCL by another program
    case EWOULDBLOCK:
      return PortTrouble::InUse;
    case EISDIR:
    case ENOTTY:
      return PortTrouble::NotSerial;
    default:
      return PortTrouble::Missing;
  }
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
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
  // Never blocking: not for the open, which would otherwise wait for carrier, and not
  // for a write, which a stalled adapter would hold for ever.
  fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    trouble_ = OpenTrouble(errno);
    return false;
  }
  pseudo_ = IsPts(fd_);
  baud_ = kLoaderBaud;
  if (!isatty(fd_) || ioctl(fd_, TIOCEXCL) != 0)
    trouble_ = PortTrouble::NotSerial;
  else if (flock(fd_, LOCK_EX | LOCK_NB) != 0)
    trouble_ = PortTrouble::InUse;
  else
    trouble_ = Configure();
  if (trouble_ == PortTrouble::None) return true;
  Close();  // the trouble stays told
  return false;
}

PortTrouble PosixSerialPort::Configure() {
  termios old{};
  if (tcgetattr(fd_, &old) != 0) return PortTrouble::NotSerial;
  const termios wanted = Settings(old, true);
  if (tcsetattr(fd_, TCSANOW, &wanted) == 0 && Took(fd_, wanted)) {
    // A real port must also let the loader entry move its modem lines: they are set to
    // the levels they have, which changes nothing on the line.
    int lines = 0;
    return pseudo_ || (ioctl(fd_, TIOCMGET, &lines) == 0 && ioctl(fd_, TIOCMSET, &lines) == 0)
               ? PortTrouble::None
               : PortTrouble::NotConfigured;
  }
  if (!pseudo_) return PortTrouble::NotConfigured;
  // A pseudo-terminal refuses or drops the parity; everything else must still hold.
  const termios plain = Settings(old, false);
  return tcsetattr(fd_, TCSANOW, &plain) == 0 && Took(fd_, plain) ? PortTrouble::None
                                                                  : PortTrouble::NotConfigured;
}

void PosixSerialPort::Close() {
  if (fd_ < 0) return;
  // The mark outlives the descriptor while the far end of a pseudo-terminal stays open.
  ioctl(fd_, TIOCNXCL);
  // What a stalled adapter still holds would keep close waiting for it.
  tcflush(fd_, TCOFLUSH);
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

bool PosixSerialPort::Write(const uint8_t *data, size_t count) {
  if (fd_ < 0) return false;
  const int64_t start = NowMs();
  const int64_t deadline = start + WriteDeadlineMs(count);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, data + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && NowMs() < deadline) {
      pollfd watch{fd_, POLLOUT, 0};
      poll(&watch, 1, static_cast<int>(deadline - NowMs()));
      continue;
    }
    if (n < 0) CloseIfGone();
    return NotSending();
  }
  if (!Drained(deadline)) return NotSending();
  // The driver's count leaves out what a USB adapter holds in its own buffer, and a
  // pseudo-terminal's far end (the simulated unit) takes the bytes at once and carries
  // them at the line's rate itself: no byte is on the line sooner than its wire time
  // after the first.
  const int64_t onWire = start + int64_t{WireMillis(count, baud_)};
  while (NowMs() < onWire)
    poll(nullptr, 0, static_cast<int>(onWire - NowMs()));
  trouble_ = PortTrouble::None;
  return true;
}

bool PosixSerialPort::SetBaudRate(uint32_t baud) {
  const speed_t speed = SpeedOf(baud);
  termios t{};
  if (fd_ < 0 || speed == B0 || tcgetattr(fd_, &t) != 0) return false;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  // Only the speed changes: the modem lines are not part of termios, so they stay.
  if (tcsetattr(fd_, TCSANOW, &t) != 0 || !Took(fd_, t)) return false;
  baud_ = baud;
  return true;
}

bool PosixSerialPort::Drained(int64_t deadline) {
  for (;;) {
    int queued = 0;
    // A driver that cannot tell has sent it, as far as anyone here can know.
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
    const int64_t now = NowMs();
    if (now >= deadline) return false;
    const int64_t wire = WireMillis(static_cast<size_t>(queued), baud_);
    poll(nullptr, 0, static_cast<int>(std::clamp<int64_t>(wire, 1, deadline - now)));
  }
}

bool PosixSerialPort::NotSending() {
  if (fd_ >= 0) tcflush(fd_, TCOFLUSH);
  trouble_ = PortTrouble::NotSending;
  return false;
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
