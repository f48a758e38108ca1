// Mirrors the Workbench into the window's widgets after every handler, and feeds the
// person's picks, keystrokes and clicks back to the editor. Controls are found by their
// object names, which are the form's control names; the binder decides nothing itself.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "settings/editor.h"
#include "workbench/shell_view.h"

namespace rilo {

class Binder : public QObject {
  Q_OBJECT

 public:
  // Runs a handler the window's way: errors to the exception box, then a mirror.
  using Runner = std::function<void(const std::function<void()> &)>;

  Binder(QWidget *window, Editor &editor, Runner run);

  void Mirror(const ShellView &view);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void ConnectLists();
  void ConnectIdentity();
  void MirrorForm();
  void SetVisible(const std::string &name, bool visible);
  TextField *FieldOf(QObject *widget);

  QWidget *window_;
  Editor &editor_;
  Runner run_;
  bool mirroring_ = false;  // widget changes made by the mirror are not the person's
};

}  // namespace rilo
