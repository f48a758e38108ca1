// The dialog 生產紀錄 for factory staff: the latest unit commands the ledger recorded,
// or those of the units an ID code or serial number names. The ledger is opened where
// the preference Ledger names it each time the dialog is shown, and let go when it is
// hidden, so a store moved or a server restarted meanwhile is found again.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <memory>
#include <vector>

#include "core/preferences.h"
#include "ledger/ledger.h"

namespace rilo {

class LedgerDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kShownRecords = 200;

  LedgerDialog(Preferences &store, QWidget *parent = nullptr);

  // Lists the latest records whose ID code or serial number is the search text, or
  // the latest of all for no text.
  void Search();

 protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

 private:
  void List(const std::vector<UnitRecord> &records);
  // Says why the ledger cannot be used, in place of the records.
  void Tell(const std::string &reason);

  Preferences &store_;
  std::unique_ptr<Ledger> ledger_;
  QLineEdit *search_;
  QLabel *problem_;
  QTableWidget *table_;
};

}  // namespace rilo
