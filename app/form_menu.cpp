#include "app/form_menu.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDate>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "app/clickable_label.h"
#include "app/connection_check_dialog.h"
#include "app/customer_binder.h"
#include "app/exception_box.h"
#include "app/form_pages.h"
#include "app/form_ver.h"
#include "app/ledger_dialog.h"
#include "app/menu_keys.h"
#include "app/mirroring_operator.h"
#include "app/page_printer.h"
#include "app/password_form.h"
#include "app/port_device_dialog.h"
#include "app/qt_clock.h"
#include "app/qt_file_dialogs.h"
#include "app/qt_operator.h"
#include "app/screen_place.h"
#include "ledger/ledger_location.h"
#include "link/serial_devices.h"
#include "link/system_serial_port.h"

namespace rilo {
namespace {

constexpr int kHotKeyId = 1124;
constexpr int kAlphaStep = 51;

QString Text(const char *utf8) {
  return QString::fromUtf8(utf8);
}

QMenu *AddMenu(QMenuBar *bar, const char *name, const char *title) {
  QMenu *menu = bar->addMenu(Text(title));
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(QString(name) + "Item");
  return menu;
}

QAction *AddItem(QMenu *menu, const char *name, const char *caption) {
  QAction *item = menu->addAction(Text(caption));
  item->setObjectName(name);
  return item;
}

void AddSeparator(QMenu *menu, const char *name) {
  menu->addSeparator()->setObjectName(name);
}

// The system's long time format, less the time zone that some systems put in it.
QString LongTime(const QTime &time) {
  QString format = QLocale::system().timeFormat(QLocale::LongFormat);
  format.remove(QRegularExpression(R"(\s*\(?t+\)?)"));
  return QLocale::system().toString(time, format.trimmed());
}

}  // namespace

TFormMenu::TFormMenu(Preferences &store, const VentrixApi &ventrix, const ProductLine &productLine,
                     WindowSeams seams) {
  setWindowTitle(QString());
  // The form's 12-pixel face keeps its pages within the designed 794 x 525.
  QFont face = font();
  face.setPixelSize(12);
  setFont(face);
  // A fixed single border with system menu and minimise box, no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  auto *client = new QWidget(this);
  auto *column = new QVBoxLayout(client);
  column->setContentsMargins(2, 2, 2, 0);
  column->setSpacing(2);
  column->addWidget(BuildCoolBar());
  pages_ = new QTabWidget(client);
  pages_->setObjectName("PageControl");
  pages_->setDocumentMode(true);
  pages_->addTab(BuildPushBottonPage(), Text("功能設定"));
  pages_->addTab(BuildCustomerInformationPage(), Text("客戶資訊"));
  pages_->addTab(BuildSpecialSettingPage(), Text("特殊功能設定"));
  column->addWidget(pages_);
  auto *memo = new QPlainTextEdit(client);
  memo->setObjectName("Memo");
  memo->hide();
  setCentralWidget(client);
  BuildMenus();
  BuildStatusBar();
  // The window takes the size of its contents and keeps it.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  BuildTimers();
  // Fully transparent until the fade-in, which starts when the window is shown.
  setWindowOpacity(0.0);

  TakeSeams(seams);
  workbench_ = std::make_unique<Workbench>(store, *person_, *seams.port, *seams.clock, ventrix, productLine);
  binder_ = new Binder(this, workbench_->editor(),
                       [this](const std::function<void()> &handler) { Handle(handler); });
  customerBinder_ = new CustomerBinder(this, workbench_->customer());
  // The lists take their entries, and with them their widths, before the window's size is known.
  binder_->Mirror(workbench_->view());

  RegisterHotKey();
  Handle([this] { FormMenuCreate(); });
  // The ledger the preference value Ledger names, else the user's own file. One that
  // cannot be opened refuses every unit command with its reason, before the unit.
  try {
    workbench_->UseLedger(OpenLedger(store.ReadString("Ledger").value_or("")), ThisBench());
  } catch (const DatabaseError &e) {
    workbench_->LedgerUnusable(e.what());
  }

  passwordForm_ = new TPasswordForm(
      this, *person_, [this](const std::string &typed) { return workbench_->BPasswordOKClick(typed); });
  formVer_ = new TFormVer(this, workbench_->flags(), *person_,
                          QCoreApplication::applicationDirPath() + "/VerInfo.txt");
  checkDialog_ = new ConnectionCheckDialog(this);

  // The ledger's records, for factory staff: the flags are known once the window is created.
  QAction *ledger = AddItem(menuBar()->findChild<QMenu *>("NHelp"), "NLedger", "生產紀錄");
  ledger->setVisible(workbench_->flags().Factory == 1);
  connect(ledger, &QAction::triggered, new LedgerDialog(store, this), &QDialog::open);
}

void TFormMenu::TakeSeams(WindowSeams &seams) {
  if (!seams.person) {
    ownPerson_ = std::make_unique<QtOperator>(this, progress_);
    seams.person = ownPerson_.get();
  }
  mirroringPerson_ = std::make_unique<MirroringOperator>(
      *seams.person, [this] { MirrorWorkbench(); }, [this](const std::string &phase) { ShowPhase(phase); });
  person_ = mirroringPerson_.get();
  if (!seams.printer) {
    ownPrinter_ = std::make_unique<PrintDialogChooser>(this);
    seams.printer = ownPrinter_.get();
  }
  printer_ = seams.printer;
  if (!seams.port) {
    ownPort_ = std::make_unique<SystemSerialPort>();
    seams.port = ownPort_.get();
  }
  if (!seams.clock) {
    ownClock_ = std::make_unique<QtClock>();
    seams.clock = ownClock_.get();
  }
  if (!seams.dialogs) {
    ownDialogs_ = std::make_unique<QtFileDialogs>(this);
    seams.dialogs = ownDialogs_.get();
  }
  dialogs_ = seams.dialogs;
  deviceFolder_ = seams.devices;
}

void TFormMenu::BuildTimers() {
  formTimer_ = new QTimer(this);
  formTimer_->setObjectName("FormTimer");
  formTimer_->setInterval(100);
  // The timers touch no form data: they need no mirror afterwards.
  connect(formTimer_, &QTimer::timeout, this, &TFormMenu::FormTimerTimer);
  clockTimer_ = new QTimer(this);
  clockTimer_->setObjectName("ClockTimer");
  clockTimer_->setInterval(1000);
  connect(clockTimer_, &QTimer::timeout, this, &TFormMenu::ClockTimerTimer);
  clockTimer_->start();
}

TFormMenu::~TFormMenu() {
  // The binder watches widgets that outlive the Workbench while the window is torn down.
  delete binder_;
  binder_ = nullptr;
  delete customerBinder_;
  customerBinder_ = nullptr;
#if defined(_WIN32)
  UnregisterHotKey(reinterpret_cast<HWND>(winId()), kHotKeyId);
#endif
}

QWidget *TFormMenu::BuildCoolBar() {
  auto *coolBar = new QWidget;
  coolBar->setObjectName("CoolBar");
  auto *row = new QHBoxLayout(coolBar);
  row->setContentsMargins(0, 0, 0, 0);

  auto *toolBar = new QToolBar(coolBar);
  toolBar->setObjectName("ToolBar");
  toolBar->setIconSize(QSize(24, 24));
  auto tool = [&](const char *name, QStyle::StandardPixmap icon, const char *hint) {
    QAction *action = toolBar->addAction(style()->standardIcon(icon), QString());
    action->setToolTip(Text(hint));
    toolBar->widgetForAction(action)->setObjectName(name);
    return action;
  };
  QAction *open = tool("TBOpenfile", QStyle::SP_DialogOpenButton, "開啟檔案");
  connect(open, &QAction::triggered, this, [this] { OpenFile(); });
  QAction *save = tool("TBSavefile", QStyle::SP_DialogSaveButton, "儲存檔案");
  connect(save, &QAction::triggered, this,
          [this] { Handle([this] { workbench_->NSavefileClick(*dialogs_); }); });
  QAction *print = tool("TBPrintPage", QStyle::SP_FileDialogContentsView, "列印頁面");
  connect(print, &QAction::triggered, this, [this] { Handle([this] { NPrintClick(); }); });
  toolBar->widgetForAction(toolBar->addSeparator())->setObjectName("TBSpace1");

  auto *comPopup = new QMenu(this);
  comPopup->setObjectName("COMPopupMenu");
  AddPortItems(comPopup, "PopCOM");
  auto *comSet = new QToolButton(toolBar);
  comSet->setObjectName("TBCOMSet");
  comSet->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
  comSet->setToolTip(Text("選擇連接埠"));
  comSet->setMenu(comPopup);
  comSet->setPopupMode(QToolButton::MenuButtonPopup);
  toolBar->addWidget(comSet);
  row->addWidget(toolBar);

  auto speed = [&](const char *name, const char *text, QStyle::StandardPixmap icon) {
    auto *button = new QToolButton(coolBar);
    button->setObjectName(name);
    button->setText(Text(text));
    button->setIcon(style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->hide();
    row->addWidget(button);
  };
  speed("BWriteTx", "Tx", QStyle::SP_ArrowUp);
  speed("BWriteRx", "Rx", QStyle::SP_ArrowDown);
  for (auto [name, text] : {std::pair{"BLoadSet", "讀取設定"}, std::pair{"BWriteSet", "寫入設定"}}) {
    auto *button = new QPushButton(Text(text), coolBar);
    button->setObjectName(name);
    button->setMinimumHeight(40);
    row->addWidget(button);
  }
  connect(coolBar->findChild<QPushButton *>("BLoadSet"), &QPushButton::clicked, this,
          [this] { ReadUnit([this] { return workbench_->NLoadSetClick(); }); });
  connect(coolBar->findChild<QPushButton *>("BWriteSet"), &QPushButton::clicked, this,
          [this] { DeviceCommand([this] { return workbench_->NWriteSetClick(); }); });
  connect(coolBar->findChild<QToolButton *>("BWriteTx"), &QToolButton::clicked, this,
          [this] { DeviceCommand([this] { return workbench_->NWriteTxPrgClick(); }); });
  connect(coolBar->findChild<QToolButton *>("BWriteRx"), &QToolButton::clicked, this,
          [this] { DeviceCommand([this] { return workbench_->NWriteRxPrgClick(); }); });
  row->addWidget(BuildIdentityPanel());
  return coolBar;
}

QWidget *TFormMenu::BuildIdentityPanel() {
  auto *panel = new QFrame;
  panel->setObjectName("PanelEqupmentFunc");
  panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  auto *grid = new QGridLayout(panel);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setVerticalSpacing(2);
  struct Field {
    const char *label;
    const char *caption;
    const char *edit;
    int row, column;
  };
  const Field fields[] = {{"LabelEqupmentType", "機器型號", "EEqupmentType", 0, 0},
                          {"LabelEqupmentID", "ID-識別碼", "EEqupmentID", 0, 2},
                          {"LabelEqupmentSN", "機器序號", "EEqupmentSN", 1, 0},
                          {"LabelEqupmentDate", "出廠日期", "EEqupmentDate", 1, 2}};
  for (const Field &f : fields) {
    auto *label = new ClickableLabel(Text(f.caption), panel);
    label->setObjectName(f.label);
    auto *edit = new QLineEdit(panel);
    edit->setObjectName(f.edit);
    // The fields take the room the wider pages give the panel; the captions keep beside them.
    edit->setMinimumWidth(96);
    edit->setReadOnly(true);
    grid->addWidget(label, f.row, f.column);
    grid->addWidget(edit, f.row, f.column + 1);
  }
  panel->findChild<QLineEdit *>("EEqupmentDate")->setText("20  /  /  ");
  return panel;
}

void TFormMenu::BuildMenus() {
  QMenuBar *bar = menuBar();
  bar->setObjectName("MainMenu");
  GiveMenuBarItsKeys(*this);

  QMenu *file = AddMenu(bar, "NFile", "  檔   案  ");
  file->setToolTipsVisible(true);  // the open item's hint
  QAction *open = AddItem(file, "NOpenfile", "開 啟 檔 案");
  open->setToolTip(Text("開啟您的檔案"));
  connect(open, &QAction::triggered, this, [this] { OpenFile(); });
  connect(AddItem(file, "NSavefile", "儲 存 檔 案"), &QAction::triggered, this,
          [this] { Handle([this] { workbench_->NSavefileClick(*dialogs_); }); });
  AddSeparator(file, "N9");
  QAction *print = AddItem(file, "NPrint", "列 印 頁 面");
  connect(print, &QAction::triggered, this, [this] { Handle([this] { NPrintClick(); }); });
  AddSeparator(file, "N7");
  QAction *quit = AddItem(file, "NQuit", "結 束 程 式");
  connect(quit, &QAction::triggered, this, [this] { Handle([this] { NQuitClick(); }); });

  QMenu *ports = AddMenu(bar, "NSetting", "  通  訊  埠  ");
  AddPortItems(ports, "NCOM");
#if !defined(_WIN32)
  // Linux names its serial devices itself: the checked COM name is given one here.
  AddSeparator(ports, "NPortDeviceLine");
  connect(AddItem(ports, "NPortDevice", "裝置…"), &QAction::triggered, this,
          [this] { Handle([this] { NPortDeviceClick(); }); });
#endif

  QMenu *load = AddMenu(bar, "NLoad", "  讀   取  ");
  connect(AddItem(load, "NLoadSet", "讀 取 設 定"), &QAction::triggered, this,
          [this] { ReadUnit([this] { return workbench_->NLoadSetClick(); }); });
  connect(AddItem(load, "NLoadTxPrg", "讀 取 發 射 機"), &QAction::triggered, this,
          [this] { ReadUnit([this] { return workbench_->NLoadTxPrgClick(); }); });
  connect(AddItem(load, "NLoadRxPrg", "讀 取 接 收 機"), &QAction::triggered, this,
          [this] { ReadUnit([this] { return workbench_->NLoadRxPrgClick(); }); });

  QMenu *write = AddMenu(bar, "NWrite", "  寫   入  ");
  connect(AddItem(write, "NWriteSet", "寫 入 設 定"), &QAction::triggered, this,
          [this] { DeviceCommand([this] { return workbench_->NWriteSetClick(); }); });
  QAction *writeTx = AddItem(write, "NWriteTxPrg", "寫 入 發 射 機");
  writeTx->setVisible(false);
  connect(writeTx, &QAction::triggered, this,
          [this] { DeviceCommand([this] { return workbench_->NWriteTxPrgClick(); }); });
  QAction *writeRx = AddItem(write, "NWriteRxPrg", "寫 入 接 收 機");
  writeRx->setVisible(false);
  connect(writeRx, &QAction::triggered, this,
          [this] { DeviceCommand([this] { return workbench_->NWriteRxPrgClick(); }); });
  QAction *verify = AddItem(write, "NVerifyBurn", "燒錄後驗證");
  verify->setCheckable(true);
  verify->setChecked(true);
  verify->setVisible(false);
  connect(verify, &QAction::triggered, this, [this] { Handle([this] { workbench_->NVerifyBurnClick(); }); });
  QAction *fast = AddItem(write, "NFastTransfer", "快速傳輸");
  fast->setCheckable(true);
  fast->setVisible(false);
  connect(fast, &QAction::triggered, this, [this] { Handle([this] { workbench_->NFastTransferClick(); }); });

  QMenu *help = AddMenu(bar, "NHelp", "  說   明  ");
  connect(AddItem(help, "NFirmwareVer", "韌 體 程 式 版 本"), &QAction::triggered, this,
          [this] { DeviceCommand([this] { return workbench_->NFirmwareVerClick(); }); });
  QAction *version = AddItem(help, "NPCVer", "設 定 程 式 版 本");
  connect(version, &QAction::triggered, this, [this] { Handle([this] { NPCVerClick(); }); });
  connect(AddItem(help, "NConnectionCheck", "連線診斷"), &QAction::triggered, this,
          &TFormMenu::NConnectionCheckClick);
}

void TFormMenu::AddPortItems(QMenu *menu, const char *prefix) {
  // One port at a time: picking one unchecks the others.
  auto *group = new QActionGroup(menu);
  group->setObjectName(QString(prefix) + "Group");
  for (int n = 1; n <= 16; ++n) {
    QAction *item = menu->addAction(QString("COM &%1").arg(n));
    item->setObjectName(QString("%1%2").arg(prefix).arg(n));
    item->setCheckable(true);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this, n] { Handle([this, n] { NCOMClick(n); }); });
  }
}

void TFormMenu::BuildStatusBar() {
  QStatusBar *bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  auto *progressPanel = new QWidget(bar);
  progressPanel->setObjectName("StatusPanel0");
  // Narrower than the bar's designed 630 pixels: the port field beside it takes the rest.
  progressPanel->setMinimumWidth(400);
  auto *row = new QHBoxLayout(progressPanel);
  row->setContentsMargins(2, 0, 2, 0);
  row->addWidget(new QLabel(Text("進 度"), progressPanel));
  progress_ = new QProgressBar(progressPanel);
  progress_->setObjectName("ProgressBar");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(16);
  row->addWidget(progress_, 1);
  phase_ = new QLabel(progressPanel);
  phase_->setObjectName("StatusPhase");
  phase_->setMinimumWidth(110);
  row->addWidget(phase_);
  bar->addWidget(progressPanel, 1);
  // A note (the port chosen) stands in for the progress panel until a command moves the bar.
  connect(progress_, &QProgressBar::valueChanged, bar, &QStatusBar::clearMessage);
  portField_ = new QLabel(bar);
  portField_->setObjectName("StatusPort");
  bar->addPermanentWidget(portField_);
  datePanel_ = new QLabel(Text("日 期"), bar);
  datePanel_->setObjectName("StatusPanel1");
  datePanel_->setMinimumWidth(70);
  timePanel_ = new QLabel(Text("時 間"), bar);
  timePanel_->setObjectName("StatusPanel2");
  timePanel_->setMinimumWidth(70);
  bar->addPermanentWidget(datePanel_);
  bar->addPermanentWidget(timePanel_);
}

void TFormMenu::RegisterHotKey() {
#if defined(_WIN32)
  ::RegisterHotKey(reinterpret_cast<HWND>(winId()), kHotKeyId, MOD_CONTROL | MOD_ALT, VK_F8);
#else
  // No global hot keys here, and X servers keep Ctrl+Alt+F8 for switching consoles:
  // the same keys with Shift added reach the dialog too.
  for (QKeyCombination keys :
       {Qt::CTRL | Qt::ALT | Qt::Key_F8, Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_F8}) {
    auto *shortcut = new QShortcut(QKeySequence(keys), this);
    shortcut->setContext(Qt::ApplicationShortcut);
    connect(shortcut, &QShortcut::activated, this, &TFormMenu::HotKey);
  }
#endif
}

#if defined(_WIN32)
bool TFormMenu::nativeEvent(const QByteArray &eventType, void *message, qintptr *result) {
  const bool handled = QMainWindow::nativeEvent(eventType, message, result);
  if (static_cast<MSG *>(message)->message == WM_HOTKEY) HotKey();
  return handled;
}
#endif

WindowGeometry TFormMenu::Geometry() const {
  const QRect frame = frameGeometry();
  return {frame.left(), frame.top(), frame.height(), frame.width()};
}

void TFormMenu::Handle(const std::function<void()> &handler) {
  RunGuarded(*person_, handler);
  MirrorWorkbench();
}

void TFormMenu::MirrorWorkbench() {
  if (!workbench_) return;
  if (binder_) binder_->Mirror(workbench_->view());
  if (customerBinder_) customerBinder_->Mirror();
  ShowPortTrouble();
  ShowPortField();
  // The customer page keeps its fields through reads of units: its title says whose.
  const std::string &source = workbench_->customerSource();
  pages_->setTabText(
      pages_->indexOf(pages_->findChild<QWidget *>("TabCustomerInformation")),
      Text("客戶資訊") + (source.empty() ? QString() : " · " + QString::fromStdString(source)));
}

void TFormMenu::ShowPortField() {
  const PortField field = workbench_->PortFieldNow();
  const QString port = QString::fromStdString(field.port);
  const QString unit = field.unit.empty() ? QString() : "   " + QString::fromStdString(field.unit);
  // The window keeps its width: a long device name (a by-id path) gives way in its
  // middle, the unit never; the whole text is the field's tool tip.
  constexpr int kRoom = 560;
  const QFontMetrics metrics = portField_->fontMetrics();
  const int portRoom = std::max(160, kRoom - metrics.horizontalAdvance(unit));
  portField_->setText(metrics.elidedText(port, Qt::ElideMiddle, portRoom) + unit);
  portField_->setToolTip(port + unit);
  // A transmitter and a receiver are told apart at a glance, not only by their name.
  portField_->setStyleSheet(field.unit.empty()  ? QString()
                            : field.transmitter ? QString("color: #1f4e9c")
                                                : QString("color: #2b7a3d"));
}

void TFormMenu::ShowPortTrouble() {
  // The box keeps the connection failure's own words; the status bar says what the port
  // did, until a command moves the bar again.
  const std::string trouble = workbench_->PortTroubleText();
  if (!trouble.empty() && isVisible()) statusBar()->showMessage(QString::fromStdString(trouble));
}

void TFormMenu::WhileShut(const std::function<void()> &work) {
  // The command's waits keep the window alive (clock, repaints), so everything else
  // that reaches the buffers or the port is shut until it ends.
  const QList<QWidget *> shut = {menuBar(), findChild<QWidget *>("CoolBar"), pages_};
  for (QWidget *w : shut)
    w->setEnabled(false);
  Handle(work);
  for (QWidget *w : shut)
    w->setEnabled(true);
  ShowPortTrouble();
}

void TFormMenu::NConnectionCheckClick() {
  if (workbench_->CommandRunning()) return;
  ConnectionCheck check;
  WhileShut([&] { check = workbench_->CheckConnection(); });
  if (!check.lines.empty()) checkDialog_->Show(CheckReport(check));
}

void TFormMenu::DeviceCommand(const std::function<Outcome()> &command) {
  if (workbench_->CommandRunning()) return;
  Outcome outcome;
  WhileShut([&] { outcome = command(); });
  if (outcome.fastLine) statusBar()->showMessage(QString::fromStdString(FastLineText(*outcome.fastLine)));
  // The box said the burn failed; the bar says what that left in the unit.
  if (outcome.leftErased) statusBar()->showMessage(Text(kLeftErasedText));
  if (closeWanted_) {
    // Asked for while the command ran: now the work can be offered for saving.
    closeWanted_ = false;
    ShowPhase(phaseText_);
    close();
  }
}

bool TFormMenu::WorkMayGo() {
  bool mayGo = false;
  Handle([this, &mayGo] { mayGo = workbench_->OfferToSave(*dialogs_); });
  return mayGo;
}

void TFormMenu::OpenFile() {
  if (workbench_->CommandRunning() || !WorkMayGo()) return;
  Handle([this] { workbench_->NOpenfileClick(*dialogs_); });
}

void TFormMenu::ReadUnit(const std::function<Outcome()> &read) {
  if (workbench_->CommandRunning() || !WorkMayGo()) return;
  DeviceCommand(read);
}

void TFormMenu::ShowPhase(const std::string &phase) {
  phaseText_ = phase;
  QString shown = QString::fromStdString(phase);
  if (closeWanted_) shown += Text(shown.isEmpty() ? "指令結束後關閉視窗" : " · 指令結束後關閉視窗");
  phase_->setText(shown);
}

void TFormMenu::FormMenuCreate() {
  // Where the window stands before any stored place is known: the middle of the screen.
  adjustSize();
  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect place = rect();
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
  }
  pages_->setCurrentWidget(pages_->findChild<QWidget *>("TabPushBotton"));
  // The window keeps the size of its contents; the stored place is taken.
  const WindowGeometry stored = workbench_->FormMenuCreate(Geometry());
  move(stored.left, stored.top);
  KeepTitleBarOnScreen();
}

void TFormMenu::KeepTitleBarOnScreen() {
  QList<QRect> screens;
  for (QScreen *screen : QGuiApplication::screens())
    screens.push_back(screen->availableGeometry());
  // Before the window manager has framed the window its title bar is the style's.
  const int framed = geometry().top() - frameGeometry().top();
  const int title = framed > 0 ? framed : style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QPoint place = PlaceTitleBarOnScreen(frameGeometry(), title, screens);
  if (place != frameGeometry().topLeft()) move(place);
}

void TFormMenu::FormMenuShow() {
  // The fade-in first: nothing that goes wrong below may leave the window invisible.
  formTimer_->start();
  workbench_->FormMenuShow();
  // A port that failed at start-up was told in a box before there was a window.
  ShowPortTrouble();
}

void TFormMenu::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  Handle([this] { FormMenuShow(); });
}

void TFormMenu::closeEvent(QCloseEvent *event) {
  if (workbench_->CommandRunning()) {
    // Closing under a running exchange would pull the buffers from under it: the
    // window closes as soon as the command has ended, and says so meanwhile.
    closeWanted_ = true;
    ShowPhase(phaseText_);
    event->ignore();
    return;
  }
  if (!quitting_ && !WorkMayGo()) {
    event->ignore();
    return;
  }
  Handle([this] { workbench_->FormMenuClose(Geometry()); });
  event->accept();
}

void TFormMenu::FormTimerTimer() {
  if (alpha_ == 255) {
    formTimer_->stop();
    return;
  }
  alpha_ += kAlphaStep;
  setWindowOpacity(alpha_ / 255.0);
}

void TFormMenu::ClockTimerTimer() {
  const QLocale system = QLocale::system();
  datePanel_->setText(system.toString(QDate::currentDate(), QLocale::ShortFormat));
  timePanel_->setText(LongTime(QTime::currentTime()));
  // The date and time are never cut short by the fields beside them.
  for (QLabel *panel : {datePanel_, timePanel_})
    panel->setMinimumWidth(std::max(70, panel->sizeHint().width()));
}

void TFormMenu::NCOMClick(int n) {
  if (!workbench_->NCOMClick(n)) return;
  constexpr int kNoteTime = 10000;
  statusBar()->showMessage(Text("通訊埠 COM%1 將於下次開啟程式時使用").arg(n), kNoteTime);
}

void TFormMenu::NPortDeviceClick() {
  PortDeviceDialog dialog(this, workbench_->portName(), ListSerialDevices(deviceFolder_),
                          workbench_->PortDeviceChosen());
  if (dialog.exec() != QDialog::Accepted) return;
  // The port field says it is used from the next start on.
  workbench_->SetPortDevice(dialog.chosen());
}

void TFormMenu::NPrintClick() {
  PrintPages(*this, *pages_, *printer_, *person_);
}

void TFormMenu::NPCVerClick() {
  formVer_->exec();
}

void TFormMenu::NQuitClick() {
  if (workbench_->CommandRunning() || !WorkMayGo()) return;
  quitting_ = true;          // the work was offered for saving already
  workbench_->NQuitClick();  // the port goes before the window
  close();
}

void TFormMenu::HotKey() {
  // An accepted code ends the program: not in the middle of a device command.
  if (passwordForm_->isVisible() || workbench_->CommandRunning()) return;
  if (passwordForm_->exec() == QDialog::Accepted) Handle([this] { NQuitClick(); });
}

}  // namespace rilo
