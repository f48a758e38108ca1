// The serial devices a Linux system has, for the person to pick a port's device from:
// the stable names udev gives USB adapters first, then the kernel's own names.
#pragma once

#include <string>
#include <vector>

namespace rilo {

struct SerialDevice {
  std::string path;    // what is stored: "/dev/serial/by-id/usb-FTDI_…-if00-port0", "/dev/ttyUSB0"
  std::string target;  // a by-id name's device ("/dev/ttyUSB0"); empty for a kernel name
  bool operator==(const SerialDevice &) const = default;
};

// Under `dev` (the system's /dev; a scratch folder in tests): serial/by-id's names with
// the devices they lead to, then ttyS*, ttyUSB* and ttyACM*, each kind in number order.
std::vector<SerialDevice> ListSerialDevices(const std::string &dev = "/dev");

}  // namespace rilo
