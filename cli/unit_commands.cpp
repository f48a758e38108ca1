// read and write: the window's settings read and write, run through its Workbench on
// each port of the command line at once, for scripts on a production bench. The exit
// status is 0 only when every unit's commands ended done.
#include <iostream>
#include <optional>
#include <vector>

#include "cli/commands.h"
#include "cli/held_back.h"
#include "cli/production_run.h"
#include "cli/settings_files.h"
#include "core/outcome.h"
#include "settings/short_date.h"
#include "workbench/open_settings.h"

namespace rilo {
namespace {

constexpr const char *kReadUsage =
    "用法: rilo-cli read PORT[,PORT...] -o FILE.rilo [--log FILE.csv] [--ledger URL] [--finish]";
constexpr const char *kWriteUsage =
    "用法: rilo-cli write PORT[,PORT...] FILE.rilo [--yes] [--allow-duplicate-id] [--log FILE.csv] [--ledger "
    "URL] "
    "[--finish]";

// The settings file opened as each unit's session will open it: one the units could not
// take is said to be so before any port is opened, not taken for a unit that does not
// answer.
bool OpensAsSettings(const std::string &text, const VentrixApi &ventrix) {
  HeldBack person;
  const FeatureFlags flags;
  const PageFrame noUnit{};
  Editor editor(flags, person, ventrix, noUnit, SystemShortDate);
  if (OpenSettingsFile(editor, ventrix, person, text)) return true;
  for (const Said &said : person.said)
    std::cerr << said.caption << ": " << said.text << "\n";
  return false;
}

}  // namespace

int RunRead(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines) {
  std::string portList, out;
  RunPlan plan;
  plan.command = "read";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      out = args[++i];
    } else if (TakeRunOption(args, i, plan)) {
    } else if (args[i].starts_with("-") || !portList.empty()) {
      return UsageError("無法辨識的參數: " + args[i]);
    } else {
      portList = args[i];
    }
  }
  if (portList.empty() || out.empty()) return UsageError(kReadUsage);
  std::string error;
  plan.ports = SplitPortList(portList, &error);
  if (plan.ports.empty()) return UsageError(error);
  if (!EachPortHasItsOwnFile(plan.ports, out, &error)) return UsageError(error);

  return RunOnEveryPort(plan, lines, ventrix, [&](size_t port, UnitSession &s) {
    s.person.SetPhase("讀取設定");
    Outcome read = s.bench.NLoadSetClick();
    if (!read.done) return read;
    // The save command's settings file, the identity folded into block 1 first.
    s.person.SetPhase("儲存檔案");
    return s.bench.SaveFile(ForPort(out, plan.ports[port]));
  });
}

int RunWrite(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines) {
  std::string portList, file;
  RunPlan plan;
  plan.command = "write";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      plan.answers.yes = true;
    } else if (TakeRunOption(args, i, plan)) {
    } else if (args[i].starts_with("-") || !file.empty()) {
      return UsageError("無法辨識的參數: " + args[i]);
    } else {
      (portList.empty() ? portList : file) = args[i];
    }
  }
  if (file.empty()) return UsageError(kWriteUsage);
  std::string error;
  plan.ports = SplitPortList(portList, &error);
  if (plan.ports.empty()) return UsageError(error);

  // Read once; every unit's session parses the same text.
  const auto text = ReadFileText(file, &error);
  if (!text) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  plan.inputUsable = [&] { return OpensAsSettings(*text, ventrix); };
  return RunOnEveryPort(plan, lines, ventrix, [&](size_t, UnitSession &s) {
    s.person.SetPhase("開啟檔案");
    Outcome opened = s.bench.OpenSettingsText(*text);
    if (!opened.done) return opened;
    s.person.SetPhase("寫入設定");
    return s.bench.NWriteSetClick();
  });
}

}  // namespace rilo
