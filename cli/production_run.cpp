#include "cli/production_run.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

#include "cli/run_log.h"
#include "cli/session_preferences.h"
#include "cli/status_display.h"
#include "cli/terminal.h"
#include "core/ini_preferences.h"
#include "link/port_names.h"

namespace rilo {
namespace {

// What one worker owns besides its session; the calling thread reads the record once
// the person says the unit is done.
struct PortRun {
  PortRun(bool yes, bool progressLines, RunSignal &changed) : person(yes, progressLines, changed) {}
  BenchOperator person;
  UnitRecord record;
  std::string failure;  // where and why, as the summary names it
};

std::string Trimmed(const std::string &text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string VersionText(uint16_t version) {
  if (version == 0) return "";
  char text[8];
  std::snprintf(text, sizeof text, "%X.%02X", version >> 8, version & 0xFF);
  return text;
}

std::string AddressText(uint16_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", address);
  return text;
}

// An identity field's text, empty when it holds no more than its empty value: the
// model code alone, or the date's bare mask.
std::string Filled(const std::string &text) {
  const std::string trimmed = Trimmed(text);
  return trimmed.size() <= 2 || trimmed == "20  /  /" ? "" : trimmed;
}

// The unit as the session left it: what was identified and the identity fields.
void Describe(UnitSession &s, UnitRecord &record) {
  record.kind = s.bench.loader().UnitRole();
  record.model = s.bench.editor().MachineType;
  record.loaderVersion = VersionText(s.bench.loader().LoaderVersion);
  const auto &form = s.bench.editor().form;
  record.id = Filled(form.EEqupmentID.text);
  record.serial = Filled(form.EEqupmentSN.text);
  record.date = Filled(form.EEqupmentDate.text);
}

// Where a failed outcome stopped and why, as its first error (else its last word) says
// it: "寫入接收機 12/75: 寫入接收機程式失敗,請再試一次".
std::string Placed(const Outcome &outcome) {
  const Said *reason = outcome.Reason();
  std::string where = outcome.step;
  if (outcome.pages > 0) where += " " + std::to_string(outcome.page) + "/" + std::to_string(outcome.pages);
  if (!reason) return where;
  std::string text = reason->text;
  if (reason->question) text += reason->answer ? " 確定" : " 取消";
  return where.empty() ? text : where + ": " + text;
}

bool RunUnit(size_t port, const UnitJob &job, MemoryPreferences preferences, UnitLine line,
             const VentrixApi &ventrix, const ProductLine &productLine, PortRun &run) {
  UnitSession s(std::move(preferences), line, ventrix, productLine, run.person);
  bool succeeded = false;
  try {
    // A port that cannot be opened has been told to the person.
    if (s.bench.link().PortOpen()) {
      const Outcome outcome = job(port, s);
      succeeded = outcome.done;
      if (!succeeded && outcome.Reason()) {
        run.failure = Placed(outcome);
        run.record.failedStep = outcome.step;
        run.record.failedPage = outcome.page;
        if (outcome.differsAt) run.record.failedAddress = AddressText(*outcome.differsAt);
        run.record.firstMessage = outcome.Reason()->text;
      }
    }
  } catch (const std::exception &e) {
    run.person.Fail(e.what());
  }
  Describe(s, run.record);
  return succeeded;
}

void Work(size_t port, const UnitJob &job, MemoryPreferences preferences, UnitLine line,
          const VentrixApi &ventrix, const ProductLine &productLine, PortRun &run) {
  const uint32_t start = line.clock.Tick();
  run.person.SetPhase("開啟通信埠");
  bool succeeded = false;
  try {
    succeeded = RunUnit(port, job, std::move(preferences), line, ventrix, productLine, run);
  } catch (const std::exception &e) {
    run.person.Fail(e.what());
  }
  run.record.succeeded = succeeded;
  if (!succeeded && run.failure.empty()) run.failure = run.record.firstMessage = run.person.FailureReason();
  run.record.seconds = static_cast<uint32_t>(line.clock.Tick() - start) / 1000.0;
  run.record.time = UtcNow();
  run.person.Finish(succeeded);
}

void Summary(const RunPlan &plan, const std::vector<std::unique_ptr<PortRun>> &runs) {
  size_t succeeded = 0;
  std::string failures, unused;
  for (const auto &run : runs) {
    const UnitRecord &r = run->record;
    if (r.succeeded) {
      ++succeeded;
      continue;
    }
    failures += r.port + " 失敗: " + run->failure + "\n";
    if (plan.assignsIds) unused += (unused.empty() ? "" : ", ") + r.id + " (" + r.port + ")";
  }
  std::cerr << "結果: " << runs.size() << " 台中 " << succeeded << " 台成功, " << runs.size() - succeeded
            << " 台失敗\n"
            << failures;
  if (!unused.empty()) std::cerr << "未使用的 ID-CODE: " << unused << "\n";
}

// The product-line data beside the program; nothing, after saying why, when it is unusable.
std::optional<ProductLine> LoadProductLine() {
  std::string error;
  auto line = ReadProductLineBesideProgram(&error);
  if (!line) std::cerr << error << "\n";
  return line;
}

}  // namespace

Outcome Refused(BenchOperator &person, const std::string &step, const std::string &text) {
  person.Fail(text);
  Outcome refused;
  refused.step = step;
  refused.messages.push_back({"", text, Icon::Error});
  return refused;
}

int UsageError(const std::string &message) {
  std::cerr << message << "\n";
  return kExitUsage;
}

std::vector<std::string> SplitPortList(const std::string &list, std::string *error) {
  std::vector<std::string> ports;
  size_t from = 0;
  while (true) {
    const size_t comma = list.find(',', from);
    ports.push_back(list.substr(from, comma - from));
    if (ports.back().empty()) {
      *error = "通信埠清單中有空的名稱: " + list;
      return {};
    }
    if (comma == std::string::npos) return ports;
    from = comma + 1;
  }
}

std::string ForPort(const std::string &pattern, const std::string &port) {
  static constexpr std::string_view kPlaceholder = "{port}";
  const std::string name = std::filesystem::path(port).filename().string();
  std::string text = pattern;
  for (size_t at = text.find(kPlaceholder); at != std::string::npos;
       at = text.find(kPlaceholder, at + name.size()))
    text.replace(at, kPlaceholder.size(), name);
  return text;
}

bool EachPortHasItsOwnFile(const std::vector<std::string> &ports, const std::string &pattern,
                           std::string *error) {
  std::set<std::string> files;
  for (const auto &port : ports) {
    if (files.insert(ForPort(pattern, port)).second) continue;
    *error = "每個通信埠需有自己的檔案, 在 -o 的檔名中加上 {port}: " + pattern;
    return false;
  }
  return true;
}

int RunOnEveryPort(const RunPlan &plan, UnitLines &lines, const VentrixApi &ventrix, const UnitJob &job) {
  const std::optional<ProductLine> productLine = LoadProductLine();
  if (!productLine) return kExitFailed;
  // The store, read once: each session gets its own copy of what it needs.
  const std::unique_ptr<Preferences> stored = OpenPreferenceStore();
  std::vector<MemoryPreferences> preferences;
  std::set<std::string> devices;
  for (const auto &port : plan.ports) {
    preferences.push_back(SessionPreferences(*stored, port));
    if (plan.factory) preferences.back().WriteBool("Factory", true);
    const std::string device = DevicePath(port, preferences.back());
    if (!devices.insert(device).second) {
      std::cerr << "同一個裝置不能列兩次: " << port << " (" << device << ")\n";
      return kExitUsage;
    }
  }
  RunLog log;
  std::string error;
  if (!plan.logPath.empty() && !log.Open(plan.logPath, &error)) {
    std::cerr << error << "\n";
    return kExitFailed;
  }

  RunSignal changed;
  std::vector<std::unique_ptr<PortRun>> runs;
  std::vector<UnitLine> unitLines;
  for (size_t i = 0; i < plan.ports.size(); ++i) {
    unitLines.push_back(lines.Line(i));
    runs.push_back(std::make_unique<PortRun>(plan.yes, plan.progressLines, changed));
    UnitRecord &record = runs.back()->record;
    record.port = plan.ports[i];
    record.device = DevicePath(plan.ports[i], preferences[i]);
    record.command = plan.command;
  }
  std::vector<std::thread> workers;
  for (size_t i = 0; i < plan.ports.size(); ++i)
    workers.emplace_back(Work, i, std::cref(job), std::move(preferences[i]), unitLines[i], std::cref(ventrix),
                         std::cref(*productLine), std::ref(*runs[i]));

  StatusDisplay display(std::cerr, plan.ports, StandardErrorRedraws());
  std::vector<bool> ended(runs.size(), false);
  size_t endedCount = 0;
  bool recorded = true;
  while (endedCount < runs.size()) {
    const uint32_t seen = changed.Count();
    std::vector<PortView> views;
    for (const auto &run : runs)
      views.push_back(run->person.Look());
    display.Show(views);
    for (size_t i = 0; i < runs.size(); ++i) {
      if (ended[i] || views[i].state == PortView::State::Running) continue;
      ended[i] = true;
      ++endedCount;
      if (!plan.logPath.empty() && recorded && !log.Append(runs[i]->record, &error)) {
        std::cerr << error << "\n";
        recorded = false;
      }
    }
    if (endedCount < runs.size()) changed.WaitAfter(seen);
  }
  for (auto &worker : workers)
    worker.join();

  if (runs.size() > 1) Summary(plan, runs);
  for (const auto &run : runs)
    if (!run->record.succeeded) return kExitFailed;
  return recorded ? kExitOk : kExitFailed;
}

}  // namespace rilo
