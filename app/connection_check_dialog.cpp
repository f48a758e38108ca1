#include "app/connection_check_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QVBoxLayout>

namespace rilo {

ConnectionCheckDialog::ConnectionCheckDialog(QWidget *parent) : QDialog(parent) {
  setObjectName("ConnectionCheckDialog");
  setWindowTitle(QString::fromUtf8("連線診斷"));
  auto *column = new QVBoxLayout(this);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("MemoCheck");
  text_->setReadOnly(true);
  // One step a line: the long ones wrap rather than hide behind a scroll bar.
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  const QFontMetrics metrics = text_->fontMetrics();
  text_->setMinimumSize(metrics.averageCharWidth() * 110, metrics.lineSpacing() * 16);
  column->addWidget(text_);
  auto *buttons = new QDialogButtonBox(this);
  QPushButton *copy = buttons->addButton(QString::fromUtf8("複製"), QDialogButtonBox::ActionRole);
  copy->setObjectName("BCopy");
  QPushButton *close = buttons->addButton(QString::fromUtf8("關閉"), QDialogButtonBox::RejectRole);
  close->setObjectName("BClose");
  close->setDefault(true);
  connect(copy, &QPushButton::clicked, this, &ConnectionCheckDialog::Copy);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
}

void ConnectionCheckDialog::Show(const std::vector<std::string> &lines) {
  QString text;
  for (const std::string &line : lines)
    text += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())) + "\n";
  text_->setPlainText(text);
  open();
}

void ConnectionCheckDialog::Copy() {
  QApplication::clipboard()->setText(text_->toPlainText());
}

}  // namespace rilo
