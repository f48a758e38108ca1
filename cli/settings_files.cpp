#include "cli/settings_files.h"

#include <cstring>

#include "core/file_system.h"
#include "files/file_writers.h"

namespace rilo {
namespace {

std::optional<std::string> ReadWhole(const std::string &path, std::string *error) {
  std::error_code reason;
  std::optional<std::string> bytes = SystemFileSystem().ReadFile(path, &reason);
  if (!bytes) *error = "無法讀取檔案 " + path + ": " + reason.message();
  return bytes;
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

bool WriteWhole(const std::string &path, std::string_view bytes, std::string *error) {
  const std::error_code reason = SystemFileSystem().WriteAtomically(path, bytes);
  if (reason) *error = "無法寫入檔案 " + path + ": " + reason.message();
  return !reason;
}

}  // namespace

std::optional<std::string> ReadFileText(const std::string &path, std::string *error) {
  auto bytes = ReadWhole(path, error);
  if (!bytes) return std::nullopt;
  return WithCrLf(*bytes);
}

std::optional<SettingsFile> ReadSettingsFile(const std::string &path, const VentrixApi &ventrix,
                                             std::string *error) {
  const auto read = ReadFileText(path, error);
  if (!read) return std::nullopt;
  const std::string &text = *read;
  SettingsFile file;
  const char *rest = ventrix.ArrangeRilo(text.c_str(), reinterpret_cast<uint8_t(*)[128]>(file.image.data()));
  if (rest == text.c_str()) {
    *error = path + " 不是設定檔 (第一行應為 Setup)";
    return std::nullopt;
  }
  if (!rest) {
    *error = path + " 的設定資料格式錯誤";
    return std::nullopt;
  }
  file.customer = ReadCustomerBlock(rest);
  return file;
}

std::optional<SettingsImage> ReadRawImage(const std::string &path, std::string *error) {
  auto bytes = ReadWhole(path, error);
  if (!bytes) return std::nullopt;
  SettingsImage image{};
  if (bytes->size() != image.size()) {
    *error = path + " 不是 256 位元組的設定映像 (" + std::to_string(bytes->size()) + " 位元組)";
    return std::nullopt;
  }
  std::memcpy(image.data(), bytes->data(), image.size());
  return image;
}

bool WriteSettingsFile(const std::string &path, const SettingsFile &file, std::string *error) {
  return WriteWhole(path, JoinCrLf(SettingsFileLines(file.image, file.customer)), error);
}

bool WriteRawImage(const std::string &path, const SettingsImage &image, std::string *error) {
  return WriteWhole(path, std::string_view(reinterpret_cast<const char *>(image.data()), image.size()),
                    error);
}

}  // namespace rilo
