#include "ledger/postgres_database.h"

#include <libpq-fe.h>

#include <charconv>
#include <memory>

namespace rilo {
namespace {

// Object ids of the column types the ledger's tables use.
constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt4 = 23;
constexpr Oid kFloat8 = 701;

constexpr Dialect kPostgres = {
    .autoId = "BIGSERIAL PRIMARY KEY",
    .bytes = "BYTEA",
    // One writer at a time across every bench: the lock ends with the transaction.
    .beginWrite = "BEGIN; SELECT pg_advisory_xact_lock(7240120)",
};

struct ResultCloser {
  void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

std::string Reason(const char *text) {
  std::string reason = text ? text : "";
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
    reason.pop_back();
  return "PostgreSQL: " + reason;
}

// `?` placeholders as $1, $2, … (the ledger's SQL holds no `?` elsewhere).
std::string Numbered(std::string_view sql) {
  std::string text;
  int n = 0;
  for (char c : sql)
    text += c == '?' ? "$" + std::to_string(++n) : std::string(1, c);
  return text;
}

Value ValueOf(const PGresult *r, int row, int column) {
  if (PQgetisnull(r, row, column)) return std::monostate{};
  const char *text = PQgetvalue(r, row, column);
  const int length = PQgetlength(r, row, column);
  switch (PQftype(r, column)) {
    case kInt8:
    case kInt4: {
      int64_t n = 0;
      std::from_chars(text, text + length, n);
      return n;
    }
    case kFloat8: {
      // Not strtod: the window's locale may write decimals with a comma.
      double d = 0;
      std::from_chars(text, text + length, d);
      return d;
    }
    case kBytea: {
      size_t size = 0;
      unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
      Bytes value(bytes, bytes + size);
      PQfreemem(bytes);
      return value;
    }
    default:
      return std::string(text, static_cast<size_t>(length));
  }
}

}  // namespace

PostgresDatabase::PostgresDatabase(const std::string &url) {
  // The URL's own settings win over these bounds, which come first.
  const char *keys[] = {"connect_timeout",  "tcp_user_timeout", "keepalives_idle", "keepalives_interval",
                        "keepalives_count", "options",          "dbname",          nullptr};
  const char *values[] = {"5",         "10000", "5", "2", "3", "-c lock_timeout=10s -c statement_timeout=15s",
                          url.c_str(), nullptr};
  conn_ = PQconnectdbParams(keys, values, 1);
  if (!conn_) throw DatabaseError("PostgreSQL: out of memory");
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string why = Reason(PQerrorMessage(conn_));
    PQfinish(conn_);
    conn_ = nullptr;
    throw DatabaseError(why);
  }
  Run("SET client_min_messages = warning");
}

PostgresDatabase::~PostgresDatabase() {
  PQfinish(conn_);
}

const Dialect &PostgresDatabase::dialect() const {
  return kPostgres;
}

std::vector<Row> PostgresDatabase::Run(std::string_view sql, const std::vector<Value> &params) {
  Result result;
  if (params.empty()) {
    result.reset(PQexec(conn_, std::string(sql).c_str()));
  } else {
    std::vector<std::string> texts(params.size());
    std::vector<const char *> pointers(params.size(), nullptr);
    std::vector<int> lengths(params.size(), 0), formats(params.size(), 0);
    for (size_t i = 0; i < params.size(); ++i) {
      const Value &v = params[i];
      if (const auto *n = std::get_if<int64_t>(&v)) {
        texts[i] = std::to_string(*n);
      } else if (const auto *d = std::get_if<double>(&v)) {
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, *d).ptr;
        texts[i].assign(buffer, end);
      } else if (const auto *t = std::get_if<std::string>(&v)) {
        texts[i] = *t;
      } else if (const auto *b = std::get_if<Bytes>(&v)) {
        texts[i].assign(b->begin(), b->end());
        formats[i] = 1;
      } else {
        continue;  // NULL
      }
      pointers[i] = texts[i].data();
      lengths[i] = static_cast<int>(texts[i].size());
    }
    result.reset(PQexecParams(conn_, Numbered(sql).c_str(), static_cast<int>(params.size()), nullptr,
                              pointers.data(), lengths.data(), formats.data(), 0));
  }
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    throw DatabaseError(Reason(PQerrorMessage(conn_)));
  std::vector<Row> rows;
  for (int r = 0; r < PQntuples(result.get()); ++r) {
    Row row;
    for (int c = 0; c < PQnfields(result.get()); ++c)
      row.push_back(ValueOf(result.get(), r, c));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace rilo
