#include "cli/terminal_operator.h"

#include <iostream>
#include <string>

namespace rilo {

void TerminalOperator::Message(const std::string &caption, const std::string &text, Icon) {
  std::cerr << caption << ": " << text << "\n";
}

bool TerminalOperator::Ask(const std::string &caption, const std::string &text, Icon) {
  std::cerr << caption << ": " << text << " [y/N] " << std::flush;
  std::string answer;
  return std::getline(std::cin, answer) && !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

}  // namespace rilo
