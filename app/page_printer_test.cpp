// Printing both pages onto one sheet, through a print dialog that answers for the person.
#include "app/page_printer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include "app/form_menu.h"
#include "app/testing/window_parts.h"
#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

using testing::FillDefaults;

class PdfChooser : public PrinterChooser {
 public:
  QString file;  // empty: the person cancels
  int asked = 0;
  bool Choose(QPrinter &printer) override {
    ++asked;
    if (file.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
  }
};

TEST(PrintLayout, PicturesMeetAboveAnEmptyBandAtTheFoot) {
  struct Case {
    int width, height;
    QRect upper, lower;
    int band;
  };
  const Case cases[] = {
      {4800, 6600, QRect(0, 0, 4800, 3200), QRect(0, 3200, 4800, 3300), 100},
      {4801, 6601, QRect(0, 0, 4800, 3200), QRect(0, 3200, 4800, 3300), 101},
  };
  for (const auto &c : cases) {
    const PrintRects rects = PrintLayout(c.width, c.height);
    EXPECT_EQ(rects.upper, c.upper);
    EXPECT_EQ(rects.lower, c.lower);
    EXPECT_EQ(rects.upper.bottom() + 1, rects.lower.top());
    EXPECT_EQ(c.height - (rects.lower.bottom() + 1), c.band);
  }
}

class PrintTest : public ::testing::Test, public testing::WindowParts {
 protected:
  PdfChooser chooser;
  QTemporaryDir folder;

  static QString ActivePage(TFormMenu &window) {
    return window.findChild<QTabWidget *>("PageControl")->currentWidget()->objectName();
  }
};

TEST_F(PrintTest, PrintsOnePdfPageEvenWithTheCustomerTabHiddenAndReturnsToThePageShown) {
  FillDefaults(store);
  store.values["CustomerInfo"] = 0;
  store.values["SpecialFunc"] = 1;
  auto window = Start(&chooser);
  auto *pages = window->findChild<QTabWidget *>("PageControl");
  pages->setCurrentWidget(window->findChild<QWidget *>("TabSpecialSetting"));
  chooser.file = folder.filePath("page.pdf");

  std::vector<QString> pictured;
  QObject::connect(pages, &QTabWidget::currentChanged,
                   [&](int index) { pictured.push_back(pages->widget(index)->objectName()); });
  window->findChild<QAction *>("NPrint")->trigger();

  QFile pdf(chooser.file);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QString text = QString::fromLatin1(pdf.readAll());
  EXPECT_EQ(text.count(QRegularExpression(R"(/Type\s*/Page\b)")), 1);
  EXPECT_EQ(pictured, (std::vector<QString>{"TabPushBotton", "TabCustomerInformation", "TabSpecialSetting"}));
  EXPECT_EQ(ActivePage(*window), "TabSpecialSetting");
  EXPECT_EQ(person.shown,
            (std::vector<testing::ShownMessage>{{"列印", "頁面列印完成!!", Icon::Information, false}}));
}

TEST_F(PrintTest, PrinterThatCannotStartIsAnErrorAndThePageShownStays) {
  FillDefaults(store);
  store.values["SpecialFunc"] = 1;
  auto window = Start(&chooser);
  window->findChild<QTabWidget *>("PageControl")
      ->setCurrentWidget(window->findChild<QWidget *>("TabSpecialSetting"));
  chooser.file = folder.filePath("no such folder/page.pdf");

  window->findChild<QAction *>("NPrint")->trigger();

  EXPECT_EQ(person.shown,
            (std::vector<testing::ShownMessage>{
                {"RILO1Q12", "The printer could not start the print job.", Icon::Error, false}}));
  EXPECT_EQ(ActivePage(*window), "TabSpecialSetting");
}

TEST_F(PrintTest, CancelledDialogPrintsNothingAndKeepsThePage) {
  auto window = Start(&chooser);
  window->findChild<QToolButton *>("TBPrintPage")->click();

  EXPECT_EQ(chooser.asked, 1);
  EXPECT_EQ(ActivePage(*window), "TabPushBotton");
  EXPECT_TRUE(person.shown.empty());
}

}  // namespace
}  // namespace rilo
