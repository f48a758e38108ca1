// doctor: the connection check of the window's 說明 menu on one port, for the first time
// a bench meets a unit. Nothing is written to the unit; the lines go to standard output.
// The exit status is 0 only when every step passed.
#include <iostream>
#include <memory>
#include <optional>

#include "cli/commands.h"
#include "cli/held_back.h"
#include "cli/session_preferences.h"
#include "core/ini_preferences.h"
#include "workbench/workbench.h"

namespace rilo {

int RunDoctor(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines) {
  if (args.size() != 1 || args[0].empty() || args[0].starts_with("-") ||
      args[0].find(',') != std::string::npos) {
    std::cerr << "用法: rilo-cli doctor PORT (一次診斷一個通信埠)\n";
    return kExitUsage;
  }
  std::string error;
  const std::optional<ProductLine> productLine = ReadProductLineBesideProgram(&error);
  if (!productLine) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  // The port's device as the window would open it.
  const std::unique_ptr<Preferences> stored = OpenReadablePreferenceStore(&error);
  if (!stored) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  MemoryPreferences preferences = SessionPreferences(*stored, args[0]);
  // A port that does not open is one of the check's own findings, not a message.
  HeldBack person;
  const UnitLine line = lines.Line(0);
  Workbench bench(preferences, person, line.port, line.clock, ventrix, *productLine);
  bench.FormMenuCreate({});
  bench.FormMenuShow();
  const ConnectionCheck check = bench.CheckConnection();
  bench.NQuitClick();
  for (const std::string &text : CheckReport(check))
    std::cout << text << "\n";
  return check.Passed() ? kExitOk : kExitFailed;
}

}  // namespace rilo
