#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>
#include <QWidget>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cstring>
#endif

namespace rilo {

QString SingleInstance::RuntimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return folder.isEmpty() ? QDir::tempPath() : folder;
}

#if defined(_WIN32)

namespace {
constexpr const char *kMutexName = "RILO1Q12.exe";
constexpr const char *kWindowName = "RILO1Q12.exe.window";
}  // namespace

SingleInstance::SingleInstance(const QString &) {
  if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    CloseHandle(running);
    return;
  }
  mutex_ = CreateMutexA(nullptr, TRUE, kMutexName);
  acquired_ = true;
}

SingleInstance::~SingleInstance() {
  if (windowName_) CloseHandle(static_cast<HANDLE>(windowName_));
  if (!mutex_) return;
  ReleaseMutex(static_cast<HANDLE>(mutex_));
  CloseHandle(static_cast<HANDLE>(mutex_));
}

void SingleInstance::Serve(QWidget &window) {
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(HWND), kWindowName);
  if (!mapping) return;
  if (auto *slot = static_cast<HWND *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(HWND)))) {
    *slot = reinterpret_cast<HWND>(window.winId());
    UnmapViewOfFile(slot);
  }
  windowName_ = mapping;
}

void SingleInstance::BringRunningCopyForward() const {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kWindowName);
  if (!mapping) return;
  HWND window = nullptr;
  if (auto *slot = static_cast<const HWND *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(HWND)))) {
    window = *slot;
    UnmapViewOfFile(slot);
  }
  CloseHandle(mapping);
  if (!window || !IsWindow(window)) return;
  // The copy just started is the foreground process: it may hand the foreground on.
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
}

#else

namespace {
QString LockPath(const QString &folder) {
  return folder + "/RILO1Q12.lock";
}
QString SocketPath(const QString &folder) {
  return folder + "/RILO1Q12.socket";
}
}  // namespace

SingleInstance::SingleInstance(const QString &folder)
    : folder_(folder), lock_(std::make_unique<QLockFile>(LockPath(folder))) {
  // A lock is never taken over by age: only a copy that is no longer running loses it.
  lock_->setStaleLockTime(0);
  // A folder where no lock can be made must not keep the tool from starting.
  acquired_ = lock_->tryLock(0) || lock_->error() != QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default;

void SingleInstance::Serve(QWidget &window) {
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // The lock is ours: a socket left there is a crashed copy's.
  QLocalServer::removeServer(SocketPath(folder_));
  if (!server_->listen(SocketPath(folder_))) return;
  QObject::connect(server_.get(), &QLocalServer::newConnection, &window, [this, &window] {
    while (QLocalSocket *asking = server_->nextPendingConnection())
      asking->deleteLater();
    if (window.isMinimized()) window.showNormal();
    window.raise();
    window.activateWindow();
  });
}

void SingleInstance::BringRunningCopyForward() const {
  // A plain connection says it all, made before any application object exists.
  const QByteArray path = QFile::encodeName(SocketPath(folder_));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) return;
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return;
  ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof(address));
  ::close(socket);
}

#endif

}  // namespace rilo
