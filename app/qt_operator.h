// The person at the screen, in the window: message boxes with the exact caption, text
// and icon, the progress bar over the first status panel, and the busy look.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include "core/operator.h"

namespace rilo {

class QtOperator : public Operator {
 public:
  QtOperator(QWidget *window, QProgressBar *bar) : window_(window), bar_(bar) {}

  void Message(const std::string &caption, const std::string &text, Icon icon) override;
  bool Ask(const std::string &caption, const std::string &text, Icon icon) override;
  Choice Choose(const std::string &caption, const std::string &text, Icon icon) override;
  void SetProgressMax(int maximum) override;
  void SetProgress(int position) override;
  void StepProgress() override;
  void SetBusy(bool busy) override;

 private:
  int Show(const std::string &caption, const std::string &text, Icon icon,
           QMessageBox::StandardButtons buttons);

  QPointer<QWidget> window_;
  QPointer<QProgressBar> bar_;
  int position_ = 0;  // as the commands set it, which may lie beyond the bar's range
  bool busy_ = false;
};

}  // namespace rilo
