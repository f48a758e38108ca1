// A serial port on Windows through the Win32 communications API. Synchronous I/O and
// no timeouts: the link reads only what ClearCommError reports as queued. A device
// that went away (the errors its driver then answers) closes the port.
#pragma once

#if defined(_WIN32)

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

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
  void Write(const uint8_t *data, size_t count) override;
  size_t BytesWaiting() override;
  size_t Read(uint8_t *into, size_t count) override;
  void SetDtr(bool on) override;
  void SetRts(bool on) override;

 private:
  // Closes the port when the last call failed because the device is gone.
  void CloseIfGone();

  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace rilo

#endif
