#include "files/file_text.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace rilo {
namespace {

bool IsText(unsigned char c) {
  return c >= 0x20 || c == '\t' || c == '\r' || c == '\n';
}

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::optional<std::string> ReadFileBytes(const std::string &path, std::string *reason) {
  errno = 0;
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    *reason = SystemReason(errno ? errno : ENOENT);
    return std::nullopt;
  }
  std::string bytes(kMaxFileSize + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) {
    *reason = SystemReason(errno ? errno : EIO);
    return std::nullopt;
  }
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::optional<std::string> ParserText(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxFileSize) return std::nullopt;
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 16);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (!IsText(static_cast<unsigned char>(c))) return std::nullopt;
    if (c == '\r' || c == '\n') {
      text += "\r\n";
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      text += c;
    }
  }
  return text;
}

bool WriteFileAtomically(const std::string &path, std::string_view content, std::string *reason) {
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path temporary = target;
  temporary += ".saving";
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      *reason = SystemReason(errno ? errno : EACCES);
      return false;
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out.fail()) {
      *reason = SystemReason(errno ? errno : EIO);
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    *reason = error.message();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace rilo
