// The window's preferences as a command at the terminal uses them. The stored store
// is only read: a command must not complete, with defaults, a store the window has
// not finished writing, nor change the window's own choices.
#pragma once

#include <string>

#include "core/preferences.h"

namespace rilo {

// A complete store for a Workbench that talks to `port` (a COMn name or a device
// path): the stored feature flags (a missing one is 0, CustomerInfo 1 as by default),
// the stored device of `port`, and nothing else of the window.
MemoryPreferences SessionPreferences(Preferences &stored, const std::string &port);

// The port the window opens at its next start: the stored one when the whole set of
// values reads, else COM1, as the window then falls back to its defaults.
std::string StoredPortName(Preferences &stored);

// The preference that names the device behind "COMn" on systems without COM ports.
std::string PortDeviceKey(const std::string &comName);

}  // namespace rilo
