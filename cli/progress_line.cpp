#include "cli/progress_line.h"

#include <algorithm>
#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace rilo {

void ProgressLine::SetMaximum(int maximum) {
  maximum_ = std::max(maximum, 1);
  lastTenth_ = -1;
}

void ProgressLine::Set(int position) {
  position_ = position;
  const int shown = std::clamp(position, 0, maximum_);
  if (inPlace_) {
    out_ << "\r進度 " << shown << "/" << maximum_ << std::flush;
    drawn_ = true;
    return;
  }
  const int tenth = shown * 10 / maximum_;
  if (tenth == lastTenth_) return;
  lastTenth_ = tenth;
  out_ << "進度 " << shown << "/" << maximum_ << " (" << tenth * 10 << "%)\n" << std::flush;
}

void ProgressLine::Break() {
  if (!drawn_) return;
  out_ << "\n";
  drawn_ = false;
}

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

}  // namespace rilo
