// From the stored port name ("COM1".."COM16") to the device the system opens.
#pragma once

#include <string>
#include <string_view>

#include "core/preferences.h"

namespace rilo {

// Windows: "COM10".."COM16" need the "\\.\" prefix; every other name is used unchanged.
std::string WindowsDevicePath(const std::string &portName);

// Elsewhere: "COMn" is the device named by the preference "PortDevice.COMn", by default
// /dev/ttyS{n-1}; any other name, such as a full device path, is used unchanged.
std::string PosixDevicePath(const std::string &portName, Preferences &preferences);

// The mapping of this system.
std::string DevicePath(const std::string &portName, Preferences &preferences);

// Whether `device` may be stored as a port's device: a control character (a line break
// above all) is in no device's name, and would not show where the name is shown.
bool IsStorableDevicePath(std::string_view device);

}  // namespace rilo
