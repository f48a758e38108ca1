// Files in memory for tests, with a disk's faults on demand. Every file is in `files`
// by its path, the new files being written too, so a test sees what a failure left.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "core/file_system.h"

namespace rilo::testing {

class FakeFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  bool diskFull = false;             // every write fails, storing nothing
  bool renameRefused = false;        // every rename fails
  std::set<std::string> unreadable;  // reading these fails

  std::optional<std::string> ReadFile(const std::string &path, std::error_code *error) override {
    const auto found = files.find(path);
    if (unreadable.contains(path)) {
      *error = std::make_error_code(std::errc::permission_denied);
    } else if (found == files.end()) {
      *error = std::make_error_code(std::errc::no_such_file_or_directory);
    } else if (found->second.size() > kMaxFileSize) {
      *error = std::make_error_code(std::errc::file_too_large);
    } else {
      return found->second;
    }
    return std::nullopt;
  }

  std::unique_ptr<NewFile> CreateBeside(const std::string &path, std::error_code *) override {
    const std::string name = path + ".new-" + std::to_string(++created_);
    files[name];
    return std::make_unique<File>(*this, name);
  }

  std::error_code Rename(const std::string &from, const std::string &to) override {
    if (renameRefused) return std::make_error_code(std::errc::permission_denied);
    const auto found = files.find(from);
    if (found == files.end()) return std::make_error_code(std::errc::no_such_file_or_directory);
    std::string content = std::move(found->second);
    files.erase(found);
    files[to] = std::move(content);
    return {};
  }

  void Remove(const std::string &path) override { files.erase(path); }

  // Folders are only the beginnings of the files' paths here.
  std::error_code CreateFolders(const std::string &) override { return {}; }

 private:
  class File : public NewFile {
   public:
    File(FakeFileSystem &owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    const std::string &path() const override { return path_; }
    std::error_code Write(std::string_view bytes) override {
      if (owner_.diskFull) return std::make_error_code(std::errc::no_space_on_device);
      owner_.files[path_] += bytes;
      return {};
    }
    std::error_code SyncAndClose() override { return {}; }

   private:
    FakeFileSystem &owner_;
    std::string path_;
  };

  int created_ = 0;
};

}  // namespace rilo::testing
