// A unit command over every port of its PORT list at once: one worker thread per
// port, each with its own session (Workbench, port, clock, person, buffers), so a
// fault on one port never stops or slows the others. The preference store is read
// once, before any worker starts, and never written. The calling thread alone writes
// to the terminal (StatusDisplay) and to the record (RunLog); once every unit has
// ended it names each failed port and why. With one port a command shows what it
// has always shown.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/unit_session.h"
#include "core/outcome.h"
#include "core/preferences.h"
#include "core/ventrix_api.h"
#include "link/product_line.h"

namespace rilo {

struct RunPlan {
  std::string command;  // as the record names it: read, write, write-firmware
  std::vector<std::string> ports;
  std::string logPath;         // empty: no record
  BenchAnswers answers;        // how the questions are answered
  std::string ledger;          // --ledger: where the ledger is; empty for the stored or default one
  bool factory = false;        // the window's factory section, where the firmware commands live
  bool progressLines = false;  // output that is not a terminal shows the progress bar too
  // Receivers' ID codes: one per unit reserved from the ledger before any unit starts,
  // the lowest free at or after `idFrom` (0, --id next: after the highest the ledger
  // holds), within the model's codes.
  bool reservesIds = false;
  int64_t idFrom = 0;
  // The command's own file, judged once the command line is known to be good and before
  // any port is opened: false after saying why.
  std::function<bool()> inputUsable = [] { return true; };
};

// One unit's part of the command, run by its worker once the session's port is open:
// answers the outcome of the unit's last command; the unit succeeded when it is done.
// `port` indexes the PORT list. A code the run reserved for the unit is in the session.
using UnitJob = std::function<Outcome(size_t port, UnitSession &session)>;

// A unit's failure of the command line's own, outside the window's commands: told to
// the person and answered as a failed outcome of `step`.
Outcome Refused(BenchOperator &person, const std::string &step, const std::string &text);

// The ports of a PORT argument ("COM3,COM4,/dev/ttyUSB0"), in order; nothing, with
// the reason in *error, for an empty name.
std::vector<std::string> SplitPortList(const std::string &list, std::string *error);

// `pattern` with every "{port}" replaced by the port's name as a file name takes it
// (a device path's last part).
std::string ForPort(const std::string &pattern, const std::string &port);

// True when `pattern` gives every port a file of its own; otherwise false, with the
// reason in *error, before any unit is touched.
bool EachPortHasItsOwnFile(const std::vector<std::string> &ports, const std::string &pattern,
                           std::string *error);

// The options every unit command takes: --log FILE, --ledger URL, --finish,
// --allow-duplicate-id. True when args[i] was one (i then at its last word).
bool TakeRunOption(const Arguments &args, size_t &i, RunPlan &plan);
// How the usage texts show them.
inline constexpr const char *kRunOptionsUsage = "[--log FILE.csv] [--ledger URL] [--finish]";

// Says what is wrong with the command line and answers its exit code.
int UsageError(const std::string &message);

// Runs `job` on every port of the plan, with the product-line data beside the program
// and the stored preferences, and answers the exit code: 0 only when every unit
// succeeded and the record, if any, took every line. Two names for one device are a
// usage error; unusable product-line data, a record or a ledger that cannot be opened,
// or too few free ID codes fail the run before any unit. A run the person stopped
// (Ctrl+C) ends with every unit recorded as it stood and exit status 130.
int RunOnEveryPort(const RunPlan &plan, UnitLines &lines, const VentrixApi &ventrix, const UnitJob &job);

}  // namespace rilo
