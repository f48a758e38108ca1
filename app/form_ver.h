// The version dialog `TFormVer`: name, maker and version; for factory staff a link
// that unfolds the version history read from "VerInfo.txt" beside the program.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>

#include "app/clickable_label.h"
#include "core/feature_flags.h"
#include "core/operator.h"

namespace rilo {

class TFormVer : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kCollapsedHeight = 145;
  static constexpr int kExpandedHeight = 362;

  // `history` is the path of the version history file.
  TFormVer(QWidget *parent, const FeatureFlags &flags, Operator &person, QString history);

  void LabelLogo3Click();
  void BLogoOKClick() { accept(); }

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void SetHeight(int height);

  const FeatureFlags &flags_;
  Operator &person_;
  const QString historyPath_;
  ClickableLabel *link_;
  QPlainTextEdit *history_;
};

}  // namespace rilo
