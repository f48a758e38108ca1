// The person at the screen as the window shows them: before a message box or a
// question comes up, the widgets mirror the Workbench, so the box stands over what the
// command has done so far (the form's controls were the data themselves); the phase
// goes to the window's status bar.
#pragma once

#include <functional>
#include <string>

#include "core/operator.h"

namespace rilo {

class MirroringOperator : public Operator {
 public:
  MirroringOperator(Operator &person, std::function<void()> mirror,
                    std::function<void(const std::string &)> showPhase)
      : person_(person), mirror_(std::move(mirror)), showPhase_(std::move(showPhase)) {}

  void Message(const std::string &caption, const std::string &text, Icon icon) override {
    mirror_();
    person_.Message(caption, text, icon);
  }
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override {
    mirror_();
    return person_.Ask(caption, text, icon);
  }
  Choice Choose(const std::string &caption, const std::string &text, Icon icon) override {
    mirror_();
    return person_.Choose(caption, text, icon);
  }
  void ShowPhase(const std::string &phase) override {
    showPhase_(phase);
    person_.ShowPhase(phase);
  }
  void SetProgressMax(int maximum) override { person_.SetProgressMax(maximum); }
  void SetProgress(int position) override { person_.SetProgress(position); }
  void StepProgress() override { person_.StepProgress(); }
  void SetBusy(bool busy) override { person_.SetBusy(busy); }

 private:
  Operator &person_;
  std::function<void()> mirror_;
  std::function<void(const std::string &)> showPhase_;
};

}  // namespace rilo
