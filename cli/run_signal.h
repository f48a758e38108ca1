// Wakes a run's display when a worker's status has changed. A worker only counts up
// and never waits here, so a slow terminal cannot hold up a unit.
#pragma once

#include <atomic>
#include <cstdint>

namespace rilo {

class RunSignal {
 public:
  // The count of changes so far; wait with it after looking at every status.
  uint32_t Count() const { return count_.load(); }
  void Notify() {
    count_.fetch_add(1);
    count_.notify_one();
  }
  // Returns once something changed after `seen` was counted.
  void WaitAfter(uint32_t seen) const { count_.wait(seen); }

 private:
  std::atomic<uint32_t> count_{0};
};

}  // namespace rilo
