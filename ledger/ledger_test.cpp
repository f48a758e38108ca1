#include "ledger/ledger.h"

#include <gtest/gtest.h>

#include <fstream>

#include "ledger/ledger_location.h"
#include "ledger/sqlite_database.h"
#include "ledger/testing/scratch_stores.h"

namespace rilo {
namespace {

using testing::Backend;
using testing::ScratchStore;

class LedgerTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
#if RILO_LEDGER_POSTGRES
    if (GetParam() == Backend::Postgres && !testing::PostgresAdminUrl()) {
      if (std::getenv("RILO_REQUIRE_POSTGRES")) FAIL() << "RILO_TEST_POSTGRES is not set";
      GTEST_SKIP() << "no PostgreSQL server for this run (RILO_TEST_POSTGRES)";
    }
#endif
    store_ = std::make_unique<ScratchStore>(GetParam());
    ledger_ = OpenLedger(store_->Location());
  }
  std::unique_ptr<ScratchStore> store_;
  std::unique_ptr<Ledger> ledger_;
};

UnitRecord Unit(std::string time, std::string id, std::string serial, std::string port) {
  UnitRecord u;
  u.time = std::move(time);
  u.bench = "bench-1";
  u.port = std::move(port);
  u.device = "/dev/ttyUSB0";
  u.command = "write";
  u.kind = "Rx";
  u.model = "12";
  u.loaderVersion = "1.61";
  u.id = std::move(id);
  u.serial = std::move(serial);
  u.date = "2026/12/10";
  u.settingsSha256 = std::string(64, 'a');
  u.succeeded = true;
  u.seconds = 4.25;
  return u;
}

TEST_P(LedgerTest, RecordsComeBackWholeLatestFirstAndFilteredByIdSerialPortAndDay) {
  UnitRecord failed = Unit("2026-12-09T23:59:59Z", "12000030", "00000001", "COM3");
  failed.succeeded = false;
  failed.failedStep = "寫入設定";
  failed.failedPage = 5;
  failed.failedAddress = "0x1091";
  failed.firstMessage = "寫入後驗證失敗,位址 0x1091 的資料不符!!";
  ledger_->Record(failed);
  ledger_->Record(Unit("2026-12-10T08:00:00Z", "12000031", "00000002", "COM4"));
  ledger_->Record(Unit("2026-12-10T09:00:00Z", "12000030", "00000003", "COM4"));

  const auto all = ledger_->Records({});
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].serial, "00000003");
  EXPECT_EQ(all[2], failed);

  struct Case {
    RecordFilter filter;
    std::vector<std::string> serials;
  };
  const Case cases[] = {
      {{.id = "12000030"}, {"00000003", "00000001"}},
      {{.serial = "00000002"}, {"00000002"}},
      {{.port = "COM4"}, {"00000003", "00000002"}},
      {{.since = "2026-12-10"}, {"00000003", "00000002"}},
      {{.limit = 1}, {"00000003"}},
      {{.id = "12000030", .port = "COM3"}, {"00000001"}},
      {{.serial = "99999999"}, {}},
  };
  for (const Case &c : cases) {
    std::vector<std::string> serials;
    for (const UnitRecord &u : ledger_->Records(c.filter))
      serials.push_back(u.serial);
    EXPECT_EQ(serials, c.serials) << c.filter.id << c.filter.serial << c.filter.port << c.filter.since;
  }
}

TEST_P(LedgerTest, AJournalEntryKeepsEveryByteUntilItIsClosed) {
  JournalEntry entry;
  entry.opened = "2026-12-10T08:00:00Z";
  entry.bench = "bench-1";
  entry.port = "COM3";
  entry.device = "/dev/ttyUSB0";
  entry.command = "write";
  entry.chip = {0xF1, 0x49, 0x00};
  entry.loaderVersion = 0x0161;
  entry.id = "12000030";
  entry.serial = "00000001";
  for (int i = 0; i < 256; ++i)
    entry.blocks.push_back(static_cast<uint8_t>(i));  // every byte value, NUL and quote included
  entry.number = ledger_->OpenEntry(entry);
  JournalEntry other = entry;
  other.port = "COM4";
  other.number = ledger_->OpenEntry(other);
  EXPECT_NE(entry.number, other.number);

  entry.topPages.assign(3 * 138, 0x5A);
  entry.identity.assign(138, 0x00);
  entry.vectors.assign(32, 0xFF);
  ledger_->UpdateEntry(entry);
  auto open = ledger_->OpenEntries();
  ASSERT_EQ(open.size(), 2u);
  EXPECT_EQ(open[0], other);
  EXPECT_EQ(open[1], entry);

  ledger_->CloseEntry(other.number);
  ledger_->CloseEntry(other.number);  // twice is once
  open = ledger_->OpenEntries();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0], entry);
}

TEST_P(LedgerTest, ReservationsTakeTheLowestFreeCodesAndOnlyWhenEnoughAreFree) {
  ledger_->UseId(12000031, "00000001", "bench-1", "COM3");
  const auto first = ledger_->ReserveIds(12000030, 12999999, 3, "bench-2", {"COM1", "COM2", "COM3"});
  EXPECT_EQ(first, (std::vector<int64_t>{12000030, 12000032, 12000033}));
  const auto held = ledger_->Holder(12000032);
  ASSERT_TRUE(held);
  EXPECT_FALSE(held->used);
  EXPECT_EQ(held->bench, "bench-2");
  EXPECT_EQ(held->port, "COM2");

  // A failed unit gives its code back; a used one keeps it whatever is asked.
  ledger_->ReleaseId(12000030);
  ledger_->ReleaseId(12000031);
  EXPECT_FALSE(ledger_->Holder(12000030));
  EXPECT_EQ(ledger_->Holder(12000031)->serial, "00000001");
  EXPECT_EQ(ledger_->ReserveIds(12000030, 12999999, 1, "bench-1", {"COM1"}), std::vector<int64_t>{12000030});

  // Three of the last four taken; then seven free in range, eight wanted: none reserved.
  EXPECT_EQ(ledger_->ReserveIds(12999996, 12999999, 3, "bench-1", {}).size(), 3u);
  EXPECT_TRUE(ledger_->ReserveIds(12999990, 12999999, 8, "bench-1", {}).empty());
  EXPECT_FALSE(ledger_->Holder(12999990));
  EXPECT_EQ(ledger_->LastId(12000000, 12999999), 12999998);
  EXPECT_FALSE(ledger_->LastId(10000000, 10999999));

  ledger_->UseId(12000032, "00000007", "bench-2", "COM2");
  EXPECT_TRUE(ledger_->Holder(12000032)->used);
  EXPECT_EQ(ledger_->Holder(12000032)->serial, "00000007");
}

TEST_P(LedgerTest, AStoreOfALaterVersionIsRefused) {
  ledger_.reset();
  {
#if RILO_LEDGER_POSTGRES
    auto store =
        GetParam() == Backend::Sqlite
            ? std::unique_ptr<Database>(std::make_unique<SqliteDatabase>(store_->Location().substr(7)))
            : std::unique_ptr<Database>(std::make_unique<PostgresDatabase>(store_->Location()));
#else
    auto store = std::make_unique<SqliteDatabase>(store_->Location().substr(7));
#endif
    store->Run("INSERT INTO ledger_schema (version) VALUES (2)");
  }
  try {
    OpenLedger(store_->Location());
    FAIL() << "a later version was used";
  } catch (const DatabaseError &e) {
    EXPECT_NE(std::string(e.what()).find("比本程式新"), std::string::npos) << e.what();
  }
}

constexpr Backend kBackends[] = {
    Backend::Sqlite,
#if RILO_LEDGER_POSTGRES
    Backend::Postgres,
#endif
};
INSTANTIATE_TEST_SUITE_P(Backends, LedgerTest, ::testing::ValuesIn(kBackends), [](const auto &param) {
  return param.param == Backend::Sqlite ? "Sqlite" : "Postgres";
});

TEST(SqliteLedgerTest, AFileThatIsNotALedgerIsRefusedAndLeftAsItWas) {
  ScratchStore store(Backend::Sqlite);
  const auto file = store.Folder() / "ledger.sqlite";
  const std::string text = "customer notes, not a database\n";
  std::ofstream(file) << text;
  EXPECT_THROW(OpenLedger(store.Location()), DatabaseError);
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
  in.close();
  // Nor held open: on Windows that would keep it from being moved or deleted.
  std::error_code error;
  std::filesystem::remove(file, error);
  EXPECT_FALSE(error) << error.message();
}

TEST(SqliteLedgerTest, AStoreHeldByAnotherWriterFailsAfterItsBoundedWait) {
  ScratchStore store(Backend::Sqlite);
  OpenLedger(store.Location());
  Ledger waiting(std::make_unique<SqliteDatabase>(store.Location().substr(7), 50));
  SqliteDatabase holder(store.Location().substr(7));
  holder.Run("BEGIN IMMEDIATE");
  try {
    waiting.Record(Unit("2026-12-10T08:00:00Z", "12000030", "1", "COM3"));
    ADD_FAILURE() << "recorded past a held lock";
  } catch (const DatabaseError &e) {
    EXPECT_NE(std::string(e.what()).find("正被其他程式使用"), std::string::npos) << e.what();
  }
  holder.Run("ROLLBACK");
  waiting.Record(Unit("2026-12-10T08:00:00Z", "12000030", "1", "COM3"));
  EXPECT_EQ(waiting.Records({}).size(), 1u);
}

// The user's data folder may have any name: here Chinese, which only UTF-8 (or the
// wide API on Windows) carries whole from the environment to the file SQLite opens.
TEST(LedgerLocationTest, TheDefaultFileIsMadeInTheDataFolderWhateverItsName) {
  ScratchStore store(Backend::Sqlite);
  const std::filesystem::path data = store.Folder() / u8"生產資料";
#if defined(_WIN32)
  _wputenv_s(L"LOCALAPPDATA", data.c_str());
  const std::filesystem::path file = data / L"RILO1 Q10-Q12" / L"ledger.sqlite";
#else
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  const std::filesystem::path file = data / "rilo1q12" / "ledger.sqlite";
#endif
  EXPECT_EQ(DefaultLedgerFile(), testing::Utf8(file));
  OpenLedger("")->Record(Unit("2026-12-10T08:00:00Z", "12000030", "00000001", "COM3"));
  EXPECT_TRUE(std::filesystem::is_regular_file(file));
  EXPECT_EQ(OpenLedger("sqlite:" + testing::Utf8(file))->Records({}).size(), 1u);
}

TEST(LedgerLocationTest, NamesTheStoreAndTheReasonWhenItCannotBeUsed) {
  const std::pair<std::string, std::string> cases[] = {
      {"mysql://bench/ledger", "無法辨識的生產紀錄位置"},
      {"sqlite:/nonexistent-folder/ledger.sqlite", "/nonexistent-folder/ledger.sqlite"},
      // Nothing listens on port 1 of the loopback: refused at once.
      {"postgresql://127.0.0.1:1/ledger", "PostgreSQL"},
  };
  for (const auto &[location, said] : cases) {
    try {
      OpenLedger(location);
      ADD_FAILURE() << location << " was opened";
    } catch (const DatabaseError &e) {
      EXPECT_NE(std::string(e.what()).find(said), std::string::npos) << location << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace rilo
