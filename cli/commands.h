// The subcommands of rilo-cli. Each takes its own arguments (the words after its
// name), writes its data to standard output and its complaints to standard error,
// and answers the program's exit code.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/serial_port.h"
#include "core/ventrix_api.h"

namespace rilo {

using Arguments = std::vector<std::string>;

struct Command {
  std::string_view name;
  std::string_view usage;  // the arguments, as the usage text shows them
  int (*run)(const Arguments &args, const VentrixApi &ventrix);
};

// What a unit command reaches one unit through: the serial port and the clock of one
// Workbench. The port is opened by the command (with the device its port name names)
// and closed when it ends; the clock passes every wait. The program gives the system's
// serial port and the steady clock; tests give the in-process simulated unit and its
// virtual clock.
struct UnitLine {
  SerialPort &port;
  Clock &clock;
};

// The lines to the units of a command's PORT list, one for each port in list order.
// Each line serves one unit and is used by that unit's worker thread alone.
class UnitLines {
 public:
  virtual ~UnitLines() = default;
  // Asked once for each port, before any unit starts.
  virtual UnitLine Line(size_t port) = 0;
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the command could not do its work
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

int RunShow(const Arguments &args, const VentrixApi &ventrix);
int RunSet(const Arguments &args, const VentrixApi &ventrix);
int RunRead(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines);
int RunWrite(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines);
int RunReadFirmware(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines);
int RunWriteFirmware(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines);
int RunPort(const Arguments &args, const VentrixApi &ventrix);
int RunDoctor(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines);
int RunConvert(const Arguments &args, const VentrixApi &ventrix);
int RunLedger(const Arguments &args, const VentrixApi &ventrix);

}  // namespace rilo
