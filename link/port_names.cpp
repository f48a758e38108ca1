#include "link/port_names.h"

#include <string_view>

namespace rilo {
namespace {

// n of "COMn" with n >= 1 written without leading zeros, or 0.
int ComNumber(std::string_view name) {
  if (name.substr(0, 3) != "COM" || name.size() < 4 || name.size() > 6 || name[3] == '0') return 0;
  int n = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

std::string WindowsDevicePath(const std::string &portName) {
  for (int n = 10; n <= 16; ++n)
    if (portName == "COM" + std::to_string(n)) return "\\\\.\\" + portName;
  return portName;
}

std::string PosixDevicePath(const std::string &portName, Preferences &preferences) {
  const int n = ComNumber(portName);
  if (n == 0) return portName;
  const auto stored = preferences.ReadString("PortDevice." + portName);
  if (stored && !stored->empty()) return *stored;
  return "/dev/ttyS" + std::to_string(n - 1);
}

std::string DevicePath(const std::string &portName, Preferences &preferences) {
#if defined(_WIN32)
  (void)preferences;
  return WindowsDevicePath(portName);
#else
  return PosixDevicePath(portName, preferences);
#endif
}

bool IsStorableDevicePath(std::string_view device) {
  for (const char c : device)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

}  // namespace rilo
