#include "app/single_instance.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#endif

namespace rilo {

#if defined(_WIN32)

namespace {
constexpr const char *kMutexName = "RILO1Q12.exe";
}

SingleInstance::SingleInstance() {
  if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    CloseHandle(running);
    return;
  }
  mutex_ = CreateMutexA(nullptr, TRUE, kMutexName);
  acquired_ = true;
}

SingleInstance::~SingleInstance() {
  if (!mutex_) return;
  ReleaseMutex(static_cast<HANDLE>(mutex_));
  CloseHandle(static_cast<HANDLE>(mutex_));
}

#else

SingleInstance::SingleInstance() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  lock_ = std::make_unique<QLockFile>(folder + "/RILO1Q12.lock");
  // A lock is never taken over by age: only a copy that is no longer running loses it.
  lock_->setStaleLockTime(0);
  // A folder where no lock can be made must not keep the tool from starting.
  acquired_ = lock_->tryLock(0) || lock_->error() != QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default;

#endif

}  // namespace rilo
