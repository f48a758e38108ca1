// The ledger's store as an SQLite file on the bench: write-ahead log, every commit
// synced to the disk, and a bounded wait for another process's transaction.
#pragma once

#include <memory>
#include <string>

#include "ledger/database.h"

struct sqlite3;

namespace rilo {

class SqliteDatabase : public Database {
 public:
  // Opens (creating) the file at the UTF-8 `path`; its folder must exist. A store held
  // by another writer is waited for up to `busyMs`. Throws DatabaseError.
  explicit SqliteDatabase(const std::string &path, int busyMs = 5000);
  ~SqliteDatabase() override;
  SqliteDatabase(const SqliteDatabase &) = delete;
  SqliteDatabase &operator=(const SqliteDatabase &) = delete;

  std::vector<Row> Run(std::string_view sql, const std::vector<Value> &params = {}) override;
  const Dialect &dialect() const override;

 private:
  [[noreturn]] void Fail(const std::string &what) const;
  sqlite3 *db_ = nullptr;
  std::string path_;
};

}  // namespace rilo
