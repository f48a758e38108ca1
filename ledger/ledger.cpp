#include "ledger/ledger.h"

#include <type_traits>
#include <utility>

#include "ledger/utc_time.h"

namespace rilo {
namespace {

constexpr int64_t kSchemaVersion = 1;

std::string Expand(std::string sql, const Dialect &d) {
  for (auto [name, with] : {std::pair{"{autoId}", d.autoId}, std::pair{"{bytes}", d.bytes}})
    for (size_t at = sql.find(name); at != std::string::npos; at = sql.find(name, at))
      sql.replace(at, std::string_view(name).size(), with);
  return sql;
}

constexpr const char *kTables[] = {
    "CREATE TABLE IF NOT EXISTS ledger_schema (version BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS unit_records ("
    " number {autoId}, time TEXT NOT NULL, bench TEXT, port TEXT, device TEXT, command TEXT, kind TEXT,"
    " model TEXT, loader_version TEXT, id_code TEXT, serial TEXT, date_code TEXT, firmware_file TEXT,"
    " firmware_sha256 TEXT, settings_sha256 TEXT, succeeded BIGINT, failed_step TEXT, failed_page BIGINT,"
    " failed_address TEXT, first_message TEXT, seconds DOUBLE PRECISION)",
    "CREATE INDEX IF NOT EXISTS unit_records_id ON unit_records (id_code)",
    "CREATE INDEX IF NOT EXISTS unit_records_serial ON unit_records (serial)",
    "CREATE TABLE IF NOT EXISTS journal ("
    " number {autoId}, opened TEXT NOT NULL, bench TEXT, port TEXT, device TEXT, command TEXT,"
    " chip {bytes}, loader_version BIGINT, id_code TEXT, serial TEXT, blocks {bytes}, top_pages {bytes},"
    " identity {bytes}, vectors {bytes}, firmware {bytes}, closed TEXT)",
    "CREATE TABLE IF NOT EXISTS id_codes ("
    " code BIGINT PRIMARY KEY, used BIGINT NOT NULL, serial TEXT, bench TEXT, port TEXT, time TEXT)",
};

constexpr const char *kRecordColumns =
    "time, bench, port, device, command, kind, model, loader_version, id_code, serial, date_code, "
    "firmware_file,"
    " firmware_sha256, settings_sha256, succeeded, failed_step, failed_page, failed_address, first_message,"
    " seconds";

constexpr const char *kEntryColumns =
    "number, opened, bench, port, device, command, chip, loader_version, id_code, serial, blocks, top_pages,"
    " identity, vectors, firmware";

Bytes BytesOf(const Value &value) {
  const auto *b = std::get_if<Bytes>(&value);
  return b ? *b : Bytes{};
}

JournalEntry EntryOf(const Row &r) {
  JournalEntry e;
  e.number = NumberOf(r[0]);
  e.opened = TextOf(r[1]);
  e.bench = TextOf(r[2]);
  e.port = TextOf(r[3]);
  e.device = TextOf(r[4]);
  e.command = TextOf(r[5]);
  e.chip = BytesOf(r[6]);
  e.loaderVersion = static_cast<uint16_t>(NumberOf(r[7]));
  e.id = TextOf(r[8]);
  e.serial = TextOf(r[9]);
  e.blocks = BytesOf(r[10]);
  e.topPages = BytesOf(r[11]);
  e.identity = BytesOf(r[12]);
  e.vectors = BytesOf(r[13]);
  e.firmware = BytesOf(r[14]);
  return e;
}

std::vector<Value> EntryValues(const JournalEntry &e) {
  return {e.opened, e.bench,  e.port,   e.device,   e.command,  e.chip,    int64_t{e.loaderVersion},
          e.id,     e.serial, e.blocks, e.topPages, e.identity, e.vectors, e.firmware};
}

HeldId HeldOf(const Row &r) {
  return {.code = NumberOf(r[0]),
          .used = NumberOf(r[1]) != 0,
          .serial = TextOf(r[2]),
          .bench = TextOf(r[3]),
          .port = TextOf(r[4]),
          .time = TextOf(r[5])};
}

}  // namespace

std::string TextOf(const Value &value) {
  if (const auto *t = std::get_if<std::string>(&value)) return *t;
  if (const auto *n = std::get_if<int64_t>(&value)) return std::to_string(*n);
  return "";
}

int64_t NumberOf(const Value &value) {
  if (const auto *n = std::get_if<int64_t>(&value)) return *n;
  if (const auto *d = std::get_if<double>(&value)) return static_cast<int64_t>(*d);
  if (const auto *t = std::get_if<std::string>(&value)) return t->empty() ? 0 : std::stoll(*t);
  return 0;
}

// Runs `work` between the store's write-transaction start and its commit; a refusal
// rolls back, so nothing is left half-written.
template <class Work>
auto Ledger::Transaction(Work work) {
  try {
    // Inside the try: a start that fails half-way (a lock waited for too long after the
    // transaction began) must be rolled back too, or the connection refuses all after it.
    store_->Run(store_->dialect().beginWrite);
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      store_->Run("COMMIT");
    } else {
      auto result = work();
      store_->Run("COMMIT");
      return result;
    }
  } catch (...) {
    try {
      store_->Run("ROLLBACK");
    } catch (const DatabaseError &) {
      // No transaction was open, or the store is gone and rolls back on its own.
    }
    throw;
  }
}

Ledger::Ledger(std::unique_ptr<Database> store) : store_(std::move(store)) {
  Transaction([&] {
    for (const char *sql : kTables)
      store_->Run(Expand(sql, store_->dialect()));
    const auto rows = store_->Run("SELECT max(version) FROM ledger_schema");
    const int64_t version = rows.empty() ? 0 : NumberOf(rows[0][0]);
    if (version > kSchemaVersion)
      throw DatabaseError("生產紀錄的版本 (" + std::to_string(version) + ") 比本程式新,請更新程式");
    if (version == 0) store_->Run("INSERT INTO ledger_schema (version) VALUES (?)", {kSchemaVersion});
  });
}

void Ledger::Record(const UnitRecord &u) {
  Transaction([&] {
    store_->Run(std::string("INSERT INTO unit_records (") + kRecordColumns +
                    ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {u.time,
                 u.bench,
                 u.port,
                 u.device,
                 u.command,
                 u.kind,
                 u.model,
                 u.loaderVersion,
                 u.id,
                 u.serial,
                 u.date,
                 u.firmwareFile,
                 u.firmwareSha256,
                 u.settingsSha256,
                 int64_t{u.succeeded},
                 u.failedStep,
                 int64_t{u.failedPage},
                 u.failedAddress,
                 u.firstMessage,
                 u.seconds});
  });
}

std::vector<UnitRecord> Ledger::Records(const RecordFilter &filter) {
  std::string sql = std::string("SELECT ") + kRecordColumns + " FROM unit_records WHERE 1 = 1";
  std::vector<Value> params;
  for (auto [column, value] :
       {std::pair{" AND id_code = ?", &filter.id}, std::pair{" AND serial = ?", &filter.serial},
        std::pair{" AND port = ?", &filter.port}, std::pair{" AND time >= ?", &filter.since}}) {
    if (value->empty()) continue;
    sql += column;
    params.emplace_back(*value);
  }
  sql += " ORDER BY number DESC";
  if (filter.limit > 0) sql += " LIMIT " + std::to_string(filter.limit);
  std::vector<UnitRecord> records;
  for (const Row &r : store_->Run(sql, params)) {
    UnitRecord u;
    u.time = TextOf(r[0]);
    u.bench = TextOf(r[1]);
    u.port = TextOf(r[2]);
    u.device = TextOf(r[3]);
    u.command = TextOf(r[4]);
    u.kind = TextOf(r[5]);
    u.model = TextOf(r[6]);
    u.loaderVersion = TextOf(r[7]);
    u.id = TextOf(r[8]);
    u.serial = TextOf(r[9]);
    u.date = TextOf(r[10]);
    u.firmwareFile = TextOf(r[11]);
    u.firmwareSha256 = TextOf(r[12]);
    u.settingsSha256 = TextOf(r[13]);
    u.succeeded = NumberOf(r[14]) != 0;
    u.failedStep = TextOf(r[15]);
    u.failedPage = static_cast<int>(NumberOf(r[16]));
    u.failedAddress = TextOf(r[17]);
    u.firstMessage = TextOf(r[18]);
    const auto *seconds = std::get_if<double>(&r[19]);
    u.seconds = seconds ? *seconds : static_cast<double>(NumberOf(r[19]));
    records.push_back(std::move(u));
  }
  return records;
}

int64_t Ledger::OpenEntry(const JournalEntry &entry) {
  return Transaction([&] {
    const auto rows = store_->Run(
        "INSERT INTO journal (opened, bench, port, device, command, chip, loader_version, id_code, serial, "
        "blocks,"
        " top_pages, identity, vectors, firmware) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "RETURNING number",
        EntryValues(entry));
    return NumberOf(rows.at(0).at(0));
  });
}

void Ledger::UpdateEntry(const JournalEntry &entry) {
  Transaction([&] {
    std::vector<Value> values = EntryValues(entry);
    values.emplace_back(entry.number);
    store_->Run(
        "UPDATE journal SET opened = ?, bench = ?, port = ?, device = ?, command = ?, chip = ?, "
        "loader_version = ?,"
        " id_code = ?, serial = ?, blocks = ?, top_pages = ?, identity = ?, vectors = ?, firmware = ?"
        " WHERE number = ?",
        values);
  });
}

void Ledger::CloseEntry(int64_t number) {
  Transaction([&] {
    store_->Run("UPDATE journal SET closed = ? WHERE number = ? AND closed IS NULL", {UtcNow(), number});
  });
}

std::vector<JournalEntry> Ledger::OpenEntries() {
  std::vector<JournalEntry> entries;
  for (const Row &r : store_->Run(std::string("SELECT ") + kEntryColumns +
                                  " FROM journal WHERE closed IS NULL ORDER BY number DESC"))
    entries.push_back(EntryOf(r));
  return entries;
}

std::vector<int64_t> Ledger::ReserveIds(int64_t from, int64_t last, size_t count, const std::string &bench,
                                        const std::vector<std::string> &ports) {
  return Transaction([&] {
    std::vector<int64_t> codes;
    // Walk the held codes in order from `from`: every gap before the next held one is free.
    int64_t next = from;
    const auto held =
        store_->Run("SELECT code FROM id_codes WHERE code >= ? AND code <= ? ORDER BY code", {from, last});
    size_t h = 0;
    while (codes.size() < count && next <= last) {
      if (h < held.size() && NumberOf(held[h][0]) == next) {
        ++h;
      } else {
        codes.push_back(next);
      }
      ++next;
    }
    if (codes.size() < count) return std::vector<int64_t>{};
    for (size_t i = 0; i < codes.size(); ++i)
      store_->Run("INSERT INTO id_codes (code, used, serial, bench, port, time) VALUES (?, 0, '', ?, ?, ?)",
                  {codes[i], bench, i < ports.size() ? ports[i] : std::string(), UtcNow()});
    return codes;
  });
}

void Ledger::ReleaseId(int64_t code) {
  Transaction([&] { store_->Run("DELETE FROM id_codes WHERE code = ? AND used = 0", {code}); });
}

void Ledger::UseId(int64_t code, const std::string &serial, const std::string &bench,
                   const std::string &port) {
  Transaction([&] {
    store_->Run("DELETE FROM id_codes WHERE code = ?", {code});
    store_->Run("INSERT INTO id_codes (code, used, serial, bench, port, time) VALUES (?, 1, ?, ?, ?, ?)",
                {code, serial, bench, port, UtcNow()});
  });
}

std::optional<HeldId> Ledger::Holder(int64_t code) {
  const auto rows =
      store_->Run("SELECT code, used, serial, bench, port, time FROM id_codes WHERE code = ?", {code});
  if (rows.empty()) return std::nullopt;
  return HeldOf(rows[0]);
}

std::optional<int64_t> Ledger::LastId(int64_t from, int64_t last) {
  const auto rows = store_->Run("SELECT max(code) FROM id_codes WHERE code >= ? AND code <= ?", {from, last});
  if (rows.empty() || std::holds_alternative<std::monostate>(rows[0][0])) return std::nullopt;
  return NumberOf(rows[0][0]);
}

std::vector<HeldId> Ledger::HeldIds() {
  std::vector<HeldId> held;
  for (const Row &r : store_->Run("SELECT code, used, serial, bench, port, time FROM id_codes ORDER BY code"))
    held.push_back(HeldOf(r));
  return held;
}

}  // namespace rilo
