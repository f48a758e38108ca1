// The person at the screen as the Workbench's parts reach it: everything passes on at
// once, so the window shows what it always showed, and while a command runs what it
// says is also kept as that command's outcome.
#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "base/clock.h"
#include "core/outcome.h"

namespace rilo {

class OutcomeRecorder : public Operator {
 public:
  explicit OutcomeRecorder(Operator &person) : person_(person) {}
  // The clock the time the person takes over a message or a question is told by, so
  // a command's own time can leave it out.
  void TimeWith(Clock &clock) { clock_ = &clock; }
  uint32_t personMs() const { return personMs_; }

  // A command begins: what is said from now on is its own.
  void Begin(std::string step) {
    outcome_ = Outcome{};
    outcome_.step = std::move(step);
    position_ = maximum_ = 0;
    personMs_ = 0;
  }
  // The command ends: its outcome, with `done` as its steps decided.
  Outcome End(bool done) {
    outcome_.done = done;
    return std::exchange(outcome_, Outcome{});
  }
  // A burn failed after the unit was erased.
  void LeftErased() { outcome_.leftErased = true; }
  // A streamed transfer asked for `asked` and ran at `used`: the slowest one is kept.
  void LineRate(uint32_t asked, uint32_t used) {
    if (!outcome_.fastLine || used < outcome_.fastLine->used) outcome_.fastLine = FastLine{asked, used};
  }
  // A write read back different from `address` on.
  void Differs(uint16_t address) {
    if (!outcome_.differsAt) outcome_.differsAt = address;
  }

  void Message(const std::string &caption, const std::string &text, Icon icon) override {
    Keep({caption, text, icon});
    const uint32_t start = clock_ ? clock_->Tick() : 0;
    person_.Message(caption, text, icon);
    if (clock_) personMs_ += clock_->Tick() - start;
  }
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override {
    const uint32_t start = clock_ ? clock_->Tick() : 0;
    const bool answer = person_.Ask(caption, text, icon);
    if (clock_) personMs_ += clock_->Tick() - start;
    Keep({caption, text, icon, true, answer});
    return answer;
  }
  Choice Choose(const std::string &caption, const std::string &text, Icon icon) override {
    const uint32_t start = clock_ ? clock_->Tick() : 0;
    const Choice choice = person_.Choose(caption, text, icon);
    if (clock_) personMs_ += clock_->Tick() - start;
    Keep({caption, text, icon, true, choice != Choice::Cancel});
    return choice;
  }
  void ShowPhase(const std::string &phase) override { person_.ShowPhase(phase); }
  void SetProgressMax(int maximum) override {
    maximum_ = maximum;
    person_.SetProgressMax(maximum);
  }
  void SetProgress(int position) override {
    position_ = position;
    person_.SetProgress(position);
  }
  void StepProgress() override {
    ++position_;
    person_.StepProgress();
  }
  void SetBusy(bool busy) override { person_.SetBusy(busy); }

 private:
  void Keep(Said said) {
    // The failure is placed where the bar stood at its first error, else at its last
    // word: the bar may move on before the command ends.
    const Said *reason = outcome_.Reason();
    if (reason == nullptr || reason->icon != Icon::Error) {
      outcome_.pages = maximum_;
      outcome_.page = std::clamp(position_, 0, maximum_);
    }
    outcome_.messages.push_back(std::move(said));
  }

  Operator &person_;
  Outcome outcome_;
  int position_ = 0;
  int maximum_ = 0;
  Clock *clock_ = nullptr;
  uint32_t personMs_ = 0;  // the running command's time in message boxes and questions
};

}  // namespace rilo
