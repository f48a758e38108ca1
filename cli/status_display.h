// What a run shows on standard error while its workers go: the lines each unit says
// and, on a terminal, a block at the bottom with one line per port (its step, page n
// of N, its result), redrawn in place. Elsewhere (a file, a pipe) plain lines only:
// what the units say, their progress lines, and each unit's result as it ends. With
// one port the lines carry no port name and no result line, as a single unit's
// command has always shown them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/bench_operator.h"

namespace rilo {

class StatusDisplay {
 public:
  // `terminal`: `out` redraws in place.
  StatusDisplay(std::ostream &out, std::vector<std::string> ports, bool terminal);

  // Shows the status of every port, in port order.
  void Show(const std::vector<PortView> &views);

 private:
  std::string Prefix(size_t port) const;
  std::string BlockLine(size_t port, const PortView &view) const;

  std::ostream &out_;
  const std::vector<std::string> ports_;
  const bool terminal_;
  size_t nameWidth_ = 0;
  std::vector<PortView::State> shownState_;  // plain output: the result said once
  std::vector<std::string> block_;           // the block as last drawn; empty before the first draw
};

}  // namespace rilo
