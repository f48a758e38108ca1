// An Operator for tests: records every message and progress change, and answers
// questions from a queue (OK when the queue is empty is a test error, not a default).
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/operator.h"

namespace rilo::testing {

struct ShownMessage {
  std::string caption;
  std::string text;
  Icon icon;
  bool question;
  bool operator==(const ShownMessage &) const = default;
};

class ScriptedOperator : public Operator {
 public:
  std::vector<ShownMessage> shown;
  std::deque<bool> answers;         // true = OK
  std::deque<Choice> choices;       // Yes/No/Cancel questions' answers
  std::vector<std::string> phases;  // every phase shown, in order (empty: the command ended)
  int progress = 0;
  int progressMax = 100;
  std::vector<int> progressTrail;  // every position the bar took, in order
  bool busy = false;
  int busyChanges = 0;
  // What the person does when the bar moves: the window's events run during a command.
  std::function<void(int)> onProgress;

  void Message(const std::string &caption, const std::string &text, Icon icon) override {
    shown.push_back({caption, text, icon, false});
  }
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override {
    shown.push_back({caption, text, icon, true});
    if (answers.empty()) throw std::logic_error("unexpected question: " + text);
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  Choice Choose(const std::string &caption, const std::string &text, Icon icon) override {
    shown.push_back({caption, text, icon, true});
    if (choices.empty()) throw std::logic_error("unexpected question: " + text);
    const Choice c = choices.front();
    choices.pop_front();
    return c;
  }
  void ShowPhase(const std::string &phase) override { phases.push_back(phase); }
  void SetProgressMax(int maximum) override { progressMax = maximum; }
  void SetProgress(int position) override {
    progress = position;
    progressTrail.push_back(position);
    if (onProgress) onProgress(position);
  }
  void StepProgress() override { SetProgress(progress + 1); }
  void SetBusy(bool b) override {
    busy = b;
    ++busyChanges;
  }

  // Texts of the messages shown so far, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto &m : shown)
      t.push_back(m.text);
    return t;
  }
};

}  // namespace rilo::testing
