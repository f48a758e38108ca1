// Code page 950 through the system's own tables.
#include <windows.h>

#include "files/code_page.h"

namespace rilo {
namespace {

constexpr UINT kBig5 = 950;

std::wstring Wide(UINT codePage, DWORD flags, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int count = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), count);
  return wide;
}

std::optional<std::string> Narrow(UINT codePage, const std::wstring &wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  BOOL defaulted = FALSE;
  // Code page 950 must not stand in a look-alike or "?" for a character it lacks.
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL *usedDefault = codePage == CP_UTF8 ? nullptr : &defaulted;
  const int count = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
  if (count <= 0 || defaulted) return std::nullopt;
  std::string bytes(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), count, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::string Utf8FromCodePage950(std::string_view bytes) {
  std::wstring wide = Wide(kBig5, MB_ERR_INVALID_CHARS, bytes);
  if (wide.empty() && !bytes.empty()) {
    // Character by character, so a broken one becomes U+FFFD, as the C library's
    // conversion makes it, rather than the code page's own stand-in.
    for (size_t i = 0; i < bytes.size();) {
      const size_t length =
          IsDBCSLeadByteEx(kBig5, static_cast<BYTE>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
      const std::wstring one = Wide(kBig5, MB_ERR_INVALID_CHARS, bytes.substr(i, length));
      wide += one.empty() ? std::wstring(1, L'\xFFFD') : one;
      i += one.empty() ? 1 : length;
    }
  }
  return Narrow(CP_UTF8, wide).value_or(std::string());
}

std::optional<std::string> CodePage950FromUtf8(std::string_view utf8) {
  if (!IsUtf8(utf8)) return std::nullopt;
  std::optional<std::string> bytes = Narrow(kBig5, Wide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8));
  // A character the table maps one way only would not come back as itself.
  if (bytes && Narrow(CP_UTF8, Wide(kBig5, 0, *bytes)) != std::string(utf8)) return std::nullopt;
  return bytes;
}

}  // namespace rilo
