#include "ledger/ledger_location.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#if RILO_LEDGER_POSTGRES
#include "ledger/postgres_database.h"
#endif
#include "ledger/sqlite_database.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace rilo {
namespace {

std::filesystem::path PathOf(const std::string &utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path &path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path DataFolder() {
#if defined(_WIN32)
  if (const wchar_t *local = _wgetenv(L"LOCALAPPDATA"); local && *local)
    return std::filesystem::path(local) / L"RILO1 Q10-Q12";
  return std::filesystem::path(L"RILO1 Q10-Q12");
#else
  if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    return std::filesystem::path(xdg) / "rilo1q12";
  if (const char *home = std::getenv("HOME"); home && *home)
    return std::filesystem::path(home) / ".local" / "share" / "rilo1q12";
  return "rilo1q12";
#endif
}

}  // namespace

std::string ThisBench() {
#if defined(_WIN32)
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return "";
  return Utf8Of(std::filesystem::path(std::wstring(name, size)));
#else
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
#endif
}

std::string DefaultLedgerFile() {
  return Utf8Of(DataFolder() / "ledger.sqlite");
}

std::unique_ptr<Ledger> OpenLedger(const std::string &location) {
  if (location.starts_with("postgresql://") || location.starts_with("postgres://")) {
#if RILO_LEDGER_POSTGRES
    return std::make_unique<Ledger>(std::make_unique<PostgresDatabase>(location));
#else
    throw DatabaseError("此版本的程式不支援 PostgreSQL 生產紀錄: " + location);
#endif
  }
  if (!location.empty() && !location.starts_with("sqlite:"))
    throw DatabaseError("無法辨識的生產紀錄位置: " + location + " (應為 postgresql://… 或 sqlite:路徑)");
  std::string file = location.empty() ? "" : location.substr(7);
  if (file.empty()) {
    file = DefaultLedgerFile();
    std::error_code error;
    std::filesystem::create_directories(PathOf(file).parent_path(), error);
    if (error) throw DatabaseError(file + ": " + error.message());
  }
  return std::make_unique<Ledger>(std::make_unique<SqliteDatabase>(file));
}

}  // namespace rilo
