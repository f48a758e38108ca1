#include "core/ini_preferences.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#if defined(_WIN32)
#include "core/fallback_preferences.h"
#include "core/registry_preferences.h"
#endif

namespace rilo {
namespace {

constexpr const char *kSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\RILO1 Q10/Q12]";

// A line break in a value is written as \n or \r: left as it is, it would end the line,
// and what followed would read as another value.
std::string Quote(const std::string &s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\' || c == '\n' || c == '\r') out += '\\';
    out += c == '\n' ? 'n' : c == '\r' ? 'r' : c;
  }
  return out + "\"";
}

// Reads a quoted text starting at line[pos] (the opening quote); advances pos past it.
bool Unquote(const std::string &line, size_t &pos, std::string *out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out->clear();
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '\\' && pos + 1 < line.size()) {
      const char escaped = line[++pos];
      *out += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
    } else if (c == '"') {
      ++pos;
      return true;
    } else {
      *out += c;
    }
  }
  return false;
}

std::string Unreadable(const std::string &path, std::error_code reason) {
  return "無法讀取設定檔 " + path + ": " + reason.message();
}

}  // namespace

IniPreferences::IniPreferences(std::string path, FileSystem &files) : path_(std::move(path)), files_(files) {
  unreadable_ = Load();
}

// Values in hand stay when the file is there but cannot be read.
std::error_code IniPreferences::Load() {
  std::error_code error;
  const std::optional<std::string> content = files_.ReadFile(path_, &error);
  if (!content && error != std::errc::no_such_file_or_directory) return error;
  values.clear();
  std::istringstream in(content.value_or(""));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t pos = 0;
    std::string name, text;
    if (!Unquote(line, pos, &name) || pos >= line.size() || line[pos] != '=') continue;
    ++pos;
    if (Unquote(line, pos, &text)) {
      values[name] = text;
    } else if (line.compare(pos, 6, "dword:") == 0) {
      char *end = nullptr;
      unsigned long v = std::strtoul(line.c_str() + pos + 6, &end, 16);
      if (end != line.c_str() + pos + 6) values[name] = static_cast<int32_t>(static_cast<uint32_t>(v));
    }
  }
  return {};
}

// Each write starts from the file as it is now, so a value another program stored
// meanwhile (rilo-cli beside the window) is kept rather than overwritten from memory.
// The value is kept in memory even when the file cannot take it.
void IniPreferences::WriteInteger(const std::string &name, int32_t value) {
  const std::error_code unread = Load();
  MemoryPreferences::WriteInteger(name, value);
  Save(unread);
}

void IniPreferences::WriteString(const std::string &name, const std::string &value) {
  const std::error_code unread = Load();
  MemoryPreferences::WriteString(name, value);
  Save(unread);
}

void IniPreferences::Save(std::error_code unread) const {
  // Written over, a file that could not be read would lose the values it holds.
  if (unread) throw std::runtime_error(Unreadable(path_, unread));
  std::ostringstream out;
  out << kSection << "\n";
  for (const auto &[name, value] : values) {
    out << Quote(name) << "=";
    if (const auto *i = std::get_if<int32_t>(&value)) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%08x", static_cast<uint32_t>(*i));
      out << "dword:" << hex << "\n";
    } else {
      out << Quote(std::get<std::string>(value)) << "\n";
    }
  }
  const std::u8string folder = PathFromUtf8(path_).parent_path().u8string();
  std::error_code error;
  if (!folder.empty()) error = files_.CreateFolders(std::string(folder.begin(), folder.end()));
  if (!error) error = files_.WriteAtomically(path_, out.str());
  if (error) throw std::runtime_error("無法寫入設定檔 " + path_ + ": " + error.message());
}

std::string DefaultPreferencesPath() {
  std::string base;
  if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char *home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/RILO1Q12/preferences.ini";
}

std::unique_ptr<Preferences> OpenPreferenceStore() {
#if defined(_WIN32)
  return std::make_unique<FallbackPreferences>(
      std::make_unique<RegistryPreferences>(HKEY_LOCAL_MACHINE, kPreferencesKey),
      std::make_unique<RegistryPreferences>(HKEY_CURRENT_USER, kPreferencesKey));
#else
  return std::make_unique<IniPreferences>(DefaultPreferencesPath());
#endif
}

std::unique_ptr<Preferences> OpenReadablePreferenceStore(std::string *error) {
#if defined(_WIN32)
  (void)error;
  return OpenPreferenceStore();
#else
  auto store = std::make_unique<IniPreferences>(DefaultPreferencesPath());
  if (store->unreadable()) {
    *error = Unreadable(store->path(), store->unreadable());
    return nullptr;
  }
  return store;
#endif
}

}  // namespace rilo
