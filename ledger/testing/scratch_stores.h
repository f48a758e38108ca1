// Stores for the ledger's tests: an SQLite file in a scratch folder, and a database of
// its own on the test run's PostgreSQL server (RILO_TEST_POSTGRES, an admin URL whose
// database is left alone) made for the test and dropped after it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "ledger/ledger_location.h"
#if RILO_LEDGER_POSTGRES
#include "ledger/postgres_database.h"
#endif

namespace rilo::testing {

// PostgreSQL only where the ledger is built with it (not on Windows).
enum class Backend {
  Sqlite,
#if RILO_LEDGER_POSTGRES
  Postgres,
#endif
};

// The UTF-8 text of `path`, as the ledger's locations are written (`string()` would give
// the ANSI code page on Windows).
inline std::string Utf8(const std::filesystem::path &path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

#if RILO_LEDGER_POSTGRES
inline const char *PostgresAdminUrl() {
  const char *url = std::getenv("RILO_TEST_POSTGRES");
  return url && *url ? url : nullptr;
}
#endif

// One store for one test: `Location()` is what OpenLedger takes.
class ScratchStore {
 public:
  explicit ScratchStore(Backend backend) : backend_(backend) {
    static int made = 0;
    const std::string name = "rilo_" + std::to_string(getpid()) + "_" + std::to_string(++made);
    if (backend_ == Backend::Sqlite) {
      folder_ = std::filesystem::temp_directory_path() / name;
      std::filesystem::create_directories(folder_);
      location_ = "sqlite:" + Utf8(folder_ / "ledger.sqlite");
      return;
    }
#if RILO_LEDGER_POSTGRES
    admin_ = PostgresAdminUrl();
    PostgresDatabase(admin_).Run("CREATE DATABASE " + name);
    database_ = name;
    // The admin URL's database is its last path part, before any query.
    const size_t query = admin_.find('?');
    const size_t slash = admin_.rfind('/', query);
    location_ = admin_.substr(0, slash + 1) + name + (query == std::string::npos ? "" : admin_.substr(query));
#endif
  }
  ~ScratchStore() {
    if (backend_ == Backend::Sqlite) {
      // Not thrown from a destructor: on Windows a file still held open cannot be removed.
      std::error_code error;
      std::filesystem::remove_all(folder_, error);
      return;
    }
#if RILO_LEDGER_POSTGRES
    try {
      PostgresDatabase(admin_).Run("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
    } catch (const DatabaseError &) {
    }
#endif
  }
  ScratchStore(const ScratchStore &) = delete;
  ScratchStore &operator=(const ScratchStore &) = delete;

  const std::string &Location() const {
    return location_;
  }
  const std::filesystem::path &Folder() const {
    return folder_;
  }

 private:
  Backend backend_;
  std::filesystem::path folder_;
  std::string admin_, database_, location_;
};

}  // namespace rilo::testing
