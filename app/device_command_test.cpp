// Device commands through the real window: a click on BLoadSet against the simulated
// unit in-process fills the option lists, the window is shut while it runs, the status
// bar follows the command, and work not yet saved is offered for saving.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <functional>

#include "app/connection_check_dialog.h"
#include "app/form_menu.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_dialogs.h"
#include "core/testing/scripted_operator.h"
#include "link/testing/wired_unit.h"
#include "workbench/testing/recording_preferences.h"

namespace rilo {
namespace {

// A person who also looks at the window whenever a message comes up.
struct WatchingPerson : testing::ScriptedOperator {
  std::function<void()> onMessage;
  void Message(const std::string &caption, const std::string &text, Icon icon) override {
    if (onMessage) onMessage();
    ScriptedOperator::Message(caption, text, icon);
  }
};

class DeviceCommandWindow : public ::testing::Test {
 protected:
  DeviceCommandWindow() {
    testing::FillDefaults(store);
    Start();
  }
  // The window as the program starts it, with the store as it stands, and `on` behind
  // the port (the receiver, unless told).
  void Start(SerialPort *on = nullptr) {
    window.reset();
    window = std::make_unique<TFormMenu>(store, testing::Ventrix(), testing::ToolProductLine(),
                                         WindowSeams{&person, nullptr, on ? on : &port, &clock, &dialogs});
    window->show();
  }
  QAction *Item(const char *name) { return window->findChild<QAction *>(name); }
  QComboBox *List(const char *name) { return window->findChild<QComboBox *>(name); }
  QPushButton *Button(const char *name) { return window->findChild<QPushButton *>(name); }
  QString Phase() { return window->findChild<QLabel *>("StatusPhase")->text(); }
  // A receiver's firmware read from the menu, as a burn's source.
  void ReadReceiverFirmware() {
    store.values["Factory"] = 1;
    Start();
    Item("NLoadRxPrg")->trigger();
    ASSERT_EQ(person.Texts(), std::vector<std::string>{"讀取接收機程式完成!!"});
    person.shown.clear();
  }

  sim::Unit unit{testing::Standard(sim::Model::kReceiver16k)};
  VirtualClock clock;
  sim::SimulatedPort port{unit, clock};
  WatchingPerson person;
  testing::ScriptedDialogs dialogs;
  testing::RecordingPreferences store;
  std::unique_ptr<TFormMenu> window;
};

TEST_F(DeviceCommandWindow, ClickingReadSettingsShowsTheUnitsOptions) {
  EXPECT_EQ(List("CBSNAction")->currentIndex(), -1);
  bool shutWhileRunning = false;
  person.onMessage = [&] {
    shutWhileRunning = !window->menuBar()->isEnabled() && !Button("BWriteSet")->isEnabled() &&
                       !List("CBUDAction")->isEnabled();
    Button("BWriteSet")->click();  // ignored: the read still runs
  };
  QTest::mouseClick(Button("BLoadSet"), Qt::LeftButton);

  ASSERT_EQ(person.Texts(), std::vector<std::string>{"讀取設定完成!!"});
  EXPECT_TRUE(shutWhileRunning);
  EXPECT_EQ(List("CBSNAction")->currentIndex(), 1);
  EXPECT_EQ(List("CBR34Action")->currentIndex(), 4);
  EXPECT_EQ(List("CBTxEMSCont")->currentIndex(), 1);
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("RILO1-Q12 設定程式"));
  EXPECT_EQ(window->findChild<QLineEdit *>("EEqupmentID")->text(), "12300415");
  EXPECT_EQ(window->findChild<QLineEdit *>("EEqupmentDate")->text(), "2024/05/17");
  EXPECT_TRUE(window->menuBar()->isEnabled());
  EXPECT_TRUE(Button("BLoadSet")->isEnabled());
  EXPECT_TRUE(List("CBUDAction")->isEnabled());
}

TEST_F(DeviceCommandWindow, FirmwareIsReadAndBurnedFromTheMenusOneCommandAtATime) {
  store.values["Factory"] = 1;
  Start();
  ASSERT_TRUE(Item("NLoadRxPrg")->isVisible());
  bool shutWhileRunning = false;
  bool busyWhileRunning = false;
  person.onMessage = [&] {
    shutWhileRunning = !window->menuBar()->isEnabled() && !Button("BLoadSet")->isEnabled();
    busyWhileRunning = person.busy;
    Item("NLoadTxPrg")->trigger();  // ignored: the read still runs
  };
  Item("NLoadRxPrg")->trigger();
  EXPECT_EQ(person.Texts(), std::vector<std::string>{"讀取接收機程式完成!!"});
  EXPECT_TRUE(shutWhileRunning);
  EXPECT_TRUE(busyWhileRunning);
  EXPECT_FALSE(person.busy);
  EXPECT_TRUE(window->menuBar()->isEnabled());

  // Burned back into the same unit, read back, and the next unit's ID code offered.
  person.shown.clear();
  Item("NWriteRxPrg")->trigger();
  EXPECT_EQ(person.Texts(), std::vector<std::string>{"寫入接收機程式完成!!"});
  EXPECT_TRUE(shutWhileRunning);
  EXPECT_EQ(window->findChild<QLineEdit *>("EEqupmentID")->text(), "12300416");
  EXPECT_TRUE(unit.starts());
}

TEST_F(DeviceCommandWindow, VerifyAfterBurnIsACheckableFactoryItemKeptInTheStore) {
  EXPECT_FALSE(Item("NVerifyBurn")->isVisible());
  store.values["Factory"] = 1;
  Start();
  QAction *verify = Item("NVerifyBurn");
  EXPECT_TRUE(verify->isVisible());
  EXPECT_TRUE(verify->isChecked());
  EXPECT_EQ(verify->text(), QString::fromUtf8("燒錄後驗證"));
  verify->trigger();
  EXPECT_FALSE(verify->isChecked());
  EXPECT_EQ(store.ReadInteger("VerifyBurn"), 0);
  Start();
  EXPECT_FALSE(Item("NVerifyBurn")->isChecked());
}

// The bar after every step of a burn with read-back, on the virtual clock: it moves at
// least once a page's time, never backwards, never full before the end, and the status
// bar names the phase and page.
TEST_F(DeviceCommandWindow, TheBarMovesThroughEveryPageOfABurnAndItsReadBack) {
  ReadReceiverFirmware();
  struct Mark {
    uint32_t tick;
    int position, maximum;
    std::string phase;
  };
  std::vector<Mark> marks;
  person.onProgress = [&](int position) {
    marks.push_back({clock.Tick(), position, person.progressMax, Phase().toStdString()});
  };
  const uint32_t start = clock.Tick();
  Item("NWriteRxPrg")->trigger();
  person.onProgress = nullptr;
  ASSERT_EQ(person.Texts(), std::vector<std::string>{"寫入接收機程式完成!!"});
  ASSERT_GT(marks.size(), 2u);
  EXPECT_EQ(marks.back().position, 500);  // the end shows the bar full
  marks.pop_back();

  // One page's time: the slowest page written or read back.
  const auto paged = [](const Mark &m) {
    return m.phase.starts_with("寫入 ") || m.phase.starts_with("驗證 ");
  };
  uint32_t onePage = 0;
  for (size_t i = 1; i < marks.size(); ++i)
    if (paged(marks[i]) && paged(marks[i - 1]))
      onePage = std::max(onePage, marks[i].tick - marks[i - 1].tick);
  ASSERT_GT(onePage, 0u);
  // The steps between the pages are single exchanges of a few pages' time each (the
  // probe, the erase, the handshake after it, the identity update, the top pages put
  // back): the bar moves after each.
  constexpr uint32_t kPagesPerOtherStep = 8;
  Mark last{start, 0, 0, ""};
  for (const Mark &m : marks) {
    if (m.position == last.position) continue;
    EXPECT_GT(m.position, last.position) << m.phase;
    EXPECT_LE(m.position, m.maximum) << m.phase << ": the bar is full before the end";
    const uint32_t allowed = paged(m) && paged(last) ? onePage : kPagesPerOtherStep * onePage;
    EXPECT_LE(m.tick - last.tick, allowed)
        << m.phase << " came " << m.tick - last.tick << " ms after the last move";
    last = m;
  }
  EXPECT_EQ(marks.back().position, marks.back().maximum);

  std::vector<std::string> phases;
  for (const Mark &m : marks)
    if (phases.empty() || phases.back() != m.phase) phases.push_back(m.phase);
  const auto seen = [&](const std::string &phase) {
    return std::find(phases.begin(), phases.end(), phase) != phases.end();
  };
  EXPECT_TRUE(seen("抹除"));
  EXPECT_TRUE(seen("寫入識別資料"));
  int written = 0, verified = 0;
  for (const std::string &phase : phases) {
    written += phase.starts_with("寫入 ");
    verified += phase.starts_with("驗證 ");
  }
  EXPECT_GT(written, 10);
  EXPECT_GT(verified, written);  // every page written, and the blocks and top pages too
  EXPECT_TRUE(seen("驗證 " + std::to_string(verified) + "/" + std::to_string(verified)));
  EXPECT_EQ(Phase(), "");  // the command is over
}

TEST_F(DeviceCommandWindow, ABurnThatFailsAfterTheEraseSaysTheUnitIsErased) {
  ReadReceiverFirmware();
  unit.AddFault({sim::FaultKind::kRefuse, 0x12, 3, 1});  // the fourth block write
  Item("NWriteRxPrg")->trigger();
  EXPECT_EQ(person.Texts(), std::vector<std::string>{"寫入接收機程式失敗,請再試一次"});
  EXPECT_EQ(window->statusBar()->currentMessage(), QString::fromUtf8("機器已抹除,須重新燒錄才能運作"));
}

TEST_F(DeviceCommandWindow, WorkNotSavedIsOfferedBeforeAReadOrAClose) {
  testing::ScratchFolder folder("rilo-unsaved");
  ReadReceiverFirmware();
  const testing::ShownMessage question{"存檔", "尚未存檔,是否先存檔?", Icon::Information, true};

  // Cancel keeps the firmware read: the settings read does not start.
  person.choices = {Choice::Cancel};
  Button("BLoadSet")->click();
  EXPECT_EQ(person.shown, std::vector<testing::ShownMessage>{question});
  person.shown.clear();

  // Yes saves it first, through the save dialog, then the read runs.
  person.choices = {Choice::Yes};
  dialogs.saves.push_back(folder.Path("rx.txt"));
  Button("BLoadSet")->click();
  EXPECT_EQ(person.Texts(),
            (std::vector<std::string>{"尚未存檔,是否先存檔?", "儲存檔案完成!!", "讀取設定完成!!"}));
  EXPECT_TRUE(testing::ReadWholeFile(folder.Path("rx.txt")).starts_with("@FFE0\r\n"));
  person.shown.clear();

  // An edited page is work too: No lets it go and the window closes.
  List("CBSNAction")->setFocus();
  QTest::keyClick(List("CBSNAction"), Qt::Key_Down);
  person.choices = {Choice::No};
  window->close();
  EXPECT_EQ(person.shown, std::vector<testing::ShownMessage>{question});
  EXPECT_FALSE(window->isVisible());
}

TEST_F(DeviceCommandWindow, AFirmwareReadClosedMidwayEndsThenOffersItsWorkForSaving) {
  store.values["Factory"] = 1;
  Start();
  QString phaseWhileWaiting;
  person.onMessage = [&] { phaseWhileWaiting = Phase(); };
  person.onProgress = [&](int position) {
    if (position == 10) window->close();  // Alt+F4 in the middle of the read
  };
  person.choices = {Choice::Cancel};
  Item("NLoadRxPrg")->trigger();
  person.onProgress = nullptr;
  EXPECT_TRUE(phaseWhileWaiting.endsWith(QString::fromUtf8("指令結束後關閉視窗")))
      << phaseWhileWaiting.toStdString();
  EXPECT_EQ(person.Texts(), (std::vector<std::string>{"讀取接收機程式完成!!", "尚未存檔,是否先存檔?"}));
  EXPECT_TRUE(window->isVisible()) << "Cancel keeps the window and the read";
  EXPECT_EQ(Phase(), "");
}

TEST_F(DeviceCommandWindow, ThePortFieldNamesThePortItsDeviceAndTheUnitLastOpened) {
  store.WriteString("PortDevice.COM1", "/dev/ttyUSB0");
  Start();
  QLabel *field = window->findChild<QLabel *>("StatusPort");
  EXPECT_EQ(field->text(), QString::fromUtf8("COM1 → /dev/ttyUSB0"));
  Button("BLoadSet")->click();
  EXPECT_EQ(field->text(), QString::fromUtf8("COM1 → /dev/ttyUSB0   接收機 Q12 · BSL 1.10 · ID 12300415"));
  const QString receiverLook = field->styleSheet();

  // Another port is used from the next start on, and the field says so.
  Item("NCOM2")->trigger();
  EXPECT_EQ(
      field->text(),
      QString::fromUtf8("COM1 → /dev/ttyUSB0 · COM2 下次啟動生效   接收機 Q12 · BSL 1.10 · ID 12300415"));

  // A transmitter is named, and looks different.
  sim::Unit transmitter{testing::Standard(sim::Model::kTransmitter)};
  sim::SimulatedPort transmitterPort{transmitter, clock};
  Start(&transmitterPort);
  field = window->findChild<QLabel *>("StatusPort");
  EXPECT_EQ(field->text(), QString::fromUtf8("COM2 → /dev/ttyS1"));
  Button("BLoadSet")->click();
  EXPECT_TRUE(field->text().startsWith(QString::fromUtf8("COM2 → /dev/ttyS1   發射機 Q12 · BSL ")))
      << field->text().toStdString();
  EXPECT_NE(field->styleSheet(), receiverLook);
  window.reset();  // before the port it holds
}

TEST_F(DeviceCommandWindow, ClosingDuringACommandWaitsForItsEnd) {
  person.onMessage = [&] { window->close(); };
  Button("BLoadSet")->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(person.Texts(), std::vector<std::string>{"讀取設定完成!!"});
  EXPECT_TRUE(store.values.count("Left"));  // the close ran its handler, after the command
}

// 連線診斷 in the 說明 menu: the check runs with the window shut, tells nothing in
// message boxes, and shows its lines in a dialog whose text can be copied whole.
TEST_F(DeviceCommandWindow, TheConnectionCheckShowsItsLinesToCopy) {
  QAction *item = Item("NConnectionCheck");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), QString::fromUtf8("連線診斷"));
  EXPECT_EQ(window->findChild<QMenu *>("NHelp")->actions().count(item), 1);
  auto *dialog = window->findChild<ConnectionCheckDialog *>("ConnectionCheckDialog");
  ASSERT_NE(dialog, nullptr);
  auto shown = [&] { return dialog->findChild<QPlainTextEdit *>("MemoCheck")->toPlainText().toStdString(); };

  item->trigger();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(shown().starts_with("1 OK   裝置: COM1 → /dev/ttyS0 是序列埠\n")) << shown();
  EXPECT_TRUE(shown().ends_with("\n結果: 7 項全部通過\n")) << shown();
  EXPECT_TRUE(person.Texts().empty());
  EXPECT_TRUE(window->menuBar()->isEnabled());
  dialog->findChild<QPushButton *>("BCopy")->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), shown());
  dialog->findChild<QPushButton *>("BClose")->click();
  EXPECT_FALSE(dialog->isVisible());

  // The port is opened afresh: another program on it now is found.
  port.set_open_trouble(PortTrouble::InUse);
  item->trigger();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(shown(),
            "1 OK   裝置: COM1 → /dev/ttyS0 存在\n"
            "2 FAIL 開啟: /dev/ttyS0 已被其他程式使用。處理: 關閉使用它的程式 (另一個 RILO1Q12 或 "
            "rilo-cli、終端機程式) "
            "後再試\n"
            "結果: 步驟 2 失敗; 步驟 3 到 7 未執行\n");
  EXPECT_TRUE(person.Texts().empty());
  EXPECT_EQ(window->statusBar()->currentMessage(), QString::fromUtf8("COM1: 連接埠已被其他程式使用"));
}

}  // namespace
}  // namespace rilo
