// The dialog 連線診斷: the connection check's lines, as rilo-cli doctor prints them, in a
// text a technician can select or copy whole into a support request.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <string>
#include <vector>

namespace rilo {

class ConnectionCheckDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ConnectionCheckDialog(QWidget *parent = nullptr);

  // Shows the lines of one check, the last one the verdict.
  void Show(const std::vector<std::string> &lines);
  // The whole text onto the clipboard.
  void Copy();

 private:
  QPlainTextEdit *text_;
};

}  // namespace rilo
