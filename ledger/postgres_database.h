// The ledger's store on a PostgreSQL server that several benches share, through libpq.
// Every wait is bounded: the connection, a lock another bench holds, and a server or
// network that stops answering.
#pragma once

#include <string>

#include "ledger/database.h"

struct pg_conn;

namespace rilo {

class PostgresDatabase : public Database {
 public:
  // `url`: postgresql://[user[:password]@]host[:port]/database[?…]. Throws DatabaseError.
  explicit PostgresDatabase(const std::string &url);
  ~PostgresDatabase() override;
  PostgresDatabase(const PostgresDatabase &) = delete;
  PostgresDatabase &operator=(const PostgresDatabase &) = delete;

  std::vector<Row> Run(std::string_view sql, const std::vector<Value> &params = {}) override;
  const Dialect &dialect() const override;

 private:
  pg_conn *conn_ = nullptr;
};

}  // namespace rilo
