// The person at a terminal: messages go to standard error with their caption, so
// standard output carries only a command's data; questions are answered on standard
// input ("y" for OK). A terminal has no progress bar and no busy look.
#pragma once

#include "core/operator.h"

namespace rilo {

class TerminalOperator : public Operator {
 public:
  void Message(const std::string &caption, const std::string &text, Icon icon) override;
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override;
  void SetProgressMax(int) override {}
  void SetProgress(int) override {}
  void StepProgress() override {}
  void SetBusy(bool) override {}
};

}  // namespace rilo
