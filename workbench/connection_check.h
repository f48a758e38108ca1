// The connection check a technician runs at first contact with a unit: the port, the
// line, the loader and the unit behind it, step by step, each found OK or failed with
// its reason and what to do. It is built from the loader operations the commands use
// and writes nothing to the unit: reads only (with the loader's RAM patch where a read
// needs it).
#pragma once

#include <string>
#include <vector>

#include "core/operator.h"
#include "core/ventrix_api.h"
#include "link/link.h"
#include "link/loader.h"

namespace rilo {

inline constexpr const char *kConnectionCheckStep = "連線診斷";

// The steps in their order; each needs the ones before it, except that the settings
// are read from a unit whose identity is wrong, and the reply times are taken from any
// loader that answered.
enum class CheckStep { Device = 1, Open, Line, Loader, Unit, Settings, ReplyTime };
inline constexpr int kCheckSteps = 7;

struct CheckLine {
  CheckStep step = CheckStep::Device;
  bool ok = false;
  std::string found;   // what was found; for a failure, what went wrong
  std::string advice;  // for a failure, what to do about it
};

struct ConnectionCheck {
  std::vector<CheckLine> lines;
  // Every step ran and passed.
  bool Passed() const;
};

// The port as the person named it (COM3, /dev/ttyUSB0) and the device that name opens.
struct CheckedPort {
  std::string name;
  std::string device;
};

// Opens the port afresh and looks at everything behind it. `person` sees the progress
// only. The loader's link state (RTS polarity, identification, InfoPage) is left as the
// check found it, as after any command.
ConnectionCheck CheckConnection(const CheckedPort &port, Link &link, Loader &loader,
                                const VentrixApi &ventrix, Operator &person);

// "1 OK   裝置: …", "2 FAIL 開啟: … 處理: …"
std::string CheckLineText(const CheckLine &line);
// Every line, then the verdict: "結果: 7 項全部通過", or the failed steps and those not run.
std::vector<std::string> CheckReport(const ConnectionCheck &check);

}  // namespace rilo
