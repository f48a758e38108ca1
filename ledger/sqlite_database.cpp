#include "ledger/sqlite_database.h"

#include <sqlite3.h>

namespace rilo {
namespace {

constexpr Dialect kSqlite = {
    .autoId = "INTEGER PRIMARY KEY",
    .bytes = "BLOB",
    // Takes the write lock at once, so two benches never both read a code as free.
    .beginWrite = "BEGIN IMMEDIATE",
};

struct Statement {
  sqlite3_stmt *handle = nullptr;
  ~Statement() { sqlite3_finalize(handle); }
};

}  // namespace

SqliteDatabase::SqliteDatabase(const std::string &path, int busyMs) : path_(path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError(path + ": " + why);
  }
  sqlite3_busy_timeout(db_, busyMs);
  sqlite3_extended_result_codes(db_, 1);
  // A file that is not a database fails here, before anything is written to it; it is
  // closed at once, or Windows would keep it locked until the program ends.
  try {
    Run("PRAGMA journal_mode=WAL");
    Run("PRAGMA synchronous=FULL");
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

SqliteDatabase::~SqliteDatabase() {
  sqlite3_close(db_);
}

const Dialect &SqliteDatabase::dialect() const {
  return kSqlite;
}

void SqliteDatabase::Fail(const std::string &what) const {
  if ((sqlite3_errcode(db_) & 0xFF) == SQLITE_BUSY)
    throw DatabaseError(path_ + ": 正被其他程式使用,請稍後再試");
  throw DatabaseError(path_ + ": " + what + ": " + sqlite3_errmsg(db_));
}

std::vector<Row> SqliteDatabase::Run(std::string_view sql, const std::vector<Value> &params) {
  Statement s;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &s.handle, nullptr) != SQLITE_OK)
    Fail("SQL");
  for (size_t i = 0; i < params.size(); ++i) {
    const int at = static_cast<int>(i) + 1;
    const Value &v = params[i];
    int rc = SQLITE_OK;
    if (const auto *n = std::get_if<int64_t>(&v))
      rc = sqlite3_bind_int64(s.handle, at, *n);
    else if (const auto *d = std::get_if<double>(&v))
      rc = sqlite3_bind_double(s.handle, at, *d);
    else if (const auto *t = std::get_if<std::string>(&v))
      rc = sqlite3_bind_text(s.handle, at, t->data(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
    else if (const auto *b = std::get_if<Bytes>(&v))
      rc = sqlite3_bind_blob(s.handle, at, b->data(), static_cast<int>(b->size()), SQLITE_TRANSIENT);
    else
      rc = sqlite3_bind_null(s.handle, at);
    if (rc != SQLITE_OK) Fail("bind");
  }
  std::vector<Row> rows;
  while (true) {
    const int rc = sqlite3_step(s.handle);
    if (rc == SQLITE_DONE) return rows;
    if (rc != SQLITE_ROW) Fail("step");
    Row row;
    for (int c = 0; c < sqlite3_column_count(s.handle); ++c) {
      switch (sqlite3_column_type(s.handle, c)) {
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(s.handle, c)));
          break;
        case SQLITE_FLOAT:
          row.emplace_back(sqlite3_column_double(s.handle, c));
          break;
        case SQLITE_TEXT:
          row.emplace_back(std::string(reinterpret_cast<const char *>(sqlite3_column_text(s.handle, c)),
                                       static_cast<size_t>(sqlite3_column_bytes(s.handle, c))));
          break;
        case SQLITE_BLOB: {
          const auto *data = static_cast<const uint8_t *>(sqlite3_column_blob(s.handle, c));
          row.emplace_back(Bytes(data, data + sqlite3_column_bytes(s.handle, c)));
          break;
        }
        default:
          row.emplace_back(std::monostate{});
      }
    }
    rows.push_back(std::move(row));
  }
}

}  // namespace rilo
