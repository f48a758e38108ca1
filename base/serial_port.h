// The serial-port seam: exactly what the loader link needs of a port. Real ports
// (termios, Win32) report the driver's own count of bytes waiting, which the link
// polls for an exact reply length; the simulated unit plugs in here for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rilo {

// The rate every loader starts at, and the one a reset returns it to.
inline constexpr uint32_t kLoaderBaud = 9600;

// Wire time of one byte at `baud`, 8E1 (11 bits), rounded up to a whole microsecond.
inline constexpr uint32_t ByteMicrosAt(uint32_t baud) {
  return (11'000'000 + baud - 1) / baud;
}
// At the loader's own 9600 baud: 1.146 ms.
inline constexpr uint32_t kByteMicros = ByteMicrosAt(kLoaderBaud);

// Why a port could not be opened, or why its last write did not go out: a person at the
// bench can do something about each (close the other program, plug the adapter in, join
// the group that may use it, check the cable and the adapter).
enum class PortTrouble {
  None,
  Missing,        // no such device
  InUse,          // another program holds it
  Denied,         // no right to open it
  NotSerial,      // something else than a serial device
  NotConfigured,  // refused 9600 8E1 raw
  NotSending,     // written bytes did not leave within their wire time and a margin
};

// Wire time of `count` bytes in whole milliseconds, rounded up (at 9600 unless told).
inline constexpr uint32_t WireMillis(size_t count, uint32_t baud = kLoaderBaud) {
  return static_cast<uint32_t>((count * ByteMicrosAt(baud) + 999) / 1000);
}

// How long a write of `count` bytes may take before the port counts as not sending: their
// wire time, plus room for a USB adapter's latency and a busy machine.
inline constexpr uint32_t kWriteMarginMs = 250;
inline constexpr uint32_t WriteDeadlineMs(size_t count) {
  return WireMillis(count) + kWriteMarginMs;
}

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
  // Returns once the bytes have left the port: true; false when they could not all be
  // handed over, or did not leave within WriteDeadlineMs (what was left unsent is dropped).
  [[nodiscard]] virtual bool Write(const uint8_t *data, size_t count) = 0;
  // Bytes waiting in the driver's receive queue.
  virtual size_t BytesWaiting() = 0;
  // Reads up to `count` waiting bytes without blocking; answers how many were read.
  virtual size_t Read(uint8_t *into, size_t count) = 0;

  virtual void SetDtr(bool on) = 0;
  virtual void SetRts(bool on) = 0;

  // Changes the line rate in place: the port stays open and DTR and RTS keep their
  // levels (a change of either would reset the unit). False when the driver refuses it;
  // the port then keeps its rate. Open starts every port at kLoaderBaud.
  [[nodiscard]] virtual bool SetBaudRate(uint32_t baud) = 0;

  // Why the last Open or Write failed; None after one that succeeded.
  virtual PortTrouble Trouble() const = 0;

  // False for an open line without DTR and RTS, which carries no parity either: a
  // pseudo-terminal, behind which rilo-unit-sim needs neither.
  virtual bool HasModemLines() const { return true; }
};

}  // namespace rilo
