// Device commands through the real window: a click on BLoadSet against the simulated
// unit in-process fills the option lists, and the window is shut while it runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/form_menu.h"
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
  // The window as the program starts it, with the store as it stands.
  void Start() {
    window.reset();
    window = std::make_unique<TFormMenu>(store, testing::Ventrix(), testing::ToolProductLine(),
                                         WindowSeams{&person, nullptr, &port, &clock});
    window->show();
  }
  QAction *Item(const char *name) { return window->findChild<QAction *>(name); }
  QComboBox *List(const char *name) { return window->findChild<QComboBox *>(name); }
  QPushButton *Button(const char *name) { return window->findChild<QPushButton *>(name); }

  sim::Unit unit{testing::Standard(sim::Model::kReceiver16k)};
  VirtualClock clock;
  sim::SimulatedPort port{unit, clock};
  WatchingPerson person;
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

TEST_F(DeviceCommandWindow, ClosingDuringACommandWaitsForItsEnd) {
  person.onMessage = [&] { window->close(); };
  Button("BLoadSet")->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(person.Texts(), std::vector<std::string>{"讀取設定完成!!"});
  EXPECT_TRUE(store.values.count("Left"));  // the close ran its handler, after the command
}

}  // namespace
}  // namespace rilo
