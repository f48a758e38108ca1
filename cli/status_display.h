// What a run shows on standard error while its workers go: the lines each unit says
// and, on a terminal, a block at the bottom with one line per port (its step, page n
// of N, its result), redrawn in place. Elsewhere (a file, a pipe) plain lines only:
// what the units say, for the long commands a progress line per tenth of the way, and
// each unit's result as it ends. With one port the lines carry no port name and no
// result line, as a single unit's command has always shown them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/bench_operator.h"

namespace rilo {

class StatusDisplay {
 public:
  // `terminal`: `out` redraws in place. `progressLines`: plain output gets the progress lines.
  StatusDisplay(std::ostream &out, std::vector<std::string> ports, bool terminal, bool progressLines);

  // Shows the status of every port, in port order.
  void Show(const std::vector<PortView> &views);

 private:
  struct Shown {
    int tenth = -1;  // the last progress line's tenth
    int maximum = 0;
    PortView::State state = PortView::State::Running;
  };

  std::string Prefix(size_t port) const;
  std::string BlockLine(size_t port, const PortView &view) const;
  void PlainLines(size_t port, const PortView &view, std::string &text);

  std::ostream &out_;
  const std::vector<std::string> ports_;
  const bool terminal_;
  const bool progressLines_;
  size_t nameWidth_ = 0;
  std::vector<Shown> shown_;
  std::vector<std::string> block_;  // the block as last drawn; empty before the first draw
};

}  // namespace rilo
