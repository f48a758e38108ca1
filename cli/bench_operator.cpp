#include "cli/bench_operator.h"

#include <algorithm>
#include <iostream>

namespace rilo {

void BenchOperator::Message(const std::string &caption, const std::string &text, Icon icon) {
  TerminalOperator::Message(caption, text, icon);
  shown_.emplace_back(caption, text);
}

bool BenchOperator::Ask(const std::string &caption, const std::string &text, Icon) {
  std::cerr << caption << ": " << text << (yes_ ? " 確定 (--yes)\n" : " 取消 (加上 --yes 即回答確定)\n");
  return yes_;
}

bool BenchOperator::Shown(std::string_view caption, std::string_view text) const {
  return std::any_of(shown_.begin(), shown_.end(),
                     [&](const auto &m) { return m.first == caption && m.second == text; });
}

}  // namespace rilo
