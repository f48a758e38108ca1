#include "cli/production_run.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

#include "cli/run_log.h"
#include "cli/run_stop.h"
#include "cli/session_preferences.h"
#include "cli/status_display.h"
#include "cli/stopping_port.h"
#include "cli/terminal.h"
#include "core/ini_preferences.h"
#include "ledger/ledger_location.h"
#include "link/port_names.h"

namespace rilo {
namespace {

constexpr const char *kStoppedText = "已中斷 (Ctrl+C): ";

// What every worker shares: the job, the library, the product line, and the ledger
// each opens a connection of its own to.
struct RunShare {
  const UnitJob &job;
  const VentrixApi &ventrix;
  const ProductLine &productLine;
  std::string ledger;  // its location
  std::string bench;   // this host
};

// What one worker owns besides its session; the calling thread reads the record once
// the person says the unit is done.
struct PortRun {
  PortRun(BenchAnswers answers, bool progressLines, RunSignal &changed)
      : person(answers, progressLines, changed) {}
  BenchOperator person;
  UnitRecord record;
  std::string failure;                // where and why, as the summary names it
  std::optional<int64_t> reservedId;  // the code reserved for the unit
  bool idKept = false;                // the unit holds it (or may)
};

std::string Trimmed(const std::string &text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
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

// The unit as the session left it. A unit command's own record, as the ledger took
// it; else (the run stopped before one) what was identified and the identity fields.
void Describe(UnitSession &s, UnitRecord &record) {
  const UnitRecord &ran = s.bench.lastRecord();
  if (!ran.command.empty()) {
    const UnitRecord mine = record;
    record = ran;
    // The run's own names: the port as the command line gave it, the run's command.
    record.port = mine.port;
    record.command = mine.command;
    return;
  }
  record.kind = s.bench.loader().UnitRole();
  record.model = s.bench.editor().MachineType;
  record.loaderVersion = LoaderVersionText(s.bench.loader().LoaderVersion);
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

bool RunUnit(size_t port, const RunShare &share, MemoryPreferences preferences, UnitLine line, PortRun &run) {
  UnitSession s(std::move(preferences), line, share.ventrix, share.productLine, run.person);
  try {
    s.bench.UseLedger(OpenLedger(share.ledger), share.bench);
  } catch (const DatabaseError &e) {
    s.bench.LedgerUnusable(e.what());
  }
  s.reservedId = run.reservedId;
  std::optional<Outcome> outcome;
  try {
    // A port that cannot be opened has been told to the person; the error line says why.
    if (s.bench.link().PortOpen())
      outcome = share.job(port, s);
    else if (const std::string trouble = s.bench.PortTroubleText(); !trouble.empty())
      run.person.Fail(trouble);
  } catch (const std::exception &e) {
    run.person.Fail(e.what());
  }
  run.idKept = s.bench.reservedIdKept().value_or(false);
  Describe(s, run.record);
  const bool succeeded = outcome && outcome->done;
  // The unit's last step decides, a file saved after the unit command included.
  if (outcome && !outcome->portTrouble.empty()) run.person.Fail(outcome->portTrouble);
  if (outcome && outcome->leftErased) run.person.Fail(kLeftErasedText);
  if (outcome && !succeeded && outcome->Reason()) {
    run.failure = Placed(*outcome);
    if (!outcome->portTrouble.empty()) run.failure += " (" + outcome->portTrouble + ")";
    if (outcome->leftErased) run.failure += " (" + std::string(kLeftErasedText) + ")";
    run.record.failedStep = outcome->step;
    run.record.failedPage = outcome->page;
    run.record.failedAddress = outcome->differsAt ? AddressText(*outcome->differsAt) : "";
    run.record.firstMessage = outcome->Reason()->text;
  }
  return succeeded;
}

void Work(size_t port, const RunShare &share, MemoryPreferences preferences, UnitLine line, PortRun &run) {
  const uint32_t start = line.clock.Tick();
  run.person.SetPhase("開啟通信埠");
  bool succeeded = false;
  try {
    succeeded = RunUnit(port, share, std::move(preferences), line, run);
  } catch (const std::exception &e) {
    run.person.Fail(e.what());
  }
  run.record.succeeded = succeeded;
  if (!succeeded && run.failure.empty()) run.failure = run.record.firstMessage = run.person.FailureReason();
  if (!succeeded && StopRequested()) {
    run.failure = kStoppedText + run.failure;
    run.record.firstMessage = kStoppedText + run.record.firstMessage;
  }
  run.record.seconds = static_cast<uint32_t>(line.clock.Tick() - start) / 1000.0;
  run.record.time = UtcNow();
  run.person.Finish(succeeded);
}

void Summary(const std::vector<std::unique_ptr<PortRun>> &runs) {
  size_t succeeded = 0;
  std::string failures, used, unused;
  for (const auto &run : runs) {
    const UnitRecord &r = run->record;
    if (run->reservedId) {
      std::string &list = run->idKept ? used : unused;
      list += (list.empty() ? "" : ", ") + std::to_string(*run->reservedId) + " (" + r.port + ")";
    }
    if (r.succeeded) {
      ++succeeded;
      continue;
    }
    failures += r.port + " 失敗: " + run->failure + "\n";
  }
  std::cerr << "結果: " << runs.size() << " 台中 " << succeeded << " 台成功, " << runs.size() - succeeded
            << " 台失敗\n"
            << failures;
  if (!used.empty()) std::cerr << "已使用的 ID-CODE: " << used << "\n";
  if (!unused.empty()) std::cerr << "未使用的 ID-CODE: " << unused << "\n";
}

// One code per unit from the ledger, in one transaction, before any unit starts.
bool ReserveIds(const RunPlan &plan, Ledger &ledger, const std::string &bench,
                std::vector<std::unique_ptr<PortRun>> &runs) {
  int64_t from = plan.idFrom;
  if (from == 0) {
    const std::optional<int64_t> highest = ledger.LastId(0, 99999999);
    if (!highest) {
      std::cerr << "生產紀錄中還沒有 ID-CODE: 第一次請以 --id CODE 指定起點\n";
      return false;
    }
    from = *highest + 1;
  }
  // Within the model's codes: its two digits, then six.
  const int64_t last = from / 1000000 * 1000000 + 999999;
  const std::vector<int64_t> codes = ledger.ReserveIds(from, last, runs.size(), bench, plan.ports);
  if (codes.empty()) {
    std::cerr << "可用的 ID-CODE 不足: 自 " << from << " 起沒有 " << runs.size()
              << " 個未用的 ID-CODE,沒有機器被更動\n";
    return false;
  }
  for (size_t i = 0; i < runs.size(); ++i)
    runs[i]->reservedId = codes[i];
  return true;
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

bool TakeRunOption(const Arguments &args, size_t &i, RunPlan &plan) {
  const std::string &word = args[i];
  const bool hasValue = i + 1 < args.size();
  if (word == "--log" && hasValue) {
    plan.logPath = args[++i];
  } else if (word == "--ledger" && hasValue) {
    plan.ledger = args[++i];
  } else if (word == "--finish") {
    plan.answers.finish = true;
  } else if (word == "--allow-duplicate-id") {
    plan.answers.allowDuplicateId = true;
  } else {
    return false;
  }
  return true;
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
  // The store, read once: each session gets its own copy of what it needs. One that
  // cannot be read would send the units to default devices and the default ledger.
  std::string storeError;
  const std::unique_ptr<Preferences> stored = OpenReadablePreferenceStore(&storeError);
  if (!stored) {
    std::cerr << storeError << "\n";
    return kExitFailed;
  }
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
  if (!plan.inputUsable()) return kExitFailed;
  RunLog log;
  std::string error;
  if (!plan.logPath.empty() && !log.Open(plan.logPath, &error)) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  // The ledger is tried before any unit is touched: a unit command it cannot record or
  // journal must not start.
  const RunShare share{job, ventrix, *productLine,
                       plan.ledger.empty() ? stored->ReadString("Ledger").value_or("") : plan.ledger,
                       ThisBench()};
  std::unique_ptr<Ledger> ledger;
  try {
    ledger = OpenLedger(share.ledger);
  } catch (const DatabaseError &e) {
    std::cerr << "無法使用生產紀錄,沒有機器被更動: " << e.what() << "\n";
    return kExitFailed;
  }

  RunSignal changed;
  std::vector<std::unique_ptr<PortRun>> runs;
  std::vector<UnitLine> unitLines;
  std::deque<StoppingPort> stoppingPorts;
  CatchStopRequests();
  for (size_t i = 0; i < plan.ports.size(); ++i) {
    const UnitLine given = lines.Line(i);
    unitLines.push_back({stoppingPorts.emplace_back(given.port, StopRequested()), given.clock});
    runs.push_back(std::make_unique<PortRun>(plan.answers, plan.progressLines, changed));
    UnitRecord &record = runs.back()->record;
    record.bench = share.bench;
    record.port = plan.ports[i];
    record.device = DevicePath(plan.ports[i], preferences[i]);
    record.command = plan.command;
  }
  try {
    if (plan.reservesIds && !ReserveIds(plan, *ledger, share.bench, runs)) return kExitFailed;
  } catch (const DatabaseError &e) {
    std::cerr << "無法使用生產紀錄,沒有機器被更動: " << e.what() << "\n";
    return kExitFailed;
  }
  std::vector<std::thread> workers;
  for (size_t i = 0; i < plan.ports.size(); ++i)
    workers.emplace_back(Work, i, std::cref(share), std::move(preferences[i]), unitLines[i],
                         std::ref(*runs[i]));

  StatusDisplay display(std::cerr, plan.ports, StandardErrorRedraws());
  std::vector<bool> ended(runs.size(), false);
  size_t endedCount = 0;
  bool recorded = true;
  bool stopTold = false;
  while (endedCount < runs.size()) {
    const uint32_t seen = changed.Count();
    if (StopRequested() && !stopTold) {
      stopTold = true;
      std::cerr << "收到中斷要求: 每台機器在下一個安全的步驟停止並記錄 (再按一次 Ctrl+C 立即結束)\n";
    }
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
    if (endedCount < runs.size()) changed.WaitAfter(seen, std::chrono::milliseconds(200));
  }
  for (auto &worker : workers)
    worker.join();

  // A code no unit kept goes back, whatever stopped the unit before its command did.
  for (const auto &run : runs) {
    if (!run->reservedId || run->idKept) continue;
    try {
      ledger->ReleaseId(*run->reservedId);
    } catch (const DatabaseError &e) {
      std::cerr << "無法寫入生產紀錄: " << e.what() << "\n";
      recorded = false;
    }
  }
  if (runs.size() > 1 || StopRequested() || plan.reservesIds) Summary(runs);
  if (StopRequested()) return kExitStopped;
  for (const auto &run : runs)
    if (!run->record.succeeded) return kExitFailed;
  return recorded ? kExitOk : kExitFailed;
}

}  // namespace rilo
