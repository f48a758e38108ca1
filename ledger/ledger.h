// The record of every unit command, the journal that makes a stopped command
// finishable, and the ID codes handed to receivers, kept in one store that several
// benches may share. Every call is one transaction, durable when it returns; a store
// that refuses throws DatabaseError and leaves nothing half-written.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ledger/database.h"
#include "ledger/journal_entry.h"
#include "ledger/unit_record.h"

namespace rilo {

// Which records a look-up wants; empty fields match every record.
struct RecordFilter {
  std::string id{}, serial{}, port{};
  std::string since{};  // YYYY-MM-DD, UTC
  int limit = 0;        // the latest this many; 0 for all
};

// An ID code the ledger holds for a receiver: reserved by a run that has not yet
// ended, or used by the unit with `serial`.
struct HeldId {
  int64_t code = 0;
  bool used = false;
  std::string serial;
  std::string bench, port, time;
};

class Ledger {
 public:
  // Creates the tables on first use; throws DatabaseError for a store that cannot be
  // used, or whose tables are of a later version than this program knows.
  explicit Ledger(std::unique_ptr<Database> store);

  void Record(const UnitRecord &record);
  // The latest first.
  std::vector<UnitRecord> Records(const RecordFilter &filter);

  // Keeps `entry` open; answers its number.
  int64_t OpenEntry(const JournalEntry &entry);
  // Replaces what entry `entry.number` holds (a later part became known).
  void UpdateEntry(const JournalEntry &entry);
  void CloseEntry(int64_t number);
  // The entries no command has closed, the latest first.
  std::vector<JournalEntry> OpenEntries();

  // Reserves, in one transaction, the `count` lowest codes from `from` to `last` that
  // no receiver holds, for a run on `bench`; nothing when fewer are free.
  std::vector<int64_t> ReserveIds(int64_t from, int64_t last, size_t count, const std::string &bench,
                                  const std::vector<std::string> &ports);
  // A reserved code given back unused.
  void ReleaseId(int64_t code);
  // The code is on the receiver with `serial` (reserved or not before).
  void UseId(int64_t code, const std::string &serial, const std::string &bench, const std::string &port);
  std::optional<HeldId> Holder(int64_t code);
  // The highest code any receiver holds in [from, last]; nothing when none.
  std::optional<int64_t> LastId(int64_t from, int64_t last);
  std::vector<HeldId> HeldIds();

 private:
  template <class Work>
  auto Transaction(Work work);

  std::unique_ptr<Database> store_;
};

}  // namespace rilo
