// A label that reacts to the mouse, for the labels the form uses as links or as
// hidden switches (the version history link, the ID-code label, the model label).
#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace rilo {

class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void clicked();
  void doubleClicked();

 protected:
  void mouseReleaseEvent(QMouseEvent *event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent *event) override {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
  }
};

}  // namespace rilo
