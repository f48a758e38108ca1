// One running copy of the tool per user. On Windows a named mutex; elsewhere a lock
// file in the user's runtime folder, which the system frees with the process, so a
// crashed copy never keeps the next one from starting. A second start brings the
// running copy's window to the front and ends: on Windows the running copy leaves its
// window's handle under a name beside the mutex's; elsewhere it listens on a local
// socket beside the lock file, and a connection is the request.
#pragma once

#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

namespace rilo {

class SingleInstance {
 public:
  // `folder` holds the lock file and the socket (not used on Windows).
  explicit SingleInstance(const QString &folder = RuntimeFolder());
  ~SingleInstance();
  SingleInstance(const SingleInstance &) = delete;
  SingleInstance &operator=(const SingleInstance &) = delete;

  // The user's runtime folder, or the temporary folder where there is none.
  static QString RuntimeFolder();

  // False when another copy is running: this one must end at once.
  bool acquired() const { return acquired_; }

  // The running copy: from now on a second start brings `window` to the front. Needs
  // the application object.
  void Serve(QWidget &window);

  // The second copy: asks the running one to bring its window to the front. Needs no
  // application object; a copy that does not answer (still starting) is left alone.
  void BringRunningCopyForward() const;

 private:
  bool acquired_ = false;
#if defined(_WIN32)
  void *mutex_ = nullptr;
  void *windowName_ = nullptr;  // the named mapping that holds the window's handle
#else
  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
#endif
};

}  // namespace rilo
