#include "app/qt_operator.h"

#include <QApplication>
#include <QMessageBox>

#include <algorithm>

namespace rilo {
namespace {

constexpr double kBusyOpacity = 200.0 / 255.0;

QMessageBox::Icon ToQt(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Error:
      return QMessageBox::Critical;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

int QtOperator::Show(const std::string &caption, const std::string &text, Icon icon,
                     QMessageBox::StandardButtons buttons) {
  QWidget *parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : window_.data();
  QMessageBox box(ToQt(icon), QString::fromStdString(caption), QString::fromStdString(text), buttons, parent);
  box.setTextFormat(Qt::PlainText);
  return box.exec();
}

void QtOperator::Message(const std::string &caption, const std::string &text, Icon icon) {
  Show(caption, text, icon, QMessageBox::Ok);
}

bool QtOperator::Ask(const std::string &caption, const std::string &text, Icon icon) {
  return Show(caption, text, icon, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

Choice QtOperator::Choose(const std::string &caption, const std::string &text, Icon icon) {
  // Escape and the title bar's close answer Cancel: the work stays.
  switch (Show(caption, text, icon, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Choice::Yes;
    case QMessageBox::No:
      return Choice::No;
    default:
      return Choice::Cancel;
  }
}

void QtOperator::SetProgressMax(int maximum) {
  if (!bar_) return;
  bar_->setMaximum(maximum);
  SetProgress(position_);
}

void QtOperator::SetProgress(int position) {
  position_ = position;
  // A bar ignores values outside its range; the commands end at 500 to show it full.
  if (bar_) bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
}

void QtOperator::StepProgress() {
  SetProgress(position_ + 1);
}

void QtOperator::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
  if (window_) window_->setWindowOpacity(busy ? kBusyOpacity : 1.0);
}

}  // namespace rilo
