// The window as the Windows program starts it, with nothing standing in but the person
// at the screen: its preferences in the system's registry (Wine's, in the tests' own
// prefix) and a unit read through a real COM port. COM5 must lead to a receiver:
// wine_window_test.sh links it to a simulated unit's pseudo-terminal before this runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form_menu.h"
#include "core/ini_preferences.h"
#include "core/registry_preferences.h"
#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

// One application object for every case, on the platform without a screen, given a
// large one: there the window is wider than on a screen, since that platform finds no
// fonts on Windows (it reads them from a folder of Qt's own, which Qt no longer ships).
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(screens_.open());
    screens_.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 3840, "height": 2160,
                                    "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens_.flush();
    // Relative: the platform's options are split at colons, a drive's among them.
    platform_ = "offscreen:configfile=" + QDir::current().relativeFilePath(screens_.fileName()).toLocal8Bit();
    argv_[2] = platform_.data();
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override { delete app_; }

 private:
  QTemporaryFile screens_{"screens-XXXXXX.json"};
  QByteArray platform_;
  int argc_ = 3;
  char name_[20] = "windows_window_test";
  char flag_[10] = "-platform";
  char *argv_[4] = {name_, flag_, nullptr, nullptr};
  QApplication *app_ = nullptr;
};
[[maybe_unused]] ::testing::Environment *const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

class WindowsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Remove();
    std::string error;
    auto loaded = LoadVentrixBesideProgram(&error);
    ASSERT_TRUE(loaded) << error;
    ventrix = *loaded;
    auto read = ReadProductLineBesideProgram(&error);
    ASSERT_TRUE(read) << error;
    productLine = *read;
  }
  void TearDown() override {
    window.reset();
    Remove();
  }
  static void Remove() {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kPreferencesKey, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_CURRENT_USER, kPreferencesKey, 0, 0);
  }
  // A value in the machine's key (in the view the program uses) or the user's.
  static void Put(HKEY root, const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key = nullptr;
    const REGSAM view = root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0;
    ASSERT_EQ(RegCreateKeyExA(root, kPreferencesKey, 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void Put(HKEY root, const char *name, DWORD value) {
    Put(root, name, REG_DWORD, &value, sizeof value);
  }
  static void Put(HKEY root, const char *name, const std::string &text) {
    Put(root, name, REG_SZ, text.c_str(), DWORD(text.size() + 1));
  }
  static std::optional<DWORD> Get(const char *name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kPreferencesKey, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6432KEY,
                     nullptr, &value, &size) != ERROR_SUCCESS)
      return std::nullopt;
    return value;
  }

  // The window on the platform's own store, shown, as main() makes it.
  void Start() {
    window.reset();
    store = OpenPreferenceStore();
    window = std::make_unique<TFormMenu>(*store, ventrix, productLine, WindowSeams{&person});
    window->show();
    QApplication::processEvents();
  }
  bool Visible(const char *item) { return window->findChild<QAction *>(item)->isVisible(); }
  QString Field(const char *name) { return window->findChild<QLineEdit *>(name)->text(); }

  VentrixApi ventrix;
  ProductLine productLine;
  testing::ScriptedOperator person;
  std::unique_ptr<Preferences> store;
  std::unique_ptr<TFormMenu> window;
};

TEST_F(WindowsWindow, OpensWhereTheRegistrySaysAndKeepsWhereItWasClosed) {
  Start();
  ASSERT_TRUE(Get("Left"));  // the first start's own place
  window->move(140, 90);
  window->close();
  EXPECT_EQ(Get("Left"), 140u);
  EXPECT_EQ(Get("Top"), 90u);

  Put(HKEY_LOCAL_MACHINE, "Left", 60);
  Start();
  EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(60, 90));
  EXPECT_TRUE(person.shown.empty());
}

TEST_F(WindowsWindow, FlagsOfTheUsersKeyWinOverTheMachines) {
  Start();
  EXPECT_FALSE(Visible("NLoadTxPrg"));
  EXPECT_FALSE(Visible("NLedger"));
  Put(HKEY_CURRENT_USER, "Factory", 1);
  Start();
  EXPECT_TRUE(Visible("NLoadTxPrg"));
  EXPECT_TRUE(Visible("NLedger"));
  EXPECT_EQ(Get("Factory"), 0u);
}

TEST_F(WindowsWindow, ReadsAUnitThroughCom5) {
  Start();  // the first start: its defaults, then the port
  Put(HKEY_LOCAL_MACHINE, "COM", std::string("COM5"));
  Start();
  EXPECT_TRUE(window->findChild<QLabel *>("StatusPort")->text().startsWith("COM5"));
  window->findChild<QPushButton *>("BLoadSet")->click();
  ASSERT_EQ(person.Texts(), std::vector<std::string>{"讀取設定完成!!"});
  EXPECT_EQ(person.shown[0].caption, "讀取");
  EXPECT_EQ(person.shown[0].icon, Icon::Information);
  // The unit's settings and identity in the window.
  EXPECT_EQ(Field("EEqupmentType"), "RILO1-Q12");
  EXPECT_EQ(Field("EEqupmentID").size(), 8);
  EXPECT_GE(window->findChild<QComboBox *>("CBOpenMode")->currentIndex(), 0);
}

}  // namespace
}  // namespace rilo
