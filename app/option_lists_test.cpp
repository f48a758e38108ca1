// Every option list of the window shows each of its entries whole: in the closed box,
// as laid out on its page, and in its drop-down.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTest>

#include "app/form_menu.h"
#include "app/testing/window_parts.h"

namespace rilo {
namespace {

using testing::FillDefaults;

// Width the closed box gives its text: the style's edit field, less the pixel the label
// keeps from each side.
int TextRoom(const QComboBox &combo) {
  QStyleOptionComboBox option;
  option.initFrom(&combo);
  option.rect = combo.rect();
  option.frame = combo.hasFrame();
  option.currentText = combo.currentText();
  const QRect field =
      combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
  return field.width() - 2;
}

class OptionListsTest : public ::testing::Test, public testing::WindowParts {
 protected:
  std::unique_ptr<TFormMenu> window;
  QTabWidget *pages = nullptr;

  void SetUp() override {
    // Every page, panel and list on show.
    FillDefaults(store);
    for (const char *flag :
         {"BattLow", "BattLowAction", "TxEMSCount", "BattCount", "Key1Time", "SpecialFunc", "Factory"})
      store.values[flag] = 1;
    window = Start();
    pages = window->findChild<QTabWidget *>("PageControl");
    // The start key as acceleration key brings in the inching time.
    auto *startKey = window->findChild<QComboBox *>("CBR0Action");
    startKey->setCurrentIndex(2);
    emit startKey->activated(2);
  }

  // The lists of every page, each page made the current one so that it is laid out.
  template <typename Check>
  void ForEveryList(Check check) {
    int lists = 0;
    for (int page = 0; page < pages->count(); ++page) {
      pages->setCurrentIndex(page);
      QApplication::processEvents();
      for (QComboBox *combo : pages->widget(page)->findChildren<QComboBox *>()) {
        SCOPED_TRACE(combo->objectName().toStdString());
        EXPECT_TRUE(combo->isVisible());
        EXPECT_GT(combo->count(), 0);
        check(*combo);
        ++lists;
      }
    }
    EXPECT_EQ(lists, 61);
  }
};

TEST_F(OptionListsTest, EveryEntryFitsItsClosedBox) {
  ForEveryList([](QComboBox &combo) {
    const QFontMetrics metrics = combo.fontMetrics();
    for (int i = 0; i < combo.count(); ++i) {
      combo.setCurrentIndex(i);
      EXPECT_LE(metrics.horizontalAdvance(combo.itemText(i)), TextRoom(combo))
          << "entry " << i << " \"" << combo.itemText(i).toStdString() << "\"";
    }
  });
}

TEST_F(OptionListsTest, EveryEntryFitsTheDropDown) {
  ForEveryList([](QComboBox &combo) {
    combo.showPopup();
    QAbstractItemView *view = combo.view();
    for (int i = 0; i < combo.count(); ++i)
      EXPECT_LE(view->sizeHintForIndex(view->model()->index(i, 0)).width(), view->viewport()->width())
          << "entry " << i << " \"" << combo.itemText(i).toStdString() << "\"";
    combo.hidePopup();
  });
}

TEST_F(OptionListsTest, WindowGrowsToTheListsAndKeepsItsSizeAsEntriesChange) {
  const QSize size = window->size();
  for (QComboBox *combo : window->findChildren<QComboBox *>())
    EXPECT_LE(combo->mapTo(window.get(), QPoint(combo->width(), 0)).x(), size.width())
        << combo->objectName().toStdString();
  // The Q10 control set holds fewer entries: nothing narrows, the window stays as it is.
  person.answers.push_back(false);  // the factory's model prompt: RILO1-Q10
  QTest::mouseDClick(window->findChild<QWidget *>("LabelEqupmentType"), Qt::LeftButton);
  ASSERT_EQ(window->findChild<QLineEdit *>("EEqupmentType")->text(), "RILO1-Q10");
  ASSERT_LT(window->findChild<QComboBox *>("CBEWAction")->count(), 14);
  QApplication::processEvents();
  EXPECT_EQ(window->size(), size);
}

}  // namespace
}  // namespace rilo
