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

PortTrouble OpenTrouble(DWORD error) {
  switch (error) {
    // A COM port held by another program answers access denied: there are no rights to
    // a port for a user to lack.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return PortTrouble::InUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
      return PortTrouble::Missing;
    default:
      return PortTrouble::NotSerial;
  }
}

}  // namespace

bool Win32SerialPort::Open(const std::string &device) {
  Close();
  handle_ = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    trouble_ = OpenTrouble(GetLastError());
    return false;
  }
  baud_ = kLoaderBaud;
  pseudo_ = false;
  dtr_.reset();
  rts_.reset();
  trouble_ = Configure();
  if (trouble_ == PortTrouble::None) return true;
  Close();  // the trouble stays told
  return false;
}

PortTrouble Win32SerialPort::Configure() {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) return PortTrouble::NotSerial;
  dcb.BaudRate = CBR_9600;
  dcb.fBinary = TRUE;
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONESTOPBIT;
  // No flow control of any kind: a loader adapter wires no CTS or DSR, and a driver
  // left with handshaking by another program would hold every write. The line modes
  // stay as the driver has them unless they are handshakes, which the loader entry's
  // own line changes would fight.
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fTXContinueOnXoff = TRUE;
  if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
  if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
  // A line error must not stop every later read and write until it is cleared.
  dcb.fAbortOnError = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fParity = FALSE;
  if (!SetCommState(handle_, &dcb) && !PseudoTerminalWithoutParity(handle_, dcb))
    return PortTrouble::NotConfigured;
  DWORD lines = 0;
  pseudo_ = !GetCommModemStatus(handle_, &lines);
  // Reads return at once with what is queued; a write may take its wire time (about
  // 1.15 ms a byte, counted as 2) and the margin.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutMultiplier = 2;
  timeouts.WriteTotalTimeoutConstant = kWriteMarginMs;
  return SetCommTimeouts(handle_, &timeouts) ? PortTrouble::None : PortTrouble::NotConfigured;
}

void Win32SerialPort::Close() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  // What a stalled adapter still holds would keep the close waiting for it.
  PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
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

bool Win32SerialPort::Write(const uint8_t *data, size_t count) {
  if (!IsOpen()) return false;
  const ULONGLONG start = GetTickCount64();
  DWORD written = 0;
  const bool ok = WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr) != 0;
  if (ok && written == count) {
    // A USB adapter, or a pseudo-terminal under Wine whose far end (the simulated unit)
    // carries the bytes at the line's rate itself, may take them before they are on
    // the line: no byte is there sooner than its wire time after the first.
    const ULONGLONG onWire = start + WireMillis(count, baud_);
    for (ULONGLONG now = GetTickCount64(); now < onWire; now = GetTickCount64())
      Sleep(static_cast<DWORD>(onWire - now));
    trouble_ = PortTrouble::None;
    return true;
  }
  // A short write is the write time-out: the rest did not go out in time.
  if (!ok) CloseIfGone();
  if (IsOpen()) PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
  trouble_ = PortTrouble::NotSending;
  return false;
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
  if (!IsOpen()) return;
  EscapeCommFunction(handle_, on ? SETDTR : CLRDTR);
  dtr_ = on;
}

void Win32SerialPort::SetRts(bool on) {
  if (!IsOpen()) return;
  EscapeCommFunction(handle_, on ? SETRTS : CLRRTS);
  rts_ = on;
}

bool Win32SerialPort::SetBaudRate(uint32_t baud) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!IsOpen() || !GetCommState(handle_, &dcb)) return false;
  dcb.BaudRate = baud;
  // SetCommState applies the line modes too: each is set to the level the line has now,
  // or a unit in its loader would be reset by the change of rate.
  if (dtr_) dcb.fDtrControl = *dtr_ ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  if (rts_) dcb.fRtsControl = *rts_ ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  if (!SetCommState(handle_, &dcb)) return false;
  baud_ = baud;
  return true;
}

}  // namespace rilo

#endif
