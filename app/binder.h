// Mirrors the Workbench into the window's widgets after every handler. Controls are
// found by their object names, which are the form's control names; the binder decides
// nothing itself.
#pragma once

#include <QWidget>

#include "workbench/shell_view.h"

namespace rilo {

class Binder {
 public:
  explicit Binder(QWidget *window) : window_(window) {}

  void Mirror(const ShellView &view);

 private:
  void SetVisible(const std::string &name, bool visible);

  QWidget *window_;
};

}  // namespace rilo
