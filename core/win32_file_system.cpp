// The file seam on Windows: the wide-character Win32 API, with every UTF-8 path turned
// into UTF-16, so that any name is reached whatever the system's code page.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

#include "core/file_system.h"

namespace rilo {
namespace {

// The reasons worded as the C library words them, as on every other platform, where
// there is one; Windows' own wording otherwise.
std::error_code FromWindows(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::read_only_file_system);
    default:
      return {static_cast<int>(code), std::system_category()};
  }
}

std::error_code LastError() {
  return FromWindows(GetLastError());
}

std::optional<std::wstring> Wide(const std::string &utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (count <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), count);
  return wide;
}

std::error_code NotUtf8() {
  return std::make_error_code(std::errc::illegal_byte_sequence);
}

// What an opened handle is when it is not a file on a disk.
std::error_code NotDiskFile(HANDLE handle) {
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
      return {};
    case FILE_TYPE_PIPE:
      return NotRegular::Pipe;
    case FILE_TYPE_CHAR:
      return NotRegular::Device;
    default:
      return NotRegular::Other;
  }
}

// A folder at `path` is named as one before anything is opened: opened without backup
// semantics it reads only as access denied.
bool IsFolder(const std::wstring &path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { CloseHandle(handle_); }
  Handle(const Handle &) = delete;
  Handle &operator=(const Handle &) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class Win32NewFile : public NewFile {
 public:
  Win32NewFile(std::string path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}
  ~Win32NewFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Win32NewFile(const Win32NewFile &) = delete;
  Win32NewFile &operator=(const Win32NewFile &) = delete;

  const std::string &path() const override { return path_; }

  std::error_code Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 30));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data(), wanted, &written, nullptr)) return LastError();
      bytes.remove_prefix(written);
    }
    return {};
  }

  std::error_code SyncAndClose() override {
    std::error_code error;
    if (!FlushFileBuffers(handle_)) error = LastError();
    if (!CloseHandle(handle_) && !error) error = LastError();
    handle_ = INVALID_HANDLE_VALUE;
    return error;
  }

 private:
  std::string path_;
  HANDLE handle_;
};

class Win32FileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadFile(const std::string &path, std::error_code *error) override {
    const auto wide = Wide(path);
    if (!wide) {
      *error = NotUtf8();
      return std::nullopt;
    }
    // Backup semantics open a folder too, so that it can be named as one.
    const HANDLE opened = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
      *error = LastError();
      return std::nullopt;
    }
    const Handle file(opened);
    if ((*error = NotDiskFile(opened))) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(opened, &info)) {
      *error = LastError();
      return std::nullopt;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      *error = NotRegular::Folder;
      return std::nullopt;
    }
    const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > kMaxFileSize) {
      *error = std::make_error_code(std::errc::file_too_large);
      return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(size));
    char chunk[16384];
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(opened, chunk, sizeof chunk, &got, nullptr)) {
        *error = LastError();
        return std::nullopt;
      }
      if (got == 0) return bytes;
      // The file may have grown since it was measured.
      if (bytes.size() + got > kMaxFileSize) {
        *error = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
      }
      bytes.append(chunk, got);
    }
  }

  std::unique_ptr<NewFile> CreateBeside(const std::string &path, std::error_code *error) override {
    if (const auto wide = Wide(path); wide && IsFolder(*wide)) {
      *error = NotRegular::Folder;
      return nullptr;
    }
    std::random_device entropy;
    DWORD failure = ERROR_FILE_EXISTS;
    // A name taken already is either chance or something planted; another name does.
    for (int attempt = 0; attempt < 4 && failure == ERROR_FILE_EXISTS; ++attempt) {
      char suffix[24];
      std::snprintf(suffix, sizeof suffix, ".saving-%08x", entropy());
      const std::string name = path + suffix;
      const auto wide = Wide(name);
      if (!wide) {
        *error = NotUtf8();
        return nullptr;
      }
      const HANDLE created =
          CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (created != INVALID_HANDLE_VALUE) return std::make_unique<Win32NewFile>(name, created);
      failure = GetLastError();
    }
    *error = FromWindows(failure);
    return nullptr;
  }

  std::error_code Rename(const std::string &from, const std::string &to) override {
    const auto wideFrom = Wide(from), wideTo = Wide(to);
    if (!wideFrom || !wideTo) return NotUtf8();
    // Write-through returns once the move is on the disk, which syncs the folder.
    if (!MoveFileExW(wideFrom->c_str(), wideTo->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return LastError();
    return {};
  }

  void Remove(const std::string &path) override {
    if (const auto wide = Wide(path)) DeleteFileW(wide->c_str());
  }

  std::error_code CreateFolders(const std::string &path) override {
    const auto wide = Wide(path);
    if (!wide) return NotUtf8();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(*wide), error);
    return error;
  }
};

}  // namespace

FileSystem &SystemFileSystem() {
  static Win32FileSystem files;
  return files;
}

std::FILE *OpenToAppend(const std::string &path, std::error_code *error) {
  const auto wide = Wide(path);
  if (!wide) {
    *error = NotUtf8();
    return nullptr;
  }
  if (IsFolder(*wide)) {
    *error = NotRegular::Folder;
    return nullptr;
  }
  // Opening a pipe or a device does not wait; its type is asked once it is open.
  const HANDLE opened = CreateFileW(wide->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    *error = LastError();
    return nullptr;
  }
  if ((*error = NotDiskFile(opened))) {
    CloseHandle(opened);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(opened), _O_WRONLY | _O_APPEND | _O_BINARY);
  if (fd < 0) {
    *error = {errno, std::generic_category()};
    CloseHandle(opened);
    return nullptr;
  }
  std::FILE *file = _fdopen(fd, "ab");
  if (!file) {
    *error = {errno, std::generic_category()};
    _close(fd);  // closes the handle too
  }
  return file;
}

}  // namespace rilo
