// Picking entries and typing in the real widgets runs the editor's rules, and the
// widgets then show the form: one case per kind of cascade.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/clickable_label.h"
#include "app/testing/window_parts.h"

namespace rilo {
namespace {

using testing::FillDefaults;

class BinderTest : public ::testing::Test, public testing::WindowParts {
 protected:
  std::unique_ptr<TFormMenu> window;

  void StartWith(std::initializer_list<const char *> flags) {
    FillDefaults(store);
    for (const char *flag : flags)
      store.values[flag] = 1;
    window = Start();
  }
  Editor &editor() { return window->workbench().editor(); }
  QComboBox *List(const char *name) { return window->findChild<QComboBox *>(name); }
  QLineEdit *Field(const char *name) { return window->findChild<QLineEdit *>(name); }
  // As the person does it: the list shows the entry, then reports it activated.
  void Pick(const char *name, int index) {
    QComboBox *list = List(name);
    ASSERT_TRUE(list->isEnabled()) << name;
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
};

TEST_F(BinderTest, ListsStartAsTheFormDoes) {
  StartWith({});
  EXPECT_EQ(List("CBUDAction")->count(), 15);
  EXPECT_EQ(List("CBUDAction")->currentIndex(), -1);
  EXPECT_EQ(List("CBUpAccTime")->currentIndex(), 0);
  EXPECT_FALSE(List("CBUpAccTime")->isEnabled());
  EXPECT_TRUE(List("CBUp1DelayTime")->isEnabled());
  EXPECT_EQ(List("CBR12Action")->itemText(17), QString::fromStdString(editor().form.CBR12Action.entries[17]));
}

TEST_F(BinderTest, KeyActionSetsItsCompanionLists) {
  StartWith({});
  Pick("CBUDAction", 1);
  EXPECT_FALSE(List("CBUpAccTime")->isEnabled());
  EXPECT_FALSE(List("CBDownAccTime")->isEnabled());
  EXPECT_TRUE(List("CBUpEMS")->isEnabled());
  EXPECT_EQ(List("CBUpEMS")->currentIndex(), 1);
  EXPECT_EQ(List("CBDownEMS")->currentIndex(), 1);
  EXPECT_EQ(List("CBUDInterLock")->currentIndex(), 8);
  EXPECT_NE(B1(editor().Image, 32), 0);  // the handler wrote the action code

  // The partner key follows an emergency-stop choice.
  Pick("CBDownEMS", 0);
  EXPECT_EQ(List("CBUpEMS")->currentIndex(), 0);
}

TEST_F(BinderTest, ActionThatNeedsTheStartKeyShowsItsInchingTime) {
  StartWith({});
  ASSERT_TRUE(List("CBR0InchTime")->isHidden());
  Pick("CBUDAction", 7);
  EXPECT_EQ(List("CBUDInterLock")->count(), 8);  // the no-interlock entry is gone
  EXPECT_EQ(List("CBR0Action")->currentIndex(), 2);
  EXPECT_FALSE(List("CBR0InchTime")->isHidden());
  EXPECT_FALSE(window->findChild<QLabel *>("LabelInchTime")->isHidden());

  Pick("CBUDAction", 0);
  EXPECT_EQ(List("CBUDInterLock")->count(), 9);  // and back
}

TEST_F(BinderTest, GroupLatchSwitchesTheOtherPanels) {
  StartWith({});
  Pick("CBSNAction", 15);
  EXPECT_EQ(List("CBR12Action")->currentIndex(), 17);
  EXPECT_EQ(List("CBR34Action")->currentIndex(), 17);
  EXPECT_TRUE(List("CBR1EMS")->isEnabled());
  EXPECT_FALSE(List("CBR12InterLock")->isEnabled());
  EXPECT_EQ(List("CBR12InterLock")->currentIndex(), 8);
  EXPECT_FALSE(List("CBR3AccTime")->isEnabled());
}

TEST_F(BinderTest, IndexSetByCodeRunsNoHandler) {
  StartWith({});
  List("CBUDAction")->setCurrentIndex(1);  // no activation: not the person's pick
  EXPECT_EQ(editor().form.CBUDAction.index, -1);
  EXPECT_FALSE(List("CBUpEMS")->isEnabled());
}

TEST_F(BinderTest, FactoryModelChoiceCutsTheListsAndNamesTheWindow) {
  StartWith({"Factory"});
  person.answers.push_back(false);  // Cancel: Q10
  emit window->findChild<ClickableLabel *>("LabelEqupmentType")->doubleClicked();
  EXPECT_EQ(person.shown.front().caption, "機型選擇");
  EXPECT_EQ(List("CBEWAction")->count(), 6);
  EXPECT_EQ(List("CBR12Action")->count(), 6);
  EXPECT_FALSE(List("CBR34Action")->isEnabled());
  EXPECT_EQ(Field("EEqupmentType")->text(), "RILO1-Q10");
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("RILO1-Q10 設定程式"));
  EXPECT_EQ(Field("EEqupmentID")->text(), QString::fromStdString(editor().form.EEqupmentID.text));
}

TEST_F(BinderTest, KeysInTheIdentityFieldsGoThroughTheEditor) {
  StartWith({"Factory", "IDCODE"});
  QTest::keyClicks(Field("EEqupmentID"), "34");
  EXPECT_EQ(Field("EEqupmentID")->text(), "34");
  EXPECT_EQ(Field("EEqupmentSN")->text(), "34");  // follows the ID code while SN editing is off
  EXPECT_EQ(editor().form.EEqupmentSN.text, "34");

  QTest::keyClick(Field("EEqupmentID"), Qt::Key_Backspace);  // empties the field
  EXPECT_EQ(editor().form.EEqupmentID.text.find("34"), std::string::npos);
  EXPECT_EQ(Field("EEqupmentID")->text(), QString::fromStdString(editor().form.EEqupmentID.text));

  const std::string serial = editor().form.EEqupmentSN.text;
  QTest::keyClicks(Field("EEqupmentSN"), "7");  // read-only without the SN flag
  EXPECT_EQ(editor().form.EEqupmentSN.text, serial);
}

}  // namespace
}  // namespace rilo
