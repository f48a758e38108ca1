#include "app/customer_binder.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace rilo {
namespace {

QString Name(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

std::string Utf8(const QString &text) {
  const QByteArray bytes = text.toUtf8();
  return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

QString MemoText(const std::string &text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace("\r\n", "\n");
}

std::string RecordText(QString text) {
  return Utf8(text.replace("\n", "\r\n"));
}

}  // namespace

CustomerBinder::CustomerBinder(QWidget *window, CustomerRecord &record)
    : QObject(window), window_(window), record_(record) {
  for (int f = 0; f < kCustomerFieldCount; ++f) {
    const QString name = Name(kCustomerFields[f].control);
    if (auto *memo = window_->findChild<QPlainTextEdit *>(name)) {
      connect(memo, &QPlainTextEdit::textChanged, this, [this, memo, f] {
        if (!mirroring_) record_.texts[f] = RecordText(memo->toPlainText());
      });
    } else if (auto *line = window_->findChild<QLineEdit *>(name)) {
      connect(line, &QLineEdit::textEdited, this,
              [this, f](const QString &text) { record_.texts[f] = Utf8(text); });
    }
  }
}

void CustomerBinder::Mirror() {
  mirroring_ = true;
  for (int f = 0; f < kCustomerFieldCount; ++f) {
    const QString name = Name(kCustomerFields[f].control);
    const QString text = MemoText(record_.texts[f]);
    if (auto *memo = window_->findChild<QPlainTextEdit *>(name)) {
      if (memo->toPlainText() != text) memo->setPlainText(text);
    } else if (auto *line = window_->findChild<QLineEdit *>(name)) {
      if (line->text() != text) line->setText(text);
    }
  }
  mirroring_ = false;
}

}  // namespace rilo
