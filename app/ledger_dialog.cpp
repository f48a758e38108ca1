#include "app/ledger_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "ledger/ledger_location.h"

namespace rilo {
namespace {

QString Text(const std::string &utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The columns of `rilo-cli ledger list`, in its order.
constexpr const char *kColumns[] = {"時間 (UTC)", "工作站",   "通信埠",  "指令",        "機種",
                                    "機型",       "載入程式", "ID-CODE", "機器序號",    "出廠日期",
                                    "韌體檔",     "結果",     "秒數",    "失敗處與訊息"};

// 2026-12-10T03:04:27Z as 2026-12-10 03:04:27 (the heading says UTC).
std::string ShownTime(const std::string &time) {
  if (time.size() != 20 || time[10] != 'T' || time.back() != 'Z') return time;
  return time.substr(0, 10) + " " + time.substr(11, 8);
}

// Where a failed command stopped and the first error it said.
std::string Failure(const UnitRecord &u) {
  std::string where = u.failedStep;
  if (u.failedPage > 0) where += " 第 " + std::to_string(u.failedPage) + " 頁";
  if (!u.failedAddress.empty()) where += " " + u.failedAddress;
  if (u.firstMessage.empty()) return where;
  return where.empty() ? u.firstMessage : where + ": " + u.firstMessage;
}

std::vector<QString> Cells(const UnitRecord &u) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", u.seconds);
  return {Text(ShownTime(u.time)),
          Text(u.bench),
          Text(u.port),
          Text(u.command),
          Text(u.kind),
          Text(u.model),
          Text(u.loaderVersion),
          Text(u.id),
          Text(u.serial),
          Text(u.date),
          Text(u.firmwareFile),
          QString::fromUtf8(u.succeeded ? "成功" : "失敗"),
          QString::fromUtf8(seconds),
          Text(Failure(u))};
}

// The latest records with `text` as ID code or as serial number, latest first.
std::vector<UnitRecord> Found(Ledger &ledger, const std::string &text) {
  const int most = LedgerDialog::kShownRecords;
  if (text.empty()) return ledger.Records({.limit = most});
  const auto byId = ledger.Records({.id = text, .limit = most});
  auto bySerial = ledger.Records({.serial = text, .limit = most});
  // A record with both is among those by ID code already.
  std::erase_if(bySerial, [&](const UnitRecord &u) { return u.id == text; });
  std::vector<UnitRecord> found;
  std::merge(byId.begin(), byId.end(), bySerial.begin(), bySerial.end(), std::back_inserter(found),
             [](const UnitRecord &a, const UnitRecord &b) { return a.time > b.time; });
  if (found.size() > static_cast<size_t>(most)) found.resize(most);
  return found;
}

}  // namespace

LedgerDialog::LedgerDialog(Preferences &store, QWidget *parent) : QDialog(parent), store_(store) {
  setObjectName("LedgerDialog");
  setWindowTitle(QString::fromUtf8("生產紀錄"));
  resize(1000, 520);

  search_ = new QLineEdit(this);
  search_->setObjectName("ESearch");
  search_->setPlaceholderText(QString::fromUtf8("ID-CODE 或機器序號"));
  search_->setClearButtonEnabled(true);
  auto *find = new QPushButton(QString::fromUtf8("搜尋"), this);
  find->setObjectName("BSearch");
  // Enter in the search field searches.
  find->setDefault(true);
  connect(find, &QPushButton::clicked, this, &LedgerDialog::Search);
  auto *row = new QHBoxLayout;
  row->addWidget(search_, 1);
  row->addWidget(find);

  problem_ = new QLabel(this);
  problem_->setObjectName("LabelProblem");
  problem_->setWordWrap(true);
  problem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  problem_->hide();

  table_ = new QTableWidget(0, static_cast<int>(std::size(kColumns)), this);
  table_->setObjectName("RecordTable");
  QStringList headings;
  for (const char *heading : kColumns)
    headings << QString::fromUtf8(heading);
  table_->setHorizontalHeaderLabels(headings);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);

  auto *buttons = new QDialogButtonBox(this);
  buttons->addButton(QString::fromUtf8("關閉"), QDialogButtonBox::RejectRole)->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto *column = new QVBoxLayout(this);
  column->addLayout(row);
  column->addWidget(problem_);
  column->addWidget(table_, 1);
  column->addWidget(buttons);
}

void LedgerDialog::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  // A window restored from the task bar keeps its ledger and search.
  if (event->spontaneous()) return;
  search_->clear();
  problem_->hide();
  try {
    ledger_ = OpenLedger(store_.ReadString("Ledger").value_or(""));
  } catch (const DatabaseError &e) {
    Tell(e.what());
    return;
  }
  Search();
}

void LedgerDialog::hideEvent(QHideEvent *event) {
  if (!event->spontaneous()) ledger_.reset();
  QDialog::hideEvent(event);
}

void LedgerDialog::Search() {
  if (!ledger_) return;  // the reason is shown already
  try {
    List(Found(*ledger_, search_->text().trimmed().toStdString()));
  } catch (const DatabaseError &e) {
    Tell(e.what());
  }
}

void LedgerDialog::List(const std::vector<UnitRecord> &records) {
  problem_->hide();
  table_->setRowCount(0);
  table_->setRowCount(static_cast<int>(records.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    const std::vector<QString> cells = Cells(records[static_cast<size_t>(r)]);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c)
      table_->setItem(r, c, new QTableWidgetItem(cells[static_cast<size_t>(c)]));
  }
  table_->resizeColumnsToContents();
}

void LedgerDialog::Tell(const std::string &reason) {
  table_->setRowCount(0);
  problem_->setText(QString::fromUtf8("無法使用生產紀錄: ") + Text(reason));
  problem_->show();
}

}  // namespace rilo
