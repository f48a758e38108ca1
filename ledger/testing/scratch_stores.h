// Stores for the ledger's tests: an SQLite file in a scratch folder, and a database of
// its own on the test run's PostgreSQL server (RILO_TEST_POSTGRES, an admin URL whose
// database is left alone) made for the test and dropped after it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ledger/ledger_location.h"
#include "ledger/postgres_database.h"

namespace rilo::testing {

enum class Backend { Sqlite, Postgres };

inline const char *PostgresAdminUrl() {
  const char *url = std::getenv("RILO_TEST_POSTGRES");
  return url && *url ? url : nullptr;
}

// One store for one test: `Location()` is what OpenLedger takes.
class ScratchStore {
 public:
  explicit ScratchStore(Backend backend) : backend_(backend) {
    static int made = 0;
    const std::string name = "rilo_" + std::to_string(getpid()) + "_" + std::to_string(++made);
    if (backend_ == Backend::Sqlite) {
      folder_ = std::filesystem::temp_directory_path() / name;
      std::filesystem::create_directories(folder_);
      location_ = "sqlite:" + (folder_ / "ledger.sqlite").string();
      return;
    }
    admin_ = PostgresAdminUrl();
    PostgresDatabase(admin_).Run("CREATE DATABASE " + name);
    database_ = name;
    // The admin URL's database is its last path part, before any query.
    const size_t query = admin_.find('?');
    const size_t slash = admin_.rfind('/', query);
    location_ = admin_.substr(0, slash + 1) + name + (query == std::string::npos ? "" : admin_.substr(query));
  }
  ~ScratchStore() {
    if (backend_ == Backend::Sqlite) {
      std::filesystem::remove_all(folder_);
      return;
    }
    try {
      PostgresDatabase(admin_).Run("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
    } catch (const DatabaseError &) {
    }
  }
  ScratchStore(const ScratchStore &) = delete;
  ScratchStore &operator=(const ScratchStore &) = delete;

  const std::string &Location() const { return location_; }
  const std::filesystem::path &Folder() const { return folder_; }

 private:
  Backend backend_;
  std::filesystem::path folder_;
  std::string admin_, database_, location_;
};

}  // namespace rilo::testing
