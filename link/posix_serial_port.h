// A serial port on a POSIX system through termios. Every field of the line is set, so
// nothing a program before left on it (flow control above all) survives the open. The
// descriptor never blocks: writes and their drain have a deadline from the byte count.
// Bytes waiting is the driver's own count (FIONREAD), as the loader link polls it.
// Pseudo-terminals (the simulated unit) carry no modem lines and no parity: there those
// refusals are expected and ignored; on a real port they make the open fail. A device
// that went away (EIO, ENXIO, ENODEV, or a hang-up) closes the port.
#pragma once

#include <cstdint>
#include <string>

#include "base/serial_port.h"

namespace rilo {

class PosixSerialPort : public SerialPort {
 public:
  PosixSerialPort() = default;
  PosixSerialPort(const PosixSerialPort &) = delete;
  PosixSerialPort &operator=(const PosixSerialPort &) = delete;
  ~PosixSerialPort() override { Close(); }

  bool Open(const std::string &device) override;
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }

  void PurgeInput() override;
  bool Write(const uint8_t *data, size_t count) override;
  size_t BytesWaiting() override;
  size_t Read(uint8_t *into, size_t count) override;
  void SetDtr(bool on) override;
  void SetRts(bool on) override;
  bool SetBaudRate(uint32_t baud) override;
  PortTrouble Trouble() const override { return trouble_; }
  bool HasModemLines() const override { return !pseudo_; }

 private:
  PortTrouble Configure();
  // Waits until the driver has sent what it holds; false at `deadline` (a steady-clock
  // millisecond count).
  bool Drained(int64_t deadline);
  // Drops what was not sent and says so.
  bool NotSending();
  // Closes the port when the last call failed because the device is gone.
  void CloseIfGone();

  int fd_ = -1;
  bool pseudo_ = false;
  uint32_t baud_ = kLoaderBaud;
  PortTrouble trouble_ = PortTrouble::None;
};

}  // namespace rilo
