// The main window headless: start-up from the preference store, the flags applied to
// the real widgets, port selection through the pop-up, and the fade-in.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/form_menu.h"
#include "app/port_device_dialog.h"
#include "app/testing/window_parts.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

using testing::FillDefaults;

class FormMenuTest : public ::testing::Test, public testing::WindowParts {
 protected:
  static bool Checked(TFormMenu &window, const QString &name) {
    return window.findChild<QAction *>(name)->isChecked();
  }
  static std::vector<int> CheckedPorts(TFormMenu &window, const char *set) {
    std::vector<int> checked;
    for (int n = 1; n <= 16; ++n)
      if (Checked(window, QString("%1%2").arg(set).arg(n))) checked.push_back(n);
    return checked;
  }
  static bool TabShown(TFormMenu &window, const char *page) {
    auto *pages = window.findChild<QTabWidget *>("PageControl");
    return pages->isTabVisible(pages->indexOf(window.findChild<QWidget *>(page)));
  }
};

TEST_F(FormMenuTest, FirstRunWritesDefaultsAndChecksCom1InBothMenus) {
  auto window = Start();
  EXPECT_EQ(store.values.at("COM"), (std::variant<int32_t, std::string>{"COM1"}));
  EXPECT_EQ(store.values.at("CustomerInfo"), (std::variant<int32_t, std::string>{1}));
  EXPECT_EQ(store.values.at("Language"), (std::variant<int32_t, std::string>{"English"}));
  EXPECT_EQ(store.values.at("Left"), (std::variant<int32_t, std::string>{window->frameGeometry().left()}));
  EXPECT_EQ(store.values.at("Top"), (std::variant<int32_t, std::string>{window->frameGeometry().top()}));
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{1});
  EXPECT_EQ(CheckedPorts(*window, "PopCOM"), std::vector<int>{1});
  EXPECT_TRUE(TabShown(*window, "TabCustomerInformation"));
  EXPECT_FALSE(TabShown(*window, "TabSpecialSetting"));
  EXPECT_FALSE(window->findChild<QAction *>("NLoadTxPrg")->isVisible());
  EXPECT_EQ(window->findChild<QTabWidget *>("PageControl")->currentWidget()->objectName(), "TabPushBotton");
  EXPECT_TRUE(window->windowTitle().isEmpty());
  EXPECT_TRUE(person.shown.empty());
}

TEST_F(FormMenuTest, StoreLackingOnlyFactoryTakesTheStoredPlaceAndRewritesDefaults) {
  FillDefaults(store);
  store.values["Left"] = 37;
  store.values["Top"] = 41;
  store.values["COM"] = "COM5";
  store.values["SpecialFunc"] = 1;
  store.values.erase("Factory");
  auto window = Start();
  EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(37, 41));
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{1});
  EXPECT_TRUE(TabShown(*window, "TabSpecialSetting"));  // read before the failure
  EXPECT_EQ(store.values.at("SpecialFunc"), (std::variant<int32_t, std::string>{0}));
  EXPECT_EQ(store.values.at("Left"), (std::variant<int32_t, std::string>{37}));
}

TEST_F(FormMenuTest, EachFlagShowsAndHidesItsControlsInTheWindow) {
  struct Case {
    const char *flag;
    std::vector<const char *> controls;
  };
  const Case cases[] = {
      {"BattLow", {"LabelLowBattAct", "CBTxLowBattAction", "LabelTxSpeFunc", "PanelTxSpeFunc"}},
      {"BattLowAction", {"LabelLowBattEMS", "CBTxBattLowEMS", "LabelTxSpeFunc", "PanelTxSpeFunc"}},
      {"TxEMSCount", {"LabelTxEMSCont", "CBTxEMSCont", "LabelTxSpeFunc", "PanelTxSpeFunc"}},
      {"BattCount", {"LabelBattCont", "CBTxBattCont", "LabelTxSpeFunc", "PanelTxSpeFunc"}},
      {"Key1Time", {"LabelBtnSpeFunc", "PanelBtnSpeFunc"}},
  };
  const std::vector<const char *> all = {"LabelLowBattAct", "CBTxLowBattAction", "LabelLowBattEMS",
                                         "CBTxBattLowEMS",  "LabelTxEMSCont",    "CBTxEMSCont",
                                         "LabelBattCont",   "CBTxBattCont",      "LabelTxSpeFunc",
                                         "PanelTxSpeFunc",  "LabelBtnSpeFunc",   "PanelBtnSpeFunc"};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.flag);
    testing::WindowParts parts;
    FillDefaults(parts.store);
    parts.store.values[c.flag] = 1;
    auto window = parts.Start();
    for (const char *name : all) {
      const bool wanted =
          std::find(c.controls.begin(), c.controls.end(), std::string(name)) != c.controls.end();
      EXPECT_EQ(!window->findChild<QWidget *>(name)->isHidden(), wanted) << name;
    }
  }

  struct Field {
    const char *flag;
    const char *field;
  };
  for (const Field f :
       {Field{"IDCODE", "EEqupmentID"}, Field{"DateCode", "EEqupmentDate"}, Field{"SN", "EEqupmentSN"}}) {
    testing::WindowParts parts;
    FillDefaults(parts.store);
    parts.store.values[f.flag] = 1;
    auto window = parts.Start();
    for (const char *field : {"EEqupmentID", "EEqupmentDate", "EEqupmentSN"})
      EXPECT_EQ(window->findChild<QLineEdit *>(field)->isReadOnly(), std::string(field) != f.field)
          << f.flag << " " << field;
  }
}

TEST_F(FormMenuTest, FactoryShowsTheFirmwareReadsAndKeepsTheWritesHidden) {
  FillDefaults(store);
  store.values["Factory"] = 1;
  auto window = Start();
  for (const char *name : {"NLoadTxPrg", "NLoadRxPrg", "NFirmwareVer", "NVerifyBurn"})
    EXPECT_TRUE(window->findChild<QAction *>(name)->isVisible()) << name;
  for (const char *name : {"NWriteTxPrg", "NWriteRxPrg"})
    EXPECT_FALSE(window->findChild<QAction *>(name)->isVisible()) << name;
  for (const char *name : {"BWriteTx", "BWriteRx"})
    EXPECT_TRUE(window->findChild<QWidget *>(name)->isHidden());
}

TEST_F(FormMenuTest, PortPickedFromThePopUpIsStoredAndCheckedInBothSets) {
  FillDefaults(store);
  store.values["COM"] = "COM3";
  auto window = Start();
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{3});
  store.writes.clear();

  EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());

  window->findChild<QAction *>("PopCOM12")->trigger();
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{12});
  EXPECT_EQ(CheckedPorts(*window, "PopCOM"), std::vector<int>{12});
  EXPECT_EQ(store.writes, std::vector<std::string>{"COM=\"COM12\""});
  EXPECT_EQ(window->statusBar()->currentMessage(), QString::fromUtf8("通訊埠 COM12 將於下次開啟程式時使用"));

  // Picking the checked port again keeps it checked.
  window->findChild<QAction *>("NCOM12")->trigger();
  EXPECT_EQ(CheckedPorts(*window, "PopCOM"), std::vector<int>{12});

  // A device command's progress takes the note's place.
  window->findChild<QProgressBar *>("ProgressBar")->setValue(1);
  EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
}

// The box at start-up keeps the connection failure's words; once there is a window its
// status bar says what the port did.
TEST_F(FormMenuTest, APortThatCannotBeOpenedIsNamedInTheStatusBar) {
  FillDefaults(store);
  port.refuseOpen = true;
  auto window = Start();
  ASSERT_EQ(person.shown.size(), 1u);
  EXPECT_EQ(person.shown[0].caption, "連線失敗");
  EXPECT_EQ(window->statusBar()->currentMessage(), QString::fromUtf8("COM1: 連接埠不存在"));
}

TEST_F(FormMenuTest, PortItemsAreOneExclusiveChoiceInEachMenu) {
  FillDefaults(store);
  store.values["COM"] = "COM17";  // no item of its own: none checked
  auto window = Start();
  EXPECT_TRUE(CheckedPorts(*window, "NCOM").empty());
  EXPECT_TRUE(CheckedPorts(*window, "PopCOM").empty());
  for (const char *set : {"NCOM", "PopCOM"}) {
    SCOPED_TRACE(set);
    for (int n = 1; n <= 16; ++n) {
      QActionGroup *group = window->findChild<QAction *>(QString("%1%2").arg(set).arg(n))->actionGroup();
      ASSERT_NE(group, nullptr);
      EXPECT_EQ(group->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
      EXPECT_EQ(group->actions().size(), 16);
    }
  }
  window->findChild<QAction *>("NCOM2")->trigger();
  window->findChild<QAction *>("PopCOM9")->trigger();
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{9});
  EXPECT_EQ(CheckedPorts(*window, "PopCOM"), std::vector<int>{9});
}

TEST_F(FormMenuTest, StoreThatRefusesWritesStillShowsTheWindowAndSaysSoOnce) {
  store.refuseWrites = true;
  auto window = Start();
  EXPECT_EQ(person.shown, (std::vector<testing::ShownMessage>{
                              {kPreferencesRefusedCaption, kPreferencesRefusedText, Icon::Error, false}}));
  // The show finished: the fade-in runs, the port is checked, the flags are applied.
  EXPECT_TRUE(window->findChild<QTimer *>("FormTimer")->isActive());
  for (int tick = 0; tick < 5; ++tick)
    window->FormTimerTimer();
  EXPECT_EQ(window->alpha(), 255);
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{1});
  EXPECT_TRUE(TabShown(*window, "TabCustomerInformation"));
  EXPECT_FALSE(window->findChild<QAction *>("NLoadTxPrg")->isVisible());

  // A port picked now is not kept: no note that it will be used; nothing more is said.
  window->findChild<QAction *>("NCOM3")->trigger();
  EXPECT_EQ(CheckedPorts(*window, "NCOM"), std::vector<int>{3});
  EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
  window->close();
  EXPECT_EQ(person.shown.size(), 1u);
}

TEST_F(FormMenuTest, FadeInReaches255InFiveTicksAndTheSixthStopsTheTimer) {
  auto window = Start();
  auto *timer = window->findChild<QTimer *>("FormTimer");
  EXPECT_EQ(window->alpha(), 0);
  EXPECT_TRUE(timer->isActive());
  std::vector<int> seen;
  for (int tick = 0; tick < 5; ++tick) {
    window->FormTimerTimer();
    seen.push_back(window->alpha());
  }
  EXPECT_EQ(seen, (std::vector<int>{51, 102, 153, 204, 255}));
  EXPECT_TRUE(timer->isActive());
  window->FormTimerTimer();
  EXPECT_EQ(window->alpha(), 255);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(FormMenuTest, ClosingKeepsTheGeometry) {
  FillDefaults(store);
  auto window = Start();
  window->move(120, 90);
  store.writes.clear();
  window->close();
  const QRect frame = window->frameGeometry();
  EXPECT_EQ(store.writes,
            (std::vector<std::string>{"Left=120", "Top=90", "Height=" + std::to_string(frame.height()),
                                      "Width=" + std::to_string(frame.width())}));
}

TEST_F(FormMenuTest, ThePortsDeviceIsChosenFromTheDevicesPresentForTheNextStart) {
  namespace fs = std::filesystem;
  testing::ScratchFolder scratch("rilo-dev");
  const fs::path dev = scratch.Path("dev");
  fs::create_directories(dev / "serial" / "by-id");
  std::ofstream(dev / "ttyS0") << "";
  std::ofstream(dev / "ttyUSB0") << "";
  const std::string stable = (dev / "serial" / "by-id" / "usb-FTDI_FT232R_A1-if00-port0").string();
  fs::create_symlink("../../ttyUSB0", stable);
  auto window =
      std::make_unique<TFormMenu>(store, VentrixApi{}, ProductLine{},
                                  WindowSeams{&person, nullptr, &port, &clock, nullptr, dev.string()});
  window->show();

  QStringList listed;
  QTimer::singleShot(0, [&] {
    auto *dialog = qobject_cast<PortDeviceDialog *>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "no device dialog";
      if (QWidget *other = QApplication::activeModalWidget()) other->close();
      return;
    }
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("COM1 的裝置"));
    auto *list = dialog->findChild<QListWidget *>("Devices");
    for (int i = 0; i < list->count(); ++i)
      listed << list->item(i)->text();
    list->setCurrentRow(1);
    dialog->accept();
  });
  window->findChild<QAction *>("NPortDevice")->trigger();

  const QString usb0 = QString::fromStdString(fs::canonical(dev / "ttyUSB0").string());
  // The device in use first, though not among those present.
  EXPECT_EQ(listed,
            (QStringList{"/dev/ttyS0", QString::fromStdString(stable) + QString::fromUtf8(" → ") + usb0,
                         QString::fromStdString((dev / "ttyS0").string()),
                         QString::fromStdString((dev / "ttyUSB0").string())}));
  EXPECT_EQ(store.values.at("PortDevice.COM1"), (std::variant<int32_t, std::string>{stable}));
  // The port opened at start-up stays in use until the next start.
  EXPECT_EQ(window->findChild<QLabel *>("StatusPort")->toolTip(), QString::fromUtf8("COM1 → /dev/ttyS0 · ") +
                                                                      QString::fromStdString(stable) +
                                                                      QString::fromUtf8(" 下次啟動生效"));
}

TEST_F(FormMenuTest, F10AndALoneAltPutTheKeyboardOnTheMenuBar) {
  auto window = Start();
  QApplication::setActiveWindow(window.get());
  QMenuBar *bar = window->menuBar();
  QAction *file = window->findChild<QAction *>("NFileItem");

  QTest::keyClick(window.get(), Qt::Key_F10);
  EXPECT_EQ(bar->activeAction(), file);
  ASSERT_NE(QApplication::activePopupWidget(), nullptr);
  // The arrows go on to the next menu; Escape leaves.
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
  EXPECT_EQ(bar->activeAction(), window->findChild<QAction *>("NSettingItem"));
  while (QWidget *popup = QApplication::activePopupWidget())
    popup->close();
  QTest::keyClick(bar, Qt::Key_Escape);

  QTest::keyPress(window.get(), Qt::Key_Alt, Qt::AltModifier);
  QTest::keyRelease(window.get(), Qt::Key_Alt);
  EXPECT_EQ(bar->activeAction(), file);
  QTest::keyClick(bar, Qt::Key_Down);  // opens the menu the bar stands on
  ASSERT_NE(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(QApplication::activePopupWidget()->objectName(), "NFile");
  while (QWidget *popup = QApplication::activePopupWidget())
    popup->close();
}

TEST_F(FormMenuTest, MainMenuCaptionsAreExact) {
  auto window = Start();
  const std::pair<const char *, const char *> captions[] = {
      {"NFileItem", "  檔   案  "},
      {"NOpenfile", "開 啟 檔 案"},
      {"NSavefile", "儲 存 檔 案"},
      {"NPrint", "列 印 頁 面"},
      {"NQuit", "結 束 程 式"},
      {"NSettingItem", "  通  訊  埠  "},
      {"NLoadItem", "  讀   取  "},
      {"NLoadSet", "讀 取 設 定"},
      {"NLoadTxPrg", "讀 取 發 射 機"},
      {"NLoadRxPrg", "讀 取 接 收 機"},
      {"NWriteItem", "  寫   入  "},
      {"NWriteSet", "寫 入 設 定"},
      {"NWriteTxPrg", "寫 入 發 射 機"},
      {"NWriteRxPrg", "寫 入 接 收 機"},
      {"NVerifyBurn", "燒錄後驗證"},
      {"NHelpItem", "  說   明  "},
      {"NFirmwareVer", "韌 體 程 式 版 本"},
      {"NPCVer", "設 定 程 式 版 本"},
      {"NCOM16", "COM &16"},
      {"PopCOM7", "COM &7"},
  };
  for (const auto &[name, caption] : captions)
    EXPECT_EQ(window->findChild<QAction *>(name)->text(), QString::fromUtf8(caption)) << name;
}

}  // namespace
}  // namespace rilo
