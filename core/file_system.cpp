#include "core/file_system.h"

namespace rilo {
namespace {

class NotRegularCategory : public std::error_category {
 public:
  const char *name() const noexcept override { return "not a regular file"; }
  std::string message(int what) const override {
    switch (static_cast<NotRegular>(what)) {
      case NotRegular::Folder:
        return "是資料夾";
      case NotRegular::Pipe:
        return "是管道";
      case NotRegular::Device:
        return "是裝置";
      case NotRegular::Other:
        break;
    }
    return "不是一般檔案";
  }
};

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::error_code make_error_code(NotRegular what) {
  static const NotRegularCategory category;
  return {static_cast<int>(what), category};
}

std::error_code FileSystem::WriteAtomically(const std::string &path, std::string_view content) {
  std::error_code error;
  std::unique_ptr<NewFile> file = CreateBeside(path, &error);
  if (!file) return error;
  const std::string temporary = file->path();
  error = file->Write(content);
  if (!error) error = file->SyncAndClose();
  file.reset();  // closed before it is renamed or removed: Windows moves no open file
  if (!error) error = Rename(temporary, path);
  if (error) Remove(temporary);
  return error;
}

}  // namespace rilo
