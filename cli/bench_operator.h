// The person at a production bench: messages go to the terminal as the terminal
// operator shows them, a question is answered by the command line (OK only with
// --yes), and every message is kept, so the exit status follows the command's own
// success message rather than a guess.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/terminal_operator.h"

namespace rilo {

class BenchOperator : public TerminalOperator {
 public:
  explicit BenchOperator(bool yes) : yes_(yes) {}

  void Message(const std::string &caption, const std::string &text, Icon icon) override;
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override;

  // Whether this message has been shown.
  bool Shown(std::string_view caption, std::string_view text) const;

 private:
  bool yes_;
  std::vector<std::pair<std::string, std::string>> shown_;
};

}  // namespace rilo
