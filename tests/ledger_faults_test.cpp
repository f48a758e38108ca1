// A ledger that refuses (a full disk, a server gone) never lets a unit command touch
// the unit without its journal, and a refused record fails the command: nothing passes
// as done that the ledger does not know of, and nothing is half-recorded.
#include <gtest/gtest.h>

#include <string>

#include "ledger/sqlite_database.h"
#include "tests/testing/settings_bench.h"

namespace rilo {
namespace {

using testing::Flash;
using testing::Standard;
using Bench = testing::SettingsBench;

constexpr int kErase = 0x16;

// An SQLite store in memory that refuses every statement starting with `refused`, as
// a full disk refuses the first write that needs a page.
class RefusingStore : public Database {
 public:
  explicit RefusingStore(std::string refused) : refused_(std::move(refused)) {}
  std::vector<Row> Run(std::string_view sql, const std::vector<Value> &params) override {
    if (!refused_.empty() && sql.starts_with(refused_)) throw DatabaseError("database or disk is full");
    return store_.Run(sql, params);
  }
  const Dialect &dialect() const override { return store_.dialect(); }

 private:
  SqliteDatabase store_{":memory:"};
  std::string refused_;
};

struct RefusalCase {
  const char *name;
  const char *refused;  // the statement the store refuses
  bool write;           // a settings write; else a read
  const char *said;     // the start of the message the command ends with
  bool unitTouched;     // the unit was erased or written
  size_t records;       // what the ledger holds afterwards
};

class LedgerRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(LedgerRefusal, TheCommandFailsAndTheLedgerHoldsNothingHalfDone) {
  const RefusalCase &c = GetParam();
  Bench b(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(b.bench.NLoadSetClick().done);
  b.Shown();
  b.bench.UseLedger(std::make_unique<Ledger>(std::make_unique<RefusingStore>(c.refused)), "bench-test");
  b.editor().Pick(b.List("CBUDAction"), 2);
  const auto before = Flash(b.unit, 0x1000, 0xF000);
  const size_t requestsBefore = b.unit.requests().size();

  const Outcome outcome = c.write ? b.bench.NWriteSetClick() : b.bench.NLoadSetClick();
  EXPECT_FALSE(outcome.done);
  const Said *reason = outcome.Reason();
  ASSERT_NE(reason, nullptr);
  EXPECT_TRUE(reason->text.starts_with(c.said)) << reason->text;
  EXPECT_NE(reason->text.find("database or disk is full"), std::string::npos) << reason->text;
  EXPECT_EQ(Flash(b.unit, 0x1000, 0xF000) != before, c.unitTouched);
  if (!c.unitTouched) {
    for (size_t i = requestsBefore; i < b.unit.requests().size(); ++i)
      EXPECT_FALSE(b.unit.requests()[i].kind == sim::Request::Kind::kFrame &&
                   b.unit.requests()[i].command() == kErase);
  }
  EXPECT_EQ(b.bench.ledger()->Records({}).size(), c.records);
  EXPECT_TRUE(b.bench.ledger()->OpenEntries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, LedgerRefusal,
    ::testing::Values(
        // The journal cannot be kept: the write stops before its first erase; its
        // failure is still recorded.
        RefusalCase{"JournalRefused", "INSERT INTO journal", true, "無法寫入生產紀錄,機器未被更動", false, 1},
        // The record cannot be kept: the read (or write) that went well counts as failed.
        RefusalCase{"ReadNotRecorded", "INSERT INTO unit_records", false, "無法寫入生產紀錄", false, 0},
        RefusalCase{"WriteNotRecorded", "INSERT INTO unit_records", true, "無法寫入生產紀錄", true, 0}),
    [](const auto &p) { return std::string(p.param.name); });

TEST(LedgerRefusal, AnUnusableLedgerStopsTheCommandBeforeTheUnit) {
  Bench b(Standard(sim::Model::kReceiver8k));
  b.bench.LedgerUnusable(
      "PostgreSQL: connection to server at \"10.0.0.9\", port 5432 failed: timeout expired");
  const size_t requestsBefore = b.unit.requests().size();
  for (const Outcome &outcome : {b.bench.NLoadSetClick(), b.bench.NWriteSetClick()}) {
    EXPECT_FALSE(outcome.done);
    ASSERT_NE(outcome.Reason(), nullptr);
    EXPECT_EQ(
        outcome.Reason()->text,
        "無法使用生產紀錄,機器未被更動: PostgreSQL: connection to server at \"10.0.0.9\", port 5432 failed: "
        "timeout expired");
  }
  EXPECT_EQ(b.unit.requests().size(), requestsBefore);
}

}  // namespace
}  // namespace rilo
