// Wakes a run's display when a worker's status has changed. A worker only counts up
// and never waits here, so a slow terminal cannot hold up a unit. A mutex and a
// condition variable, not an atomic's wait: MinGW's library has no futex, and there a
// notification could be lost and the display wait for ever.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace rilo {

class RunSignal {
 public:
  // The count of changes so far; wait with it after looking at every status.
  uint32_t Count() const {
    std::lock_guard<std::mutex> hold(lock_);
    return count_;
  }
  void Notify() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      ++count_;
    }
    changed_.notify_all();
  }
  // Returns once something changed after `seen` was counted, or after `most` at the
  // latest (the display also looks for a stop the person asked for).
  void WaitAfter(uint32_t seen, std::chrono::milliseconds most) const {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait_for(hold, most, [&] { return count_ != seen; });
  }

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  uint32_t count_ = 0;
};

}  // namespace rilo
