// The dialog 生產紀錄 headless, on ledgers filled through the Ledger itself: the latest
// records, the search by ID code or serial number, the ledger found anew at each
// showing, and the menu item that only factory staff see.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/ledger_dialog.h"
#include "app/testing/window_parts.h"
#include "core/testing/programs.h"
#include "ledger/ledger_location.h"

namespace rilo {
namespace {

UnitRecord Unit(const std::string &time, const std::string &id, const std::string &serial) {
  UnitRecord u;
  u.time = time;
  u.bench = "bench-1";
  u.port = "COM1";
  u.command = "write-firmware";
  u.kind = "Rx";
  u.model = "12";
  u.loaderVersion = "1.61";
  u.id = id;
  u.serial = serial;
  u.date = "2026/12/08";
  u.firmwareFile = "rx.txt";
  u.succeeded = true;
  u.seconds = 41.25;
  return u;
}

class LedgerDialogTest : public ::testing::Test {
 protected:
  // Nothing reaches the person's own data folder.
  void SetUp() override { qputenv("XDG_DATA_HOME", QByteArray::fromStdString(scratch_.Path("data"))); }
  void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

  // A ledger of its own, named in the store as the one to show.
  std::unique_ptr<Ledger> Named(const std::string &name) {
    const std::string location = "sqlite:" + scratch_.Path(name);
    store.values["Ledger"] = location;
    return OpenLedger(location);
  }

  QTableWidget &Table() { return *dialog.findChild<QTableWidget *>("RecordTable"); }
  QLabel &Problem() { return *dialog.findChild<QLabel *>("LabelProblem"); }

  std::string Cell(int row, int column) { return Table().item(row, column)->text().toStdString(); }
  // The times of every row, top down.
  std::vector<std::string> Times() {
    std::vector<std::string> times;
    for (int r = 0; r < Table().rowCount(); ++r)
      times.push_back(Cell(r, 0));
    return times;
  }

  void SearchFor(const QString &text) {
    auto *field = dialog.findChild<QLineEdit *>("ESearch");
    field->setText(text);
    QTest::mouseClick(dialog.findChild<QPushButton *>("BSearch"), Qt::LeftButton);
  }

  testing::ScratchFolder scratch_{"rilo-ledger-dialog"};
  MemoryPreferences store;
  LedgerDialog dialog{store};
};

TEST_F(LedgerDialogTest, ListsTheLatestRecordsWithTheCommandLinesColumns) {
  auto ledger = Named("ledger.sqlite");
  const int recorded = LedgerDialog::kShownRecords + 3;
  for (int n = 1; n <= recorded; ++n) {
    char time[24];
    std::snprintf(time, sizeof time, "2026-12-10T%02d:%02d:00Z", n / 60, n % 60);
    ledger->Record(Unit(time, "12" + std::to_string(1000000 + n).substr(1), "00000A01"));
  }
  UnitRecord failed = Unit("2026-12-11T08:00:00Z", "12000777", "00000B07");
  failed.port = "/dev/ttyUSB1";
  failed.succeeded = false;
  failed.failedStep = "寫入接收機";
  failed.failedPage = 12;
  failed.failedAddress = "0x8200";
  failed.firstMessage = "讀回資料不符";
  ledger->Record(failed);

  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "生產紀錄");
  EXPECT_TRUE(Problem().isHidden());
  ASSERT_EQ(Table().rowCount(), LedgerDialog::kShownRecords);
  const std::vector<std::string> headings = {"時間 (UTC)", "工作站",   "通信埠",  "指令",        "機種",
                                             "機型",       "載入程式", "ID-CODE", "機器序號",    "出廠日期",
                                             "韌體檔",     "結果",     "秒數",    "失敗處與訊息"};
  ASSERT_EQ(Table().columnCount(), static_cast<int>(headings.size()));
  std::vector<std::string> row;
  for (int c = 0; c < Table().columnCount(); ++c) {
    EXPECT_EQ(Table().horizontalHeaderItem(c)->text().toStdString(), headings[static_cast<size_t>(c)]);
    row.push_back(Cell(0, c));
  }
  EXPECT_EQ(row, (std::vector<std::string>{"2026-12-11 08:00:00", "bench-1", "/dev/ttyUSB1", "write-firmware",
                                           "Rx", "12", "1.61", "12000777", "00000B07", "2026/12/08", "rx.txt",
                                           "失敗", "41.2", "寫入接收機 第 12 頁 0x8200: 讀回資料不符"}));
  // Latest first: the newest of the rest next, the three oldest left out.
  EXPECT_EQ(Cell(1, 0), "2026-12-10 03:23:00");
  EXPECT_EQ(Cell(1, 11), "成功");
  EXPECT_EQ(Cell(LedgerDialog::kShownRecords - 1, 7), "12000005");
}

TEST_F(LedgerDialogTest, SearchFindsTheCodeAsIdCodeOrAsSerialNumber) {
  auto ledger = Named("ledger.sqlite");
  ledger->Record(Unit("2026-12-10T01:00:00Z", "12000001", "00000A01"));
  ledger->Record(Unit("2026-12-10T02:00:00Z", "12000002", "12000001"));
  ledger->Record(Unit("2026-12-10T03:00:00Z", "12000001", "12000001"));
  ledger->Record(Unit("2026-12-10T04:00:00Z", "12000003", "00000A04"));
  dialog.show();

  struct Case {
    QString text;
    std::vector<std::string> times;
  };
  const Case cases[] = {
      {"12000001", {"2026-12-10 03:00:00", "2026-12-10 02:00:00", "2026-12-10 01:00:00"}},
      {" 00000A04 ", {"2026-12-10 04:00:00"}},
      {"00000A01", {"2026-12-10 01:00:00"}},
      {"12345678", {}},
      {"", {"2026-12-10 04:00:00", "2026-12-10 03:00:00", "2026-12-10 02:00:00", "2026-12-10 01:00:00"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    SearchFor(c.text);
    EXPECT_EQ(Times(), c.times);
  }

  // Enter in the field searches too.
  auto *field = dialog.findChild<QLineEdit *>("ESearch");
  field->setText("12000002");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(Times(), std::vector<std::string>{"2026-12-10 02:00:00"});
}

TEST_F(LedgerDialogTest, EachShowingOpensTheLedgerTheStoreNamesThen) {
  Named("first.sqlite")->Record(Unit("2026-12-10T01:00:00Z", "12000001", "00000A01"));
  dialog.show();
  SearchFor("00000A01");
  EXPECT_EQ(Times(), std::vector<std::string>{"2026-12-10 01:00:00"});
  dialog.hide();

  auto second = Named("second.sqlite");
  second->Record(Unit("2026-12-10T02:00:00Z", "12000002", "00000A02"));
  second->Record(Unit("2026-12-10T03:00:00Z", "12000003", "00000A03"));
  dialog.show();
  EXPECT_TRUE(dialog.findChild<QLineEdit *>("ESearch")->text().isEmpty());
  EXPECT_EQ(Times(), (std::vector<std::string>{"2026-12-10 03:00:00", "2026-12-10 02:00:00"}));
}

TEST_F(LedgerDialogTest, UnusableLedgerIsToldInTheDialog) {
  store.values["Ledger"] = "mysql://server/ledger";
  dialog.show();
  EXPECT_FALSE(Problem().isHidden());
  EXPECT_TRUE(Problem().text().startsWith("無法使用生產紀錄: 無法辨識的生產紀錄位置: mysql://server/ledger"))
      << Problem().text().toStdString();
  EXPECT_EQ(Table().rowCount(), 0);
  SearchFor("12000001");
  EXPECT_FALSE(Problem().isHidden());
  dialog.hide();

  Named("ledger.sqlite")->Record(Unit("2026-12-10T01:00:00Z", "12000001", "00000A01"));
  dialog.show();
  EXPECT_TRUE(Problem().isHidden());
  EXPECT_EQ(Table().rowCount(), 1);
}

TEST(LedgerMenuItem, OnlyFactoryStaffSeeItAndItOpensTheDialog) {
  testing::ScratchFolder scratch("rilo-ledger-menu");
  const std::string location = "sqlite:" + scratch.Path("ledger.sqlite");
  OpenLedger(location)->Record(Unit("2026-12-10T01:00:00Z", "12000001", "00000A01"));
  for (const int factory : {0, 1}) {
    SCOPED_TRACE(factory);
    testing::WindowParts parts;
    testing::FillDefaults(parts.store);
    parts.store.values["Factory"] = factory;
    parts.store.values["Ledger"] = location;
    auto window = parts.Start();
    QAction *item = window->findChild<QAction *>("NLedger");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "生產紀錄");
    EXPECT_TRUE(window->findChild<QMenu *>("NHelp")->actions().contains(item));
    EXPECT_EQ(item->isVisible(), factory == 1);
    if (factory == 0) continue;
    item->trigger();
    auto *dialog = window->findChild<LedgerDialog *>();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->findChild<QTableWidget *>("RecordTable")->rowCount(), 1);
    dialog->reject();
  }
}

}  // namespace
}  // namespace rilo
