// The person at a production bench, one for each unit of a run. A question is
// answered by the command line: finishing a stopped command's work only with --finish,
// writing an ID code the ledger holds for another receiver only with
// --allow-duplicate-id, any other question OK only with --yes. What the
// unit's worker shows (messages, the step it is at, the progress bar, the outcome)
// waits here for the run's display, which alone writes to the terminal; the worker and
// the display meet only under this object's lock.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/run_signal.h"
#include "core/operator.h"

namespace rilo {

// A line a unit said: a message, or where its progress bar stands.
struct SaidLine {
  std::string text;
  bool progress = false;  // a terminal shows the bar in the status block instead
};

// A unit's status as the display sees it.
struct PortView {
  enum class State { Running, Succeeded, Failed };
  std::string phase;
  int position = 0;
  int maximum = 0;              // 0: no progress bar yet
  std::vector<SaidLine> lines;  // said since the display last looked
  State state = State::Running;
};

// The command line's answers to the questions a unit may put.
struct BenchAnswers {
  bool yes = false;               // --yes
  bool finish = false;            // --finish
  bool allowDuplicateId = false;  // --allow-duplicate-id
};

class BenchOperator : public Operator {
 public:
  // `progressLines`: the progress bar is also said as a line per tenth of the way.
  BenchOperator(BenchAnswers answers, bool progressLines, RunSignal &changed)
      : answers_(answers), progressLines_(progressLines), changed_(changed) {}

  // A message is said as "caption: text", a question with the answer given.
  void Message(const std::string &caption, const std::string &text, Icon icon) override;
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override;
  void SetProgressMax(int maximum) override;
  void SetProgress(int position) override;
  void StepProgress() override;
  void SetBusy(bool) override {}

  // ---- The worker's side -----------------------------------------------------------
  // The step the unit is at, named as the window names the command.
  void SetPhase(std::string phase);
  // A failure of the command's own, outside the window's messages (a file that cannot
  // be written).
  void Fail(const std::string &line);
  // A line of the unit's own beside its messages (the rate a fast transfer ran at).
  void Note(std::string line) { Say(std::move(line)); }
  // Why the unit failed: its first error, else the last thing said, else its step;
  // each led by the step and page where it was said ("寫入接收機 12/75: ...").
  std::string FailureReason() const;
  // The unit is done; nothing is said after this.
  void Finish(bool succeeded);

  // ---- The display's side ----------------------------------------------------------
  // The status now; the lines said since the last look are handed over.
  PortView Look();

 private:
  void Say(std::string line);
  // The step and page now, as a failure is placed.
  std::string Where() const;
  void Changed(auto change);
  // The bar moved: a line when it reached another tenth.
  void Moved(PortView &view);

  const BenchAnswers answers_;
  const bool progressLines_;
  RunSignal &changed_;
  // The worker's own.
  std::string firstError_, lastSaid_;
  int tenth_ = -1;  // of the last progress line
  // Shared with the display.
  mutable std::mutex lock_;
  PortView view_;
};

}  // namespace rilo
