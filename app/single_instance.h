// One running copy of the tool per user. On Windows a named mutex; elsewhere a lock
// file in the user's runtime folder, which the system frees with the process, so a
// crashed copy never keeps the next one from starting.
#pragma once

#include <memory>

class QLockFile;

namespace rilo {

class SingleInstance {
 public:
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance &) = delete;
  SingleInstance &operator=(const SingleInstance &) = delete;

  // False when another copy is running: this one must end at once.
  bool acquired() const { return acquired_; }

 private:
  bool acquired_ = false;
#if defined(_WIN32)
  void *mutex_ = nullptr;
#else
  std::unique_ptr<QLockFile> lock_;
#endif
};

}  // namespace rilo
