// The seam to the store the ledger lives in: one statement at a time, with `?` for its
// parameters, answering its rows. SQLite on the bench itself and PostgreSQL for a
// factory's shared record stand behind it; the ledger's SQL is written once above it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rilo {

using Bytes = std::vector<uint8_t>;
// NULL, a whole number, a number, a text or bytes.
using Value = std::variant<std::monostate, int64_t, double, std::string, Bytes>;
using Row = std::vector<Value>;

// The store refused or could not be reached; what() says why, for the person.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the two stores' SQL differs.
struct Dialect {
  const char *autoId;      // the column type of a key the store numbers itself
  const char *bytes;       // the column type of raw bytes
  const char *beginWrite;  // starts a transaction that writers of the ledger take one at a time
};

class Database {
 public:
  virtual ~Database() = default;
  // Runs one statement; `?` placeholders take `params` in order. Throws DatabaseError.
  virtual std::vector<Row> Run(std::string_view sql, const std::vector<Value> &params = {}) = 0;
  virtual const Dialect &dialect() const = 0;
};

// A row's value as a text or a number; empty or 0 for NULL.
std::string TextOf(const Value &value);
int64_t NumberOf(const Value &value);

}  // namespace rilo
