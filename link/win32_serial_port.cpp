#if defined(_WIN32)

#include "link/win32_serial_port.h"

namespace rilo {
namespace {

// A pseudo-terminal that Wine maps as a COM port keeps no parity, so SetCommState
// with even parity fails there; it has no modem lines either, which tells it from a
// real port. Such a port is used without parity, as the POSIX port uses one; a real
// port's refusal stands.
bool PseudoTerminalWithoutParity(HANDLE handle, DCB dcb) {
  DWORD lines = 0;
  if (GetCommModemStatus(handle, &lines)) return false;
  dcb.Parity = NOPARITY;
  return SetCommState(handle, &dcb) != 0;
}

}  // namespace

bool Win32SerialPort::Open(const std::string &device) {
  Close();
  handle_ = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  // Only these fields change; flow control and line modes stay as the driver has them.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  bool ok = GetCommState(handle_, &dcb) != 0;
  dcb.BaudRate = CBR_9600;
  dcb.fBinary = TRUE;
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONESTOPBIT;
  ok = ok && (SetCommState(handle_, &dcb) != 0 || PseudoTerminalWithoutParity(handle_, dcb));
  if (!ok) Close();
  return ok;
}

void Win32SerialPort::Close() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

void Win32SerialPort::CloseIfGone() {
  switch (GetLastError()) {
    // What the serial drivers answer once their device was unplugged.
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_FILE_NOT_FOUND:
      Close();
      break;
    default:
      break;
  }
}

void Win32SerialPort::PurgeInput() {
  if (IsOpen() && !PurgeComm(handle_, PURGE_RXCLEAR)) CloseIfGone();
}

void Win32SerialPort::Write(const uint8_t *data, size_t count) {
  DWORD written = 0;
  if (IsOpen() && !WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr)) CloseIfGone();
}

size_t Win32SerialPort::BytesWaiting() {
  DWORD errors = 0;
  COMSTAT status{};
  if (!IsOpen()) return 0;
  if (!ClearCommError(handle_, &errors, &status)) {
    CloseIfGone();
    return 0;
  }
  return status.cbInQue;
}

size_t Win32SerialPort::Read(uint8_t *into, size_t count) {
  DWORD read = 0;
  if (!IsOpen()) return 0;
  if (!ReadFile(handle_, into, static_cast<DWORD>(count), &read, nullptr)) {
    CloseIfGone();
    return 0;
  }
  return read;
}

// A port without modem lines (a pseudo-terminal under Wine) refuses these: that says
// nothing of the device being gone, which the next read or write finds out.
void Win32SerialPort::SetDtr(bool on) {
  if (IsOpen()) EscapeCommFunction(handle_, on ? SETDTR : CLRDTR);
}

void Win32SerialPort::SetRts(bool on) {
  if (IsOpen()) EscapeCommFunction(handle_, on ? SETRTS : CLRRTS);
}

}  // namespace rilo

#endif
