// The main window `TFormMenu`: tool bar, identity panel, the three option pages, the
// status bar with its progress bar, the main menu, the fade-in and the clock. Every
// handler is forwarded to the Workbench and the result mirrored into the widgets.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/binder.h"
#include "core/operator.h"
#include "core/preferences.h"
#include "workbench/workbench.h"

namespace rilo {

class PrinterChooser;
class TFormVer;
class TPasswordForm;

class TFormMenu : public QMainWindow {
  Q_OBJECT

 public:
  // `person` and `printer` stand in for the window's own message boxes and print
  // dialog; null for the real ones.
  explicit TFormMenu(Preferences &store, Operator *person = nullptr, PrinterChooser *printer = nullptr);
  ~TFormMenu() override;

  Workbench &workbench() { return *workbench_; }
  TPasswordForm *PasswordForm() const { return passwordForm_; }
  TFormVer *FormVer() const { return formVer_; }
  int alpha() const { return alpha_; }

  void FormTimerTimer();
  void ClockTimerTimer();
  void NCOMClick(int n);
  void NPrintClick();
  void NPCVerClick();
  void NQuitClick();
  void HotKey();

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
#if defined(_WIN32)
  bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

 private:
  void BuildMenus();
  QWidget *BuildCoolBar();
  QWidget *BuildIdentityPanel();
  void BuildStatusBar();
  void RegisterHotKey();
  void FormMenuCreate();
  void FormMenuShow();
  WindowGeometry Geometry() const;
  // Runs a handler: anything it throws goes to the exception box, then the widgets
  // mirror the Workbench.
  void Handle(const std::function<void()> &handler);

  std::unique_ptr<Operator> ownPerson_;
  Operator *person_ = nullptr;
  std::unique_ptr<PrinterChooser> ownPrinter_;
  PrinterChooser *printer_ = nullptr;
  std::unique_ptr<Workbench> workbench_;
  Binder binder_{this};

  QTabWidget *pages_ = nullptr;
  QProgressBar *progress_ = nullptr;
  QLabel *datePanel_ = nullptr;
  QLabel *timePanel_ = nullptr;
  QTimer *formTimer_ = nullptr;
  QTimer *clockTimer_ = nullptr;
  TPasswordForm *passwordForm_ = nullptr;
  TFormVer *formVer_ = nullptr;
  int alpha_ = 0;  // the fade-in's own count: the window's opacity is a float
  bool shown_ = false;
};

}  // namespace rilo
