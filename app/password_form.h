// The unlock dialog `TPasswordForm`: one masked field for an access code. It has no
// menu entry; the main window's hot key opens it.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <string>

#include "core/operator.h"

namespace rilo {

class TPasswordForm : public QDialog {
  Q_OBJECT

 public:
  // `confirm` checks the typed code, writes what it switches and answers true when the
  // program must now quit; the dialog then closes as accepted.
  TPasswordForm(QWidget *parent, Operator &person, std::function<bool(const std::string &)> confirm);

  void BPasswordOKClick();
  void BPasswordCancelClick() { reject(); }

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  Operator &person_;
  std::function<bool(const std::string &)> confirm_;
  QLineEdit *password_;
};

}  // namespace rilo
