#include "app/binder.h"

#include <QAction>
#include <QLineEdit>
#include <QTabWidget>

namespace rilo {
namespace {

QString Name(const std::string &name) {
  return QString::fromStdString(name);
}

}  // namespace

void Binder::SetVisible(const std::string &name, bool visible) {
  QObject *control = window_->findChild<QObject *>(Name(name));
  if (auto *action = qobject_cast<QAction *>(control)) {
    action->setVisible(visible);
    return;
  }
  auto *widget = qobject_cast<QWidget *>(control);
  if (!widget) return;
  // A page shows or hides its tab; the page itself stays reachable from code.
  for (QWidget *up = widget->parentWidget(); up; up = up->parentWidget()) {
    if (auto *pages = qobject_cast<QTabWidget *>(up)) {
      if (int index = pages->indexOf(widget); index >= 0) {
        pages->setTabVisible(index, visible);
        return;
      }
    }
  }
  widget->setVisible(visible);
}

void Binder::Mirror(const ShellView &view) {
  for (const auto &[name, visible] : view.visible)
    SetVisible(name, visible);
  for (const auto &[name, editable] : view.editable)
    if (auto *field = window_->findChild<QLineEdit *>(Name(name))) field->setReadOnly(!editable);
  for (int n = 1; n <= 16; ++n) {
    for (const char *set : {"NCOM", "PopCOM"})
      if (auto *item = window_->findChild<QAction *>(QString("%1%2").arg(set).arg(n)))
        item->setChecked(n == view.checkedPort);
  }
}

}  // namespace rilo
