// The serial-port seam: exactly what the loader link needs of a port. Real ports
// (termios, Win32) report the driver's own count of bytes waiting, which the link
// polls for an exact reply length; the simulated unit plugs in here for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rilo {

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens `device` for exclusive use at 9600 baud, 8 data bits, even parity, 1 stop
  // bit, binary. False when it cannot be opened or configured (the port is closed then).
  virtual bool Open(const std::string &device) = 0;
  virtual void Close() = 0;
  // False also once an operation found the device gone (a USB adapter pulled out): the
  // port then closes itself, and only a new Open brings it back.
  virtual bool IsOpen() const = 0;

  // Discards what is waiting in the receive queue; the transmit side is left alone.
  virtual void PurgeInput() = 0;
  // Returns once the bytes have left the port.
  virtual void Write(const uint8_t *data, size_t count) = 0;
  // Bytes waiting in the driver's receive queue.
  virtual size_t BytesWaiting() = 0;
  // Reads up to `count` waiting bytes without blocking; answers how many were read.
  virtual size_t Read(uint8_t *into, size_t count) = 0;

  virtual void SetDtr(bool on) = 0;
  virtual void SetRts(bool on) = 0;
};

}  // namespace rilo
