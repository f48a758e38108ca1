// The person where a command's messages must not reach the terminal as they come: what
// it is told is kept, to be said only if the command needs it; every question is
// answered Cancel.
#pragma once

#include <string>
#include <vector>

#include "core/outcome.h"

namespace rilo {

class HeldBack : public Operator {
 public:
  void Message(const std::string &caption, const std::string &text, Icon icon) override {
    said.push_back({caption, text, icon});
  }
  bool Ask(const std::string &, const std::string &, Icon) override { return false; }
  void SetProgressMax(int) override {}
  void SetProgress(int) override {}
  void StepProgress() override {}
  void SetBusy(bool) override {}

  std::vector<Said> said;
};

}  // namespace rilo
