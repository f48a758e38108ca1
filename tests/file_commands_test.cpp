// The open and save commands through the Workbench with the dialogs scripted: each
// file kind, each question both ways, refused files and targets that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/testing/scripted_dialogs.h"
#include "files/file_writers.h"
#include "files/testing/sample_images.h"
#include "sim/unit_config.h"
#include "tests/testing/file_bench.h"

namespace rilo {
namespace {

using testing::FileBench;
using testing::ReadBytes;
using testing::ScriptedDialogs;
using testing::ShownDialog;
using testing::ShownMessage;
using testing::Snapshot;
using testing::WriteBytes;
using Chosen = FileDialogs::Chosen;

const ShownMessage kOpened{"開啟檔案", "檔案開啟完成!!", Icon::Information, false};
const ShownMessage kSaved{"儲存檔案", "儲存檔案完成!!", Icon::Information, false};
const ShownMessage kNotTheFormat{"Open file Error", "Open file format Error,please check your file!!",
                                 Icon::Error, false};
const ShownMessage kNoModel{"錯誤", "開啟檔案錯誤,請確認所開啟的檔案是否正確!!", Icon::Error, false};
const ShownMessage kNothingLoaded{"錯誤", "請先讀取設定或開啟檔案!!", Icon::Error, false};
const ShownMessage kFormatQuestion{"存檔", "請選擇您要儲存的檔案格式,[確定]=儲存程式 , [取消]=儲存設定",
                                   Icon::None, true};
const ShownMessage kOverwrite{"存檔", "檔案已經存在,是否要覆蓋原有的檔案?", Icon::Information, true};

// A Q12 unit's settings (ID code 12300415) with the serial number 12012345 and the
// date bytes given.
SettingsImage UnitSettings(uint8_t year = 0x26, uint8_t month = 0x01, uint8_t day = 0x31) {
  const auto bytes = sim::StandardSettings();
  SettingsImage image;
  std::copy(bytes.begin(), bytes.end(), image.begin());
  const uint8_t identity[] = {0x12, 0x01, 0x23, 0x45, year, month, day};
  std::copy(std::begin(identity), std::end(identity), image.begin() + kBlock1 + 96);
  return image;
}

CustomerRecord SampleCustomer() {
  CustomerRecord c;
  c.texts[0] = "C-0042";
  c.texts[1] = "起重機械股份有限公司";
  c.texts[5] = "No. 1\r\nRoad 5\r\n";
  c.texts[6] = "Lin";
  c.texts[10] = "Chanel: 3 was busy\r\nmoved to 5";
  c.texts[11] = "5";
  c.texts[12] = "433.920";
  return c;
}

VectorTable Vectors(uint8_t resetHigh) {
  VectorTable vectors;
  for (int i = 0; i < 32; ++i)
    vectors[i] = static_cast<uint8_t>(0x40 + i);
  vectors[31] = resetHigh;
  return vectors;
}

template <uint8_t kFactory>
struct FilesWith : ::testing::Test {
  FileBench b{kFactory};
  Workbench &bench = b.bench;
  ScriptedDialogs dialogs;

  std::string Path(const std::string &name) { return b.folder.Path(name); }
  std::string SettingsFile(const std::string &name, const SettingsImage &image,
                           const CustomerRecord &customer = {}) {
    WriteBytes(Path(name), JoinCrLf(SettingsFileLines(image, customer)));
    return Path(name);
  }
  std::string TextFile(const std::string &name, uint8_t resetHigh) {
    const auto image = testing::RunImage(0xF000, 0xFF60, 3);
    WriteBytes(Path(name), JoinCrLf(FirmwareTextFileLines(Vectors(resetHigh), UnitSettings(), *image)));
    return Path(name);
  }
  std::string DataFile(const std::string &name) {
    const auto tx = testing::RunImage(0xF000, 0xFF80, 1);
    const auto rx = testing::RunImage(0xC000, 0xFF80, 2);
    WriteBytes(Path(name),
               JoinCrLf(FirmwareDataFileLines(Vectors(0xF0), Vectors(0xC0), UnitSettings(), *tx, *rx)));
    return Path(name);
  }

  void Open(const std::string &path, int filterIndex) {
    dialogs.opens.push_back(Chosen{path, filterIndex});
    bench.NOpenfileClick(dialogs);
  }
  void Save(const std::string &path, std::vector<bool> answers = {}) {
    dialogs.saves.push_back(path);
    b.person.answers.assign(answers.begin(), answers.end());
    bench.NSavefileClick(dialogs);
    EXPECT_TRUE(b.person.answers.empty()) << "a question was not asked";
  }
};

using Files = FilesWith<1>;

TEST_F(Files, ASettingsFileFillsTheSettingsTheIdentityAndTheCustomerPage) {
  const std::string path = SettingsFile("unit.rilo", UnitSettings(), SampleCustomer());
  Open(path, 1);

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOpened});
  EXPECT_EQ(dialogs.shown, (std::vector<ShownDialog>{{false, kDesignOpenFilter, "", ""}}));
  EXPECT_EQ(bench.loadedSource(), LoadedSource::SettingsFile);
  EXPECT_EQ(bench.lastFileName(), path);
  EXPECT_EQ(bench.customer().texts, SampleCustomer().texts);
  EXPECT_EQ(b.editor().MachineType, "12");
  EXPECT_EQ(b.editor().form.Caption, "RILO1-Q12 設定程式");
  EXPECT_EQ(b.editor().form.EEqupmentID.text, "12300415");
  EXPECT_EQ(b.editor().form.EEqupmentSN.text, "12012345");
  EXPECT_EQ(b.editor().form.EEqupmentDate.text, "2026/01/31");
  EXPECT_EQ(b.editor().IdentityShown, 0);
  EXPECT_EQ(bench.view().saveDefaultExt, "rilo");
  EXPECT_EQ(bench.view().saveFilter, "RILO Format [*.rilo]");

  // The next dialog starts where this file was found, in this run and the next.
  EXPECT_EQ(b.store.ReadString("LastFolder"), b.folder.path().string());
  dialogs.opens.push_back(std::nullopt);
  bench.NOpenfileClick(dialogs);
  EXPECT_EQ(dialogs.shown.back().folderOrProposed, b.folder.path().string());
  EXPECT_TRUE(b.Shown().empty());
}

// A store without the rights to be written is told once; files still open and save.
TEST_F(Files, AStoreThatRefusesWritesKeepsNoFolderButFilesStillOpenAndSave) {
  b.store.refuseWrites = true;
  const std::string path = SettingsFile("unit.rilo", UnitSettings());
  Open(path, 1);
  const auto shown = b.Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, "偏好設定");
  EXPECT_EQ(shown[1], kOpened);
  Save(Path("copy.rilo"));
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kSaved});
  EXPECT_EQ(ReadBytes(Path("copy.rilo")), ReadBytes(path));
}

TEST_F(Files, DateBytesAndModelBytesAsTheFileHasThem) {
  const struct {
    SettingsImage image;
    const char *date;
    const char *machineType;
  } cases[] = {
      {UnitSettings(0xFF, 0xFF, 0xFF), "2FF/FF/FF", "12"},
      {UnitSettings(0x26, 0x01, 0x31), "2026/01/31", "12"},
      {[] {
         SettingsImage image = UnitSettings();
         B1(image, 1) = 0x22;  // no model: the file still opens, with no machine type
         return image;
       }(),
       "2026/01/31", ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.date);
    Open(SettingsFile("unit.rilo", c.image), 1);
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOpened});
    EXPECT_EQ(b.editor().form.EEqupmentDate.text, c.date);
    EXPECT_EQ(b.editor().MachineType, c.machineType);
  }
}

TEST_F(Files, ARefusedFileOfEachKindChangesNothing) {
  Open(SettingsFile("unit.rilo", UnitSettings(), SampleCustomer()), 1);
  b.Shown();
  const Snapshot before(bench);
  std::string cutShort = ReadBytes(TextFile("tx.txt", 0xF0));
  cutShort.resize(cutShort.size() / 2);
  const struct {
    const char *what;
    std::string bytes;
    int filterIndex;
  } cases[] = {
      {"a settings file as a firmware text file", ReadBytes(Path("unit.rilo")), 2},
      {"a settings file as a firmware data file", ReadBytes(Path("unit.rilo")), 3},
      {"a firmware text file as a settings file", ReadBytes(Path("tx.txt")), 1},
      {"a text file cut short", cutShort, 2},
      {"a settings file cut short", ReadBytes(Path("unit.rilo")).substr(0, 300), 1},
      {"not text", std::string("Setup\r\n\0\0", 9), 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(Path("refused"), c.bytes);
    Open(Path("refused"), c.filterIndex);
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kNotTheFormat});
    EXPECT_TRUE(Snapshot(bench) == before);
  }
}

TEST_F(Files, EveryFileTheToolWritesOpensAgainAndSavesToTheSameBytes) {
  const struct {
    const char *what;
    std::string first;
    int filterIndex;
    std::vector<bool> formatAnswer;  // the format question after a data file
    const char *saved;
  } cases[] = {
      {"settings file", SettingsFile("unit.rilo", UnitSettings(), SampleCustomer()), 1, {}, "a.rilo"},
      {"firmware text file", TextFile("tx.txt", 0xF0), 2, {}, "a.txt"},
      {"firmware data file", DataFile("both.dat"), 3, {true}, "a.dat"},
      {"settings saved from a data file", DataFile("both.dat"), 3, {false}, "b.rilo"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    Open(c.first, c.filterIndex);
    Save(Path(c.saved), c.formatAnswer);
    const std::string saved = ReadBytes(Path(c.saved));
    ASSERT_FALSE(saved.empty());
    const Snapshot first(bench);

    const int kind = std::string(c.saved).ends_with(".rilo") ? 1 : c.filterIndex;
    Open(Path(c.saved), kind);
    const Snapshot reopened(bench);
    EXPECT_TRUE(reopened.single == first.single && reopened.tx == first.tx && reopened.rx == first.rx);
    // A settings file carries block 1 alone, and its byte 127 holds the key.
    const int from = kind == 1 ? kBlock1 : 0, to = kind == 1 ? 255 : 256;
    EXPECT_TRUE(
        std::equal(reopened.loaded.begin() + from, reopened.loaded.begin() + to, first.image.begin() + from));
    EXPECT_EQ(reopened.customer, first.customer);
    std::filesystem::remove(Path("again"));  // no overwrite question
    Save(Path("again"), kind == 3 ? std::vector<bool>{true} : std::vector<bool>{});
    EXPECT_EQ(ReadBytes(Path("again")), saved);
    b.Shown();
  }
}

// TI-TXT as linkers and srec_cat write it: LF line ends, both information segments as
// one section, runs longer than a page, a short last line.
TEST_F(Files, AFirmwareTextFileFromAnotherToolOpens) {
  std::string text;
  auto run = [&](uint16_t address, int count, uint8_t seed) {
    char line[8];
    std::snprintf(line, sizeof line, "@%04X\n", address);
    text += line;
    for (int i = 0; i < count; ++i) {
      std::snprintf(line, sizeof line, "%02X", testing::SampleByte(address + i, seed));
      text += line;
      text += (i % 16 == 15 || i == count - 1) ? "\n" : " ";
    }
  };
  const SettingsImage settings = UnitSettings();
  text += "@1000\n";
  for (int i = 0; i < 256; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X", settings[i]);
    text += pair;
    text += i % 16 == 15 ? "\n" : " ";
  }
  run(0xC000, 300, 9);
  run(0xFFE0, 32, 9);
  text += "q\n";
  WriteBytes(Path("linker.txt"), text);

  Open(Path("linker.txt"), 2);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOpened});
  EXPECT_EQ(b.editor().LoadedImage, settings);
  const FirmwareImage &image = *bench.firmware().SingleImage;
  EXPECT_EQ(PageAddress(image[0]), 0xC000);
  EXPECT_EQ(PageAddress(image[1]), 0xC080);
  EXPECT_EQ(PageAddress(image[2]), 0xC100);
  EXPECT_EQ(image[2][kPageData + 43], testing::SampleByte(0xC000 + 299, 9));
  EXPECT_EQ(image[2][kPageData + 44], 0xFF);
  EXPECT_FALSE(IsUsed(image[3]));
  EXPECT_EQ(bench.firmware().SingleVectors[31], testing::SampleByte(0xFFFF, 9));

  Save(Path("ours.txt"));
  Open(Path("ours.txt"), 2);
  EXPECT_EQ(*bench.firmware().SingleImage, image);
}

TEST_F(Files, TheFormatQuestionAndTheOverwriteQuestionBothWays) {
  const std::string opened = DataFile("both.dat");
  Open(opened, 3);
  b.Shown();

  // OK saves the program; the dialog proposes the file last opened.
  Save(Path("program.dat"), {true});
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kFormatQuestion, kSaved}));
  EXPECT_EQ(dialogs.shown.back(), (ShownDialog{true, "DAT Format [*.dat]", opened, "dat"}));
  EXPECT_TRUE(ReadBytes(Path("program.dat")).starts_with("TX\r\n"));

  // Cancel saves the settings, and from now on the save dialog stays with settings files.
  Save(Path("settings.rilo"), {false});
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kFormatQuestion, kSaved}));
  EXPECT_EQ(dialogs.shown.back(), (ShownDialog{true, "RILO Format [*.rilo]", opened, "rilo"}));
  EXPECT_TRUE(ReadBytes(Path("settings.rilo")).starts_with("Setup\r\n"));
  // Any other existing file is asked about too: Cancel leaves it, OK writes over it.
  const std::string saved = ReadBytes(Path("settings.rilo"));
  b.editor().form.EEqupmentSN.text = "12999999";
  Save(Path("settings.rilo"), {false});
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOverwrite});
  EXPECT_EQ(ReadBytes(Path("settings.rilo")), saved);
  Save(Path("settings.rilo"), {true});
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kOverwrite, kSaved}));
  EXPECT_NE(ReadBytes(Path("settings.rilo")), saved);

  // The file last opened: Cancel leaves it alone, OK writes over it.
  const std::string original = ReadBytes(opened);
  Open(opened, 3);
  b.Shown();
  Save(opened, {true, false});
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kFormatQuestion, kOverwrite}));
  EXPECT_EQ(ReadBytes(opened), original);
  Save(opened, {false, true});
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kFormatQuestion, kOverwrite, kSaved}));
  EXPECT_TRUE(ReadBytes(opened).starts_with("Setup\r\n"));
  EXPECT_EQ(bench.lastFileName(), opened);  // saving never changes it
}

TEST_F(Files, CancelledSaveWritesNothingButKeepsTheFoldedIdentity) {
  Open(SettingsFile("unit.rilo", UnitSettings()), 1);
  b.Shown();
  b.editor().form.EEqupmentSN.text = "12999999";
  dialogs.saves.push_back(std::nullopt);
  bench.NSavefileClick(dialogs);
  EXPECT_TRUE(b.Shown().empty());
  EXPECT_EQ(B1(b.editor().Image, 97), 0x99);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(b.folder.path()), {}), 1);
}

TEST_F(Files, ATargetThatCannotBeWrittenIsNamedAndTheOldFileStays) {
  Open(SettingsFile("unit.rilo", UnitSettings()), 1);
  b.Shown();
  // A folder by the target's name cannot be replaced by a file.
  std::filesystem::create_directories(Path("taken.rilo/inside"));
  Save(Path("taken.rilo"));
  auto shown = b.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "儲存檔案");
  EXPECT_EQ(shown[0].icon, Icon::Error);
  EXPECT_TRUE(shown[0].text.starts_with("無法儲存檔案 " + Path("taken.rilo") + "\n")) << shown[0].text;
  EXPECT_TRUE(std::filesystem::is_directory(Path("taken.rilo/inside")));
  // A folder the file could not be written to is not offered next time.
  Save(Path("no-such-folder/unit.rilo"));
  EXPECT_EQ(b.Shown().size(), 1u);
  EXPECT_EQ(b.store.ReadString("LastFolder"), b.folder.path().string());

  // A folder without write permission (not for an account that ignores permissions).
  std::filesystem::create_directories(Path("locked"));
  WriteBytes(Path("locked/old.rilo"), "old");
  std::filesystem::permissions(Path("locked"),
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (!std::ofstream(Path("locked/probe"))) {
    Save(Path("locked/old.rilo"));
    shown = b.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find(std::make_error_code(std::errc::permission_denied).message()),
              std::string::npos);
    EXPECT_EQ(ReadBytes(Path("locked/old.rilo")), "old");
  }
  std::filesystem::permissions(Path("locked"), std::filesystem::perms::owner_all);
}

TEST_F(Files, NothingToSaveBeforeAnythingIsLoaded) {
  bench.NSavefileClick(dialogs);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kNothingLoaded});
  EXPECT_TRUE(dialogs.shown.empty());
}

// Without the factory flag: settings files only, and only those that name a model.
using FilesNoFactory = FilesWith<0>;

TEST_F(FilesNoFactory, OnlySettingsFilesThatNameAModel) {
  SettingsImage noModel = UnitSettings();
  B1(noModel, 1) = 0x22;
  Open(SettingsFile("none.rilo", noModel), 1);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kNoModel});
  Open(TextFile("tx.txt", 0xF0), 1);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kNotTheFormat});
  FileBench untouched(0);
  EXPECT_TRUE(Snapshot(bench) == Snapshot(untouched.bench));

  const std::string path = SettingsFile("unit.rilo", UnitSettings(), SampleCustomer());
  Open(path, 1);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOpened});
  EXPECT_EQ(dialogs.shown.front().filter, "Rilo File (*.rilo)|*.rilo|");
  EXPECT_EQ(dialogs.shown.back().filter, "RILO Format [*.rilo]");
  EXPECT_EQ(bench.loadedSource(), LoadedSource::SettingsFile);
  EXPECT_EQ(bench.lastFileName(), path);
  EXPECT_EQ(bench.customer().texts, SampleCustomer().texts);
  EXPECT_EQ(b.editor().form.EEqupmentDate.text, "2026/01/31");
  EXPECT_EQ(b.editor().IdentityShown, 1);

  // Whatever name is chosen, a settings file is written.
  Save(Path("named.txt"));
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kSaved});
  EXPECT_EQ(ReadBytes(Path("named.txt")), ReadBytes(path));
  Save(path, {true});
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kOverwrite, kSaved}));
}

}  // namespace
}  // namespace rilo
