// The file seam: everything the tool does with files, said once. The system's files
// (POSIX or Win32) sit behind it in the programs; tests put an in-memory one with
// faults in their place (core/testing/fake_file_system.h). Paths are UTF-8 text on
// every platform; failures are std::error_code, whose message() is the reason shown.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace rilo {

// No file the tool reads comes near this size (a data file of two full images is
// under 400 KB); anything larger is not one of them.
inline constexpr size_t kMaxFileSize = 1 << 20;

// A path given as UTF-8 text (what the window's dialogs and the command line give).
std::filesystem::path PathFromUtf8(std::string_view path);

// What a path that is not a regular file is instead; such a path is never read.
enum class NotRegular { Folder = 1, Pipe, Device, Other };
std::error_code make_error_code(NotRegular what);

// A file being written under a name of its own; it counts only once renamed into place.
class NewFile {
 public:
  virtual ~NewFile() = default;  // closes the file if SyncAndClose was not reached
  virtual const std::string &path() const = 0;
  // All of `bytes`, or the reason they could not all be written.
  virtual std::error_code Write(std::string_view bytes) = 0;
  // Returns once the bytes are on the disk; the file is closed whatever it answers.
  virtual std::error_code SyncAndClose() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole content of the regular file at `path`. Anything else (a folder, a pipe, a
  // device) is refused with NotRegular without being read or waited on, and a file
  // larger than kMaxFileSize with std::errc::file_too_large.
  virtual std::optional<std::string> ReadFile(const std::string &path, std::error_code *error) = 0;

  // A new, empty file in the folder of `path`, under a name no file had: created
  // exclusively, so nothing planted there (a link above all) is ever written through.
  // Refused with NotRegular when `path` is a folder, a pipe or a device: the new file
  // could never take its place.
  virtual std::unique_ptr<NewFile> CreateBeside(const std::string &path, std::error_code *error) = 0;

  // Puts `from` in place of `to` in one step, and makes the change of the folder as
  // lasting as the file's content.
  virtual std::error_code Rename(const std::string &from, const std::string &to) = 0;

  // Removes a file if it is there; used to clean up, so it answers nothing.
  virtual void Remove(const std::string &path) = 0;

  // The folder at `path` and the folders above it, where missing.
  virtual std::error_code CreateFolders(const std::string &path) = 0;

  // Writes `content` to `path` whole or not at all: into a new file beside it, put on the
  // disk, then renamed over the target. On a failure the new file is removed and the old
  // one is left as it was.
  std::error_code WriteAtomically(const std::string &path, std::string_view content);
};

// The system's files: POSIX calls, or the Win32 wide-character API on Windows.
FileSystem &SystemFileSystem();

// The regular file at `path` opened for adding to its end, made when missing; null, with
// the reason in *error, when it cannot be. Anything else is refused with NotRegular
// without being waited on: a pipe that nothing reads would hold the open for ever.
std::FILE *OpenToAppend(const std::string &path, std::error_code *error);

}  // namespace rilo

template <>
struct std::is_error_code_enum<rilo::NotRegular> : std::true_type {};
