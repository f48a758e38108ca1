// One device command at a time, with the busy look while it runs. The look is put
// back on every way out, early returns and conversion errors included.
#pragma once

#include "workbench/workbench.h"

namespace rilo {

class Workbench::CommandScope {
 public:
  // `busyLook`: hourglass and translucent window, and the progress bar full at the end.
  CommandScope(Workbench &bench, bool busyLook) : bench_(bench), busyLook_(busyLook) {
    if (bench_.commandRunning_) return;
    bench_.commandRunning_ = owner_ = true;
    if (busyLook_) bench_.op_.SetBusy(true);
  }
  ~CommandScope() {
    if (!owner_) return;
    if (busyLook_) {
      bench_.op_.SetBusy(false);
      bench_.op_.SetProgress(kFullBar);
    }
    bench_.commandRunning_ = false;
  }
  CommandScope(const CommandScope &) = delete;
  CommandScope &operator=(const CommandScope &) = delete;

  // False when another command was already running: this one must not start.
  bool Started() const { return owner_; }

 private:
  static constexpr int kFullBar = 500;
  Workbench &bench_;
  bool busyLook_;
  bool owner_ = false;
};

}  // namespace rilo
