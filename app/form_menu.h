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
#include <string>

#include "app/binder.h"
#include "base/clock.h"
#include "base/serial_port.h"
#include "core/file_dialogs.h"
#include "core/operator.h"
#include "core/preferences.h"
#include "core/ventrix_api.h"
#include "link/product_line.h"
#include "workbench/workbench.h"

namespace rilo {

class ConnectionCheckDialog;
class CustomerBinder;
class PrinterChooser;
class TFormVer;
class TPasswordForm;

// Stand-ins for the window's own message boxes, print dialog, serial port, clock and
// file dialogs; null for the real ones.
struct WindowSeams {
  Operator *person = nullptr;
  PrinterChooser *printer = nullptr;
  SerialPort *port = nullptr;
  Clock *clock = nullptr;
  FileDialogs *dialogs = nullptr;
  std::string devices = "/dev";  // where the port's device list is read
};

class TFormMenu : public QMainWindow {
  Q_OBJECT

 public:
  TFormMenu(Preferences &store, const VentrixApi &ventrix, const ProductLine &productLine,
            WindowSeams seams = {});
  ~TFormMenu() override;

  Workbench &workbench() { return *workbench_; }
  TPasswordForm *PasswordForm() const { return passwordForm_; }
  TFormVer *FormVer() const { return formVer_; }
  int alpha() const { return alpha_; }

  void FormTimerTimer();
  void ClockTimerTimer();
  void NCOMClick(int n);
  void NPortDeviceClick();
  void NPrintClick();
  void NPCVerClick();
  // 連線診斷: the connection check on the port in use, its lines shown in a dialog.
  void NConnectionCheckClick();
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
  // The sixteen port items of the main menu or the tool-bar pop-up, `prefix` naming them.
  void AddPortItems(QMenu *menu, const char *prefix);
  QWidget *BuildCoolBar();
  QWidget *BuildIdentityPanel();
  void BuildStatusBar();
  void BuildTimers();
  // Takes the stand-ins given, or makes the window's own seams.
  void TakeSeams(WindowSeams &seams);
  void RegisterHotKey();
  void FormMenuCreate();
  void FormMenuShow();
  // Moves a window whose title bar is off every screen onto the nearest one.
  void KeepTitleBarOnScreen();
  WindowGeometry Geometry() const;
  // Runs a handler: anything it throws goes to the exception box, then the widgets
  // mirror the Workbench.
  void Handle(const std::function<void()> &handler);
  // The widgets take the Workbench's state: after every handler, and before every
  // message box a handler shows.
  void MirrorWorkbench();
  void ShowPortTrouble();
  // The port in use, its device, and the unit the last handshake opened.
  void ShowPortField();
  // Runs a device command with the rest of the window shut until it ends.
  void DeviceCommand(const std::function<Outcome()> &command);
  // Runs `work` on the unit with the rest of the window shut until it ends.
  void WhileShut(const std::function<void()> &work);
  // Work not yet in a file is offered for saving before something replaces it; false
  // when the person keeps it (Cancel, or a save that did not happen).
  bool WorkMayGo();
  void OpenFile();
  void ReadUnit(const std::function<Outcome()> &read);
  // The phase of the running command beside the bar, and a close that waits for it.
  void ShowPhase(const std::string &phase);

  std::unique_ptr<Operator> ownPerson_;
  std::unique_ptr<Operator> mirroringPerson_;
  Operator *person_ = nullptr;
  std::unique_ptr<PrinterChooser> ownPrinter_;
  PrinterChooser *printer_ = nullptr;
  std::unique_ptr<SerialPort> ownPort_;
  std::unique_ptr<Clock> ownClock_;
  std::unique_ptr<FileDialogs> ownDialogs_;
  FileDialogs *dialogs_ = nullptr;
  std::string deviceFolder_;
  std::unique_ptr<Workbench> workbench_;
  Binder *binder_ = nullptr;
  CustomerBinder *customerBinder_ = nullptr;

  QTabWidget *pages_ = nullptr;
  QProgressBar *progress_ = nullptr;
  QLabel *phase_ = nullptr;
  std::string phaseText_;
  QLabel *portField_ = nullptr;
  QLabel *datePanel_ = nullptr;
  QLabel *timePanel_ = nullptr;
  QTimer *formTimer_ = nullptr;
  QTimer *clockTimer_ = nullptr;
  TPasswordForm *passwordForm_ = nullptr;
  TFormVer *formVer_ = nullptr;
  ConnectionCheckDialog *checkDialog_ = nullptr;
  int alpha_ = 0;  // the fade-in's own count: the window's opacity is a float
  bool shown_ = false;
  bool closeWanted_ = false;  // a close asked for while a device command ran
  bool quitting_ = false;     // the quit command offered the work for saving
};

}  // namespace rilo
