// The progress bar of a command on one line of standard error: redrawn in place on a
// terminal, and one line per tenth of the way when the output goes to a log.
#pragma once

#include <ostream>

namespace rilo {

class ProgressLine {
 public:
  // `inPlace`: the output is a terminal, where a carriage return redraws the line.
  ProgressLine(std::ostream &out, bool inPlace) : out_(out), inPlace_(inPlace) {}

  void SetMaximum(int maximum);
  // Positions past the maximum (a command ends at 500) show a full bar.
  void Set(int position);
  int position() const { return position_; }
  // Ends a line drawn in place, so that a message starts on a line of its own.
  void Break();

 private:
  std::ostream &out_;
  bool inPlace_;
  int maximum_ = 100;
  int position_ = 0;
  int lastTenth_ = -1;
  bool drawn_ = false;
};

// Whether standard error is a terminal.
bool StandardErrorIsTerminal();

}  // namespace rilo
