// The real serial port of the system the tool was built for.
#pragma once

#if defined(_WIN32)
#include "link/win32_serial_port.h"
namespace rilo {
using SystemSerialPort = Win32SerialPort;
}
#else
#include "link/posix_serial_port.h"
namespace rilo {
using SystemSerialPort = PosixSerialPort;
}
#endif
