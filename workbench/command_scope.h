// One command at a time, with the busy look while it runs, and the command's outcome.
// The look is put back on every way out, early returns and runtime errors included.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "link/port_names.h"
#include "workbench/workbench.h"

namespace rilo {

inline constexpr const char *kLedgerCaption = "生產紀錄";
inline constexpr const char *kLedgerUnusable = "無法使用生產紀錄,機器未被更動: ";
inline constexpr const char *kLedgerNotRecorded = "無法寫入生產紀錄: ";

class Workbench::CommandScope {
 public:
  // `busyLook`: hourglass and translucent window, and the progress bar full at the end.
  CommandScope(Workbench &bench, bool busyLook) : bench_(bench), busyLook_(busyLook) {
    if (bench_.commandRunning_) return;
    bench_.commandRunning_ = owner_ = true;
    if (busyLook_) bench_.op_.SetBusy(true);
  }
  ~CommandScope() {
    if (!owner_) return;
    if (busyLook_) {
      bench_.op_.SetBusy(false);
      bench_.op_.SetProgress(kFullBar);
      bench_.op_.ShowPhase("");
    }
    bench_.commandRunning_ = false;
  }
  CommandScope(const CommandScope &) = delete;
  CommandScope &operator=(const CommandScope &) = delete;

  // False when another command was already running: this one must not start.
  bool Started() const { return owner_; }

 private:
  static constexpr int kFullBar = 500;
  Workbench &bench_;
  bool busyLook_;
  bool owner_ = false;
};

template <class Steps>
Outcome Workbench::Run(const char *step, bool busyLook, Steps steps) {
  std::optional<std::string> error;
  bool done = false;
  {
    CommandScope scope(*this, busyLook);
    if (!scope.Started()) {
      Outcome refused;
      refused.step = step;
      return refused;
    }
    op_.Begin(step);
    try {
      done = steps();
    } catch (const std::exception &e) {
      error = e.what();
    }
    // What the handshake read stays the identity page the editor and the version show.
    identityPage_ = loader_.InfoPage;
  }
  // Told as the window's exception box tells it: once the busy look is gone.
  if (error) {
    op_.Message(kProgramTitle, *error, Icon::Error);
    done = false;
  }
  return op_.End(done);
}

template <class Steps>
Outcome Workbench::RunOnUnit(const char *step, const char *command, Steps steps) {
  if (commandRunning_) return Run(step, false, steps);  // refused, as every other
  if (!ledgerProblem_.empty()) {
    return Run(step, false, [this] {
      op_.Message(kLedgerCaption, kLedgerUnusable + ledgerProblem_, Icon::Error);
      return false;
    });
  }
  journal_.Use(ledger_.get(), {ledgerBench_, portName_, DevicePath(portName_, store_)});
  const uint32_t start = clock_.Tick();
  journal_.Begin();
  link_.ClearTrouble();
  const int handshakes = steps_.handshakes;
  Outcome outcome = Run(step, true, steps);
  if (steps_.handshakes != handshakes) SeeUnit();
  outcome.portTrouble = PortTroubleText();
  lastRecord_ = RecordOf(outcome, command, start);
  if (!ledger_) return outcome;
  try {
    KeepOrReleaseId(outcome, command);
    ledger_->Record(lastRecord_);
  } catch (const std::exception &e) {
    // Told, and the command counts as failed: a unit the ledger does not know of is
    // one the factory cannot account for.
    const std::string text = kLedgerNotRecorded + std::string(e.what());
    op_.Message(kLedgerCaption, text, Icon::Error);
    outcome.messages.push_back({kLedgerCaption, text, Icon::Error});
    outcome.done = false;
  }
  return outcome;
}

}  // namespace rilo
