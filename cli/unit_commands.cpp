// read and write: the window's settings read and write, run through its Workbench on
// the port and clock given, for scripts on a production bench. The exit status is 0
// only when the command reached its own success message.
#include <exception>
#include <iostream>
#include <optional>

#include "cli/bench_operator.h"
#include "cli/commands.h"
#include "cli/session_preferences.h"
#include "cli/settings_files.h"
#include "core/ini_preferences.h"
#include "workbench/open_settings.h"
#include "workbench/save_settings.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

constexpr const char *kReadCaption = "讀取";
constexpr const char *kReadDone = "讀取設定完成!!";
constexpr const char *kWriteCaption = "寫入";
constexpr const char *kWriteDone = "寫入設定完成!!";
constexpr const char *kSavedCaption = "儲存檔案";
constexpr const char *kSaved = "儲存檔案完成!!";

// One unit on the bench: the Workbench started as the window starts it, with the
// stored flags and port mapping, the port of the command line and the person at the
// terminal. The port closes with the session.
struct UnitSession {
  UnitSession(Preferences &stored, const std::string &portName, bool yes, UnitLine unit,
              const VentrixApi &ventrix, const ProductLine &productLine)
      : person(yes),
        preferences(SessionPreferences(stored, portName)),
        bench(preferences, person, unit.port, unit.clock, ventrix, productLine) {
    bench.FormMenuCreate({});
    bench.FormMenuShow();
  }
  ~UnitSession() { bench.NQuitClick(); }
  UnitSession(const UnitSession &) = delete;
  UnitSession &operator=(const UnitSession &) = delete;

  BenchOperator person;
  MemoryPreferences preferences;
  Workbench bench;
};

std::optional<ProductLine> LoadProductLine() {
  std::string error;
  auto line = ReadProductLineBesideProgram(&error);
  if (!line) std::cerr << error << "\n";
  return line;
}

// Runs the steps of a command as the window runs a handler: a runtime error ends them
// with its message.
template <class Steps>
void Guarded(BenchOperator &person, Steps steps) {
  try {
    steps();
  } catch (const std::exception &e) {
    person.Message(kProgramTitle, e.what(), Icon::Error);
  }
}

int UsageError(const std::string &message) {
  std::cerr << message << "\n";
  return kExitUsage;
}

}  // namespace

int RunRead(const Arguments &args, const VentrixApi &ventrix, UnitLine unit) {
  std::string portName, out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      out = args[++i];
    } else if (args[i].starts_with("-") || !portName.empty()) {
      return UsageError("無法辨識的參數: " + args[i]);
    } else {
      portName = args[i];
    }
  }
  if (portName.empty() || out.empty()) return UsageError("用法: rilo-cli read PORT -o FILE.rilo");

  const auto productLine = LoadProductLine();
  if (!productLine) return kExitFailed;
  const auto stored = OpenPreferenceStore();
  UnitSession s(*stored, portName, false, unit, ventrix, *productLine);
  if (!s.bench.link().PortOpen()) return kExitFailed;  // the person has been told why

  bool prepared = false;
  Guarded(s.person, [&] {
    s.bench.NLoadSetClick();
    if (!s.person.Shown(kReadCaption, kReadDone)) return;
    // The file the save command would write: the identity goes into block 1 first.
    prepared = PrepareSettingsSave(s.bench.editor(), s.bench.flags(), ventrix, s.person);
  });
  if (!prepared) return kExitFailed;
  std::string error;
  if (!WriteSettingsFile(out, s.bench.editor().Image, &error)) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  s.person.Message(kSavedCaption, kSaved, Icon::Information);
  return kExitOk;
}

int RunWrite(const Arguments &args, const VentrixApi &ventrix, UnitLine unit) {
  std::string portName, file;
  bool yes = false;
  for (const std::string &word : args) {
    if (word == "--yes") {
      yes = true;
    } else if (word.starts_with("-") || !file.empty()) {
      return UsageError("無法辨識的參數: " + word);
    } else {
      (portName.empty() ? portName : file) = word;
    }
  }
  if (file.empty()) return UsageError("用法: rilo-cli write PORT FILE.rilo [--yes]");

  std::string error;
  const auto text = ReadFileText(file, &error);
  if (!text) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  const auto productLine = LoadProductLine();
  if (!productLine) return kExitFailed;
  const auto stored = OpenPreferenceStore();
  UnitSession s(*stored, portName, yes, unit, ventrix, *productLine);
  if (!s.bench.link().PortOpen()) return kExitFailed;  // the person has been told why

  Guarded(s.person, [&] {
    if (!OpenSettingsFile(s.bench.editor(), ventrix, s.person, *text)) return;
    s.bench.LoadedSource = 1;
    s.bench.NWriteSetClick();
  });
  return s.person.Shown(kWriteCaption, kWriteDone) ? kExitOk : kExitFailed;
}

}  // namespace rilo
