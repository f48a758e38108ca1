// The file seam on POSIX systems. Paths are passed as they are: the system's names
// are bytes, and the tool's are UTF-8.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

#include "core/file_system.h"

namespace rilo {
namespace {

std::error_code LastError() {
  return {errno, std::generic_category()};
}

std::error_code NotRegularReason(mode_t mode) {
  if (S_ISDIR(mode)) return NotRegular::Folder;
  if (S_ISFIFO(mode)) return NotRegular::Pipe;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return NotRegular::Device;
  return NotRegular::Other;
}

// What the name `path` leads to when that is there and is not a regular file; nothing
// otherwise. Asked before opening where it matters: opening a serial device alone
// raises its modem lines.
std::error_code NotRegularAt(const std::string &path) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return NotRegularReason(status.st_mode);
  return {};
}

// What was opened when it is not a regular file, or why that cannot be told; *status
// says the rest.
std::error_code NotRegularOpened(int fd, struct stat *status) {
  if (fstat(fd, status) != 0) return LastError();
  if (!S_ISREG(status->st_mode)) return NotRegularReason(status->st_mode);
  return {};
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { close(fd_); }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

class PosixNewFile : public NewFile {
 public:
  PosixNewFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixNewFile() override {
    if (fd_ >= 0) close(fd_);
  }
  PosixNewFile(const PosixNewFile &) = delete;
  PosixNewFile &operator=(const PosixNewFile &) = delete;

  const std::string &path() const override { return path_; }

  std::error_code Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t written = write(fd_, bytes.data(), bytes.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        return LastError();
      }
      bytes.remove_prefix(static_cast<size_t>(written));
    }
    return {};
  }

  std::error_code SyncAndClose() override {
    std::error_code error;
    if (fsync(fd_) != 0) error = LastError();
    // A network file system may report a failed write only here.
    if (close(fd_) != 0 && !error) error = LastError();
    fd_ = -1;
    return error;
  }

 private:
  std::string path_;
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadFile(const std::string &path, std::error_code *error) override {
    if ((*error = NotRegularAt(path))) return std::nullopt;
    // Without blocking, in case a pipe took the file's place meanwhile: opening it for
    // reading would wait for a writer. fstat then says what was opened.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      *error = LastError();
      return std::nullopt;
    }
    const Descriptor file(fd);
    struct stat status;
    if ((*error = NotRegularOpened(fd, &status))) return std::nullopt;
    if (static_cast<uintmax_t>(status.st_size) > kMaxFileSize) {
      *error = std::make_error_code(std::errc::file_too_large);
      return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(status.st_size));
    char chunk[16384];
    for (;;) {
      const ssize_t got = read(fd, chunk, sizeof chunk);
      if (got < 0) {
        if (errno == EINTR) continue;
        *error = LastError();
        return std::nullopt;
      }
      if (got == 0) return bytes;
      // The file may have grown since it was measured.
      if (bytes.size() + static_cast<size_t>(got) > kMaxFileSize) {
        *error = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
      }
      bytes.append(chunk, static_cast<size_t>(got));
    }
  }

  std::unique_ptr<NewFile> CreateBeside(const std::string &path, std::error_code *error) override {
    // A link at `path` is replaced, not followed: only what is there itself counts.
    struct stat status;
    if (lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode)) {
      *error = NotRegularReason(status.st_mode);
      return nullptr;
    }
    std::random_device entropy;
    // A name taken already is either chance or something planted; another name does.
    for (int attempt = 0; attempt < 4; ++attempt) {
      char suffix[24];
      std::snprintf(suffix, sizeof suffix, ".saving-%08x", entropy());
      const std::string name = path + suffix;
      const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd >= 0) return std::make_unique<PosixNewFile>(name, fd);
      if (errno != EEXIST) break;
    }
    *error = LastError();
    return nullptr;
  }

  std::error_code Rename(const std::string &from, const std::string &to) override {
    if (rename(from.c_str(), to.c_str()) != 0) return LastError();
    // The rename has put the new file in place, so a folder that cannot be synced
    // (some file systems refuse it) does not make the save a failure.
    std::filesystem::path folder = PathFromUtf8(to).parent_path();
    if (folder.empty()) folder = ".";
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
    return {};
  }

  void Remove(const std::string &path) override { unlink(path.c_str()); }

  std::error_code CreateFolders(const std::string &path) override {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return error;
  }
};

}  // namespace

FileSystem &SystemFileSystem() {
  static PosixFileSystem files;
  return files;
}

std::FILE *OpenToAppend(const std::string &path, std::error_code *error) {
  if ((*error = NotRegularAt(path))) return nullptr;
  // Without blocking, in case a pipe took the file's place meanwhile; for a regular file
  // the flag changes nothing.
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    // A pipe nothing reads is refused with ENXIO, which names no pipe.
    *error = LastError();
    if (const std::error_code what = NotRegularAt(path)) *error = what;
    return nullptr;
  }
  std::FILE *file = nullptr;
  struct stat status;
  if (!(*error = NotRegularOpened(fd, &status))) {
    file = fdopen(fd, "a");
    if (!file) *error = LastError();
  }
  if (!file) close(fd);
  return file;
}

}  // namespace rilo
