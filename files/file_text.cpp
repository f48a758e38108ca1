#include "files/file_text.h"

namespace rilo {
namespace {

bool IsText(unsigned char c) {
  return c >= 0x20 || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string &path, std::string *reason) {
  std::error_code error;
  std::optional<std::string> bytes = SystemFileSystem().ReadFile(path, &error);
  // Too large for any of the formats: the parsers' to refuse, like a file of another
  // format, rather than a file that could not be opened.
  if (error == std::errc::file_too_large) return std::string();
  if (!bytes) *reason = error.message();
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
  const std::error_code error = SystemFileSystem().WriteAtomically(path, content);
  if (error) *reason = error.message();
  return !error;
}

}  // namespace rilo
