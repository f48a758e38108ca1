// Opening and saving files through the window's own menu items and tool buttons, with
// the file dialogs scripted: the page, the identity and the customer page follow the
// file, and what the person types on the customer page is saved.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <fstream>
#include <functional>

#include "app/form_menu.h"
#include "app/qt_file_dialogs.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_dialogs.h"
#include "core/testing/scripted_operator.h"
#include "core/testing/test_ventrix.h"
#include "files/file_writers.h"
#include "files/testing/earlier_release_file.h"
#include "files/testing/sample_images.h"
#include "link/testing/recording_port.h"
#include "sim/unit_config.h"
#include "workbench/testing/recording_preferences.h"

namespace rilo {
namespace {

std::string ReadBytes(const std::string &path) {
  return testing::ReadWholeFile(path);
}

SettingsImage UnitSettings() {
  const auto bytes = sim::StandardSettings();
  SettingsImage image;
  std::copy(bytes.begin(), bytes.end(), image.begin());
  const uint8_t identity[] = {0x12, 0x01, 0x23, 0x45, 0x26, 0x01, 0x31};
  std::copy(std::begin(identity), std::end(identity), image.begin() + kBlock1 + 96);
  return image;
}

// A person who also looks at the window whenever a message comes up.
struct WatchingPerson : testing::ScriptedOperator {
  std::function<void()> onMessage;
  void Message(const std::string &caption, const std::string &text, Icon icon) override {
    if (onMessage) onMessage();
    ScriptedOperator::Message(caption, text, icon);
  }
};

class FileWindow : public ::testing::Test {
 protected:
  void Start(int factory) {
    testing::FillDefaults(store);
    store.values["Factory"] = factory;
    window = std::make_unique<TFormMenu>(store, testing::Ventrix(), ProductLine{},
                                         WindowSeams{&person, nullptr, &port, &clock, &dialogs});
    window->show();
  }
  std::string Path(const char *name) const { return folder.Path(name); }
  QString Text(const char *name) const { return window->findChild<QLineEdit *>(name)->text(); }
  QString Memo(const char *name) const { return window->findChild<QPlainTextEdit *>(name)->toPlainText(); }

  testing::ScratchFolder folder{"rilo-window-files"};

  testing::RecordingPreferences store;
  WatchingPerson person;
  testing::ScriptedDialogs dialogs;
  VirtualClock clock;
  testing::RecordingPort port{clock};
  std::unique_ptr<TFormMenu> window;
};

TEST_F(FileWindow, OpenThenSaveThroughTheMenuWithTheCustomerPageEdited) {
  Start(0);
  CustomerRecord customer;
  customer.texts[1] = "起重機械股份有限公司";
  customer.texts[5] = "No. 1\r\nRoad 5";
  std::ofstream(Path("unit.rilo"), std::ios::binary) << JoinCrLf(SettingsFileLines(UnitSettings(), customer));

  dialogs.opens.push_back(FileDialogs::Chosen{Path("unit.rilo"), 1});
  QString titleBehindTheMessage;
  person.onMessage = [&] { titleBehindTheMessage = window->windowTitle(); };
  window->findChild<QAction *>("NOpenfile")->trigger();
  person.onMessage = nullptr;
  // The message box stands over the opened file, not over the window as it was.
  EXPECT_EQ(titleBehindTheMessage, QString::fromUtf8("RILO1-Q12 設定程式"));

  EXPECT_EQ(person.Texts(), std::vector<std::string>{"檔案開啟完成!!"});
  EXPECT_EQ(dialogs.shown.back().filter, "Rilo File (*.rilo)|*.rilo|");
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("RILO1-Q12 設定程式"));
  EXPECT_EQ(Text("EEqupmentID"), "12300415");
  EXPECT_EQ(Text("EEqupmentDate"), "2026/01/31");
  EXPECT_EQ(Text("ECompanyName"), QString::fromUtf8("起重機械股份有限公司"));
  EXPECT_EQ(Memo("MCompanyAdd"), "No. 1\nRoad 5");

  // The person types on the customer page, then saves from the menu under a new name.
  auto *contact = window->findChild<QLineEdit *>("EContectName");
  contact->setFocus();
  QTest::keyClicks(contact, "Lin");
  auto *remark = window->findChild<QPlainTextEdit *>("MRemark");
  remark->setFocus();
  QTest::keyClicks(remark, "Chanel: 3");
  QTest::keyClick(remark, Qt::Key_Return);
  QTest::keyClicks(remark, "busy");
  dialogs.saves.push_back(Path("saved.rilo"));
  window->findChild<QAction *>("NSavefile")->trigger();

  EXPECT_EQ(person.Texts().back(), "儲存檔案完成!!");
  EXPECT_EQ(dialogs.shown.back(),
            (testing::ShownDialog{true, "RILO Format [*.rilo]", Path("unit.rilo"), "rilo"}));
  const std::string saved = ReadBytes(Path("saved.rilo"));
  EXPECT_NE(saved.find("\r\nCompany Address:No. 1\r\nRoad 5\r\nContect Man:Lin\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nRemark:Chanel: 3\r\nbusy\r\nChanel:\r\n"), std::string::npos);

  // Opened again from the tool bar, the page shows what was typed; the field cleared
  // meanwhile is let go.
  contact->clear();
  person.choices = {Choice::No};
  dialogs.opens.push_back(FileDialogs::Chosen{Path("saved.rilo"), 1});
  window->findChild<QToolButton *>("TBOpenfile")->click();
  EXPECT_EQ(Text("EContectName"), "Lin");
  EXPECT_EQ(Memo("MRemark"), "Chanel: 3\nbusy");
  EXPECT_EQ(dialogs.shown.back().filter, "RILO Format [*.rilo]");
}

TEST_F(FileWindow, AnEarlierReleasesFileShowsItsChineseAndAnyFileSavedOverIsAskedAboutOnce) {
  Start(0);
  std::ofstream(Path("old.rilo"), std::ios::binary) << testing::kEarlierReleaseFile;
  dialogs.opens.push_back(FileDialogs::Chosen{Path("old.rilo"), 1});
  window->findChild<QAction *>("NOpenfile")->trigger();
  EXPECT_EQ(Text("ECompanyName"), QString::fromUtf8("台灣遙控股份有限公司"));
  EXPECT_EQ(Memo("MCompanyAdd"), QString::fromUtf8("台北市信義區\n松仁路100號"));
  EXPECT_EQ(Text("EContectName"), QString::fromUtf8("陳大文"));
  auto *pages = window->findChild<QTabWidget *>("PageControl");
  EXPECT_EQ(pages->tabText(pages->indexOf(window->findChild<QWidget *>("TabCustomerInformation"))),
            QString::fromUtf8("客戶資訊 · old.rilo"));
  person.shown.clear();

  // A customer's file under the chosen name, not the file opened: Cancel keeps it.
  const testing::ShownMessage overwrite{"存檔", "檔案已經存在,是否要覆蓋原有的檔案?", Icon::Information,
                                        true};
  std::ofstream(Path("customer.rilo"), std::ios::binary) << "a customer's file";
  person.answers = {false};
  dialogs.saves.push_back(Path("customer.rilo"));
  window->findChild<QAction *>("NSavefile")->trigger();
  EXPECT_EQ(person.shown, std::vector<testing::ShownMessage>{overwrite});
  EXPECT_EQ(ReadBytes(Path("customer.rilo")), "a customer's file");

  // OK writes over it, with the record as the earlier releases wrote it.
  person.shown.clear();
  person.answers = {true};
  dialogs.saves.push_back(Path("customer.rilo"));
  window->findChild<QAction *>("NSavefile")->trigger();
  EXPECT_EQ(person.Texts(), (std::vector<std::string>{overwrite.text, "儲存檔案完成!!"}));
  const std::string_view old = testing::kEarlierReleaseFile;
  EXPECT_TRUE(ReadBytes(Path("customer.rilo")).ends_with(old.substr(old.find("\r\nq\r\n"))));
}

TEST_F(FileWindow, AFirmwareTextFileShowsItsUnitsWriteControls) {
  Start(1);
  const auto image = testing::RunImage(0xF000, 0xFF60, 3);
  VectorTable vectors{};
  vectors[31] = 0xF0;
  std::ofstream(Path("tx.txt"), std::ios::binary)
      << JoinCrLf(FirmwareTextFileLines(vectors, UnitSettings(), *image));

  dialogs.opens.push_back(FileDialogs::Chosen{Path("tx.txt"), 2});
  window->findChild<QToolButton *>("TBOpenfile")->click();

  EXPECT_EQ(person.Texts(), std::vector<std::string>{"檔案開啟完成!!"});
  EXPECT_TRUE(window->findChild<QToolButton *>("BWriteTx")->isVisible());
  EXPECT_FALSE(window->findChild<QToolButton *>("BWriteRx")->isVisible());
  EXPECT_TRUE(window->findChild<QAction *>("NWriteTxPrg")->isVisible());
  EXPECT_FALSE(window->findChild<QAction *>("NWriteRxPrg")->isVisible());

  dialogs.saves.push_back(Path("copy.txt"));
  window->findChild<QToolButton *>("TBSavefile")->click();
  EXPECT_EQ(ReadBytes(Path("copy.txt")), ReadBytes(Path("tx.txt")));
}

TEST(QtNameFilters, TheFormsNotationAsQtReadsIt) {
  EXPECT_EQ(
      QtNameFilters("Rilo File (*.rilo)|*.rilo|Txt File (*.txt)|*.txt|Dat File (*.dat)|*.dat"),
      (QStringList{"Rilo File (*.rilo) (*.rilo)", "Txt File (*.txt) (*.txt)", "Dat File (*.dat) (*.dat)"}));
  EXPECT_EQ(QtNameFilters("Rilo File (*.rilo)|*.rilo|"), QStringList{"Rilo File (*.rilo) (*.rilo)"});
  EXPECT_EQ(QtNameFilters("RILO Format [*.rilo]"), QStringList{"RILO Format [*.rilo] (*.rilo)"});
  EXPECT_EQ(QtNameFilters("Anything"), QStringList{"Anything (*)"});
}

// The dialog reports the chosen filter without the pattern it hides.
TEST(QtNameFilters, TheChosenFilterGivesItsIndex) {
  const QStringList filters = QtNameFilters(kDesignOpenFilter);
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(filters);
  for (int index = 1; index <= 3; ++index) {
    dialog.selectNameFilter(filters[index - 1]);
    EXPECT_EQ(FilterIndex(filters, dialog.selectedNameFilter()), index);
  }
}

}  // namespace
}  // namespace rilo
