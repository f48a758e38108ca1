// A serial port on Windows through the Win32 communications API, synchronous I/O. The
// driver's flow control and abort-on-error are turned off, reads return at once with
// what is queued (the link reads only what ClearCommError reports), and a write has a
// time-out from its byte count. A device that went away (the errors its driver then
// answers) closes the port.
#pragma once

#if defined(_WIN32)

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>

#include "base/serial_port.h"

namespace rilo {

class Win32SerialPort : public SerialPort {
 public:
  Win32SerialPort() = default;
  Win32SerialPort(const Win32SerialPort &) = delete;
  Win32SerialPort &operator=(const Win32SerialPort &) = delete;
  ~Win32SerialPort() override { Close(); }

  bool Open(const std::string &device) override;
  void Close() override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

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
  // Closes the port when the last call failed because the device is gone.
  void CloseIfGone();

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  PortTrouble trouble_ = PortTrouble::None;
  uint32_t baud_ = kLoaderBaud;
  bool pseudo_ = false;  // no modem lines: a pseudo-terminal mapped as a COM port by Wine
  // The levels the loader entry last gave DTR and RTS; none until it moved them.
  std::optional<bool> dtr_, rts_;
};

}  // namespace rilo

#endif
