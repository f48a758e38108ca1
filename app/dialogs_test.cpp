// The unlock dialog through the hot key, and the version dialog.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/form_menu.h"
#include "app/form_ver.h"
#include "app/password_form.h"
#include "app/testing/window_parts.h"
#include "core/ini_preferences.h"
#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

using testing::FillDefaults;
using testing::ShownMessage;

constexpr const char *kFactoryCode = "04kmty6e";

void Type(TPasswordForm &form, const char *text) {
  form.findChild<QLineEdit *>("EPassword")->setText(text);
  QTest::mouseClick(form.findChild<QPushButton *>("BPasswordOK"), Qt::LeftButton);
}

class PasswordFormTest : public ::testing::Test, public testing::WindowParts {
 protected:
  std::unique_ptr<TFormMenu> window;

  void SetUp() override {
    FillDefaults(store);
    window = Start();
  }

  // Runs `inside` once the unlock dialog is up, after the hot key opened it.
  void WithDialog(const std::function<void(TPasswordForm &)> &inside) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      ran = true;
      inside(*window->PasswordForm());
      if (window->PasswordForm()->isVisible()) window->PasswordForm()->BPasswordCancelClick();
    });
    window->HotKey();
    EXPECT_TRUE(ran);
  }
};

TEST_F(PasswordFormTest, AcceptedCodeWritesItsFlagsAndQuitsSavingTheGeometry) {
  WithDialog([&](TPasswordForm &form) {
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Password Dialog");
    Type(form, kFactoryCode);
  });
  EXPECT_EQ(store.values.at("Factory"), (std::variant<int32_t, std::string>{1}));
  EXPECT_EQ(store.values.at("SpecialFunc"), (std::variant<int32_t, std::string>{1}));
  EXPECT_EQ(person.shown.back(),
            (ShownMessage{"功能開啟", "功能開啟,程式將自動關閉,請重新開啟程式!!", Icon::Information, false}));
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(port.IsOpen());  // the quit command closes the port before the window
  EXPECT_EQ(store.writes.back(), "Width=" + std::to_string(window->frameGeometry().width()));
  EXPECT_EQ(window->workbench().flags().Factory, 0);  // this run keeps the flags it loaded
}

#if !defined(_WIN32)
// Ctrl+Alt+F8, and the same with Shift where an X server keeps Ctrl+Alt+F8 for itself.
// (Windows delivers the registered hot key as a window message instead.)
TEST_F(PasswordFormTest, HotKeyOpensTheDialog) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  for (Qt::KeyboardModifiers keys :
       {Qt::ControlModifier | Qt::AltModifier, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier}) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
      opened = window->PasswordForm()->isVisible();
      window->PasswordForm()->BPasswordCancelClick();
    });
    QTest::keyClick(window.get(), Qt::Key_F8, keys);
    EXPECT_TRUE(opened) << keys;
  }
}
#endif

// The window and the dialog share one store: the geometry written at the quit that
// follows an accepted code must not put back the flags the store held at start-up.
TEST(PasswordFormFile, AcceptedCodeSurvivesTheQuitInThePreferenceFile) {
  QTemporaryDir folder;
  const std::string path = folder.filePath("preferences.ini").toStdString();
  testing::WindowParts parts;
  {
    IniPreferences store(path);
    testing::ScriptedOperator &person = parts.person;
    TFormMenu window(store, VentrixApi{}, ProductLine{},
                     WindowSeams{&person, nullptr, &parts.port, &parts.clock});
    window.show();
    QTimer::singleShot(0, [&] { Type(*window.PasswordForm(), kFactoryCode); });
    window.HotKey();
    ASSERT_FALSE(window.isVisible());
  }
  IniPreferences reread(path);
  EXPECT_EQ(reread.ReadBool("Factory"), std::optional<bool>(true));
  EXPECT_EQ(reread.ReadBool("CustomerInfo"), std::optional<bool>(false));
  EXPECT_TRUE(reread.ReadInteger("Width").has_value());
}

TEST_F(PasswordFormTest, WrongCodeKeepsTheDialogOpenWithTheTypedText) {
  WithDialog([&](TPasswordForm &form) {
    Type(form, "04KMTY6E");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.findChild<QLineEdit *>("EPassword")->text(), "04KMTY6E");
    EXPECT_EQ(person.shown.back(), (ShownMessage{"密碼錯誤", "密碼錯誤,請再試一次 !!", Icon::Error, false}));
    // The hot key again while the dialog is up does nothing.
    window->HotKey();
  });
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(store.values.at("Factory"), (std::variant<int32_t, std::string>{0}));
}

TEST_F(PasswordFormTest, CancelWritesNothing) {
  store.writes.clear();
  WithDialog([&](TPasswordForm &form) {
    form.findChild<QLineEdit *>("EPassword")->setText(kFactoryCode);
    QTest::mouseClick(form.findChild<QPushButton *>("BPasswordCancel"), Qt::LeftButton);
  });
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(PasswordFormTest, StoreThatRefusesTheWriteShowsTheErrorAndKeepsTheDialog) {
  WithDialog([&](TPasswordForm &form) {
    store.refuseWrites = true;
    Type(form, kFactoryCode);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(person.shown.back().caption, "RILO1Q12");
    EXPECT_EQ(person.shown.back().icon, Icon::Error);
    store.refuseWrites = false;
  });
}

TEST_F(PasswordFormTest, FieldMasksEveryCharacterAndTakesThirtyAtMost) {
  auto *field = window->PasswordForm()->findChild<QLineEdit *>("EPassword");
  EXPECT_EQ(field->echoMode(), QLineEdit::Password);
  EXPECT_EQ(field->maxLength(), 30);
}

// The history is read from the program's folder (here a scratch folder), whatever the
// working folder holds.
class FormVerTest : public ::testing::Test {
 protected:
  QTemporaryDir folder;
  QTemporaryDir working;
  QString previous = QDir::currentPath();
  FeatureFlags flags;
  testing::ScriptedOperator person;
  const QString history = folder.filePath("VerInfo.txt");

  void SetUp() override {
    QDir::setCurrent(working.path());
    QFile decoy(working.filePath("VerInfo.txt"));
    ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
    decoy.write("not this one\n");
  }
  void TearDown() override { QDir::setCurrent(previous); }

  void WriteHistory(const QByteArray &text) {
    QFile file(folder.filePath("VerInfo.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  static QString History(TFormVer &dialog) {
    return dialog.findChild<QPlainTextEdit *>("MVerInfo")->toPlainText();
  }
  static void ClickLink(TFormVer &dialog) {
    QTest::mouseClick(dialog.findChild<QWidget *>("LabelLogo3"), Qt::LeftButton);
  }
};

TEST_F(FormVerTest, WithoutFactoryThereIsNoLinkAndTheDialogStaysCollapsed) {
  TFormVer dialog(nullptr, flags, person, history);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Rilo Q10,Q12 PC Setting Software");
  EXPECT_TRUE(dialog.findChild<QWidget *>("LabelLogo3")->isHidden());
  EXPECT_EQ(dialog.height(), TFormVer::kCollapsedHeight);
}

TEST_F(FormVerTest, LinkUnfoldsFoldsAndReloadsTheHistory) {
  flags.Factory = 1;
  WriteHistory("3.00 first\r\n2.10 second\n");
  TFormVer dialog(nullptr, flags, person, history);
  dialog.show();
  ASSERT_FALSE(dialog.findChild<QWidget *>("LabelLogo3")->isHidden());

  ClickLink(dialog);
  EXPECT_EQ(dialog.height(), TFormVer::kExpandedHeight);
  EXPECT_EQ(History(dialog), "3.00 first\n2.10 second");
  ClickLink(dialog);
  EXPECT_EQ(dialog.height(), TFormVer::kCollapsedHeight);
  WriteHistory("3.01 third\n");
  ClickLink(dialog);
  EXPECT_EQ(History(dialog), "3.01 third");

  // Every showing starts collapsed.
  dialog.hide();
  dialog.show();
  EXPECT_EQ(dialog.height(), TFormVer::kCollapsedHeight);
  EXPECT_TRUE(person.shown.empty());
}

TEST_F(FormVerTest, MissingHistoryFileIsAnErrorAndLeavesTheTextAreaEmpty) {
  flags.Factory = 1;
  TFormVer dialog(nullptr, flags, person, history);
  dialog.show();
  ClickLink(dialog);
  EXPECT_EQ(person.shown,
            (std::vector<ShownMessage>{
                {"RILO1Q12", "Cannot open file \"" + QDir::toNativeSeparators(history).toStdString() + "\".",
                 Icon::Error, false}}));
  EXPECT_EQ(dialog.height(), TFormVer::kExpandedHeight);
  EXPECT_TRUE(History(dialog).isEmpty());
}

}  // namespace
}  // namespace rilo
