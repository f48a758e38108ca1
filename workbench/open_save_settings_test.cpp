// The settings file's side of the save and open commands: the identity folded into
// block 1 before a save, and a settings file opened with the factory flag off.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/conversion.h"
#include "files/file_writers.h"
#include "link/loader_frames.h"
#include "settings/testing/editor_bench.h"
#include "sim/unit_config.h"
#include "workbench/open_settings.h"
#include "workbench/save_settings.h"

namespace rilo {
namespace {

using testing::EditorBench;
using testing::ShownMessage;
using testing::Ventrix;

const ShownMessage kNothingLoaded{"錯誤", "請先讀取設定或開啟檔案!!", Icon::Error, false};
const ShownMessage kOpened{"開啟檔案", "檔案開啟完成!!", Icon::Information, false};
const ShownMessage kNoModel{"錯誤", "開啟檔案錯誤,請確認所開啟的檔案是否正確!!", Icon::Error, false};
const ShownMessage kNotSettings{"Open file Error", "Open file format Error,please check your file!!",
                                Icon::Error, false};

SettingsImage UnitSettings() {
  const auto bytes = sim::StandardSettings();
  SettingsImage image;
  std::copy(bytes.begin(), bytes.end(), image.begin());
  return image;
}

std::string FileText(const SettingsImage &image) {
  return JoinCrLf(SettingsFileLines(image, CustomerRecord{}));
}

// An editor showing a Q12 unit as a settings read leaves it: serial number 12012345
// and date 2024/05/17 on the identity page.
struct ReadUnit : EditorBench {
  ReadUnit() {
    const uint8_t serial[] = {0, 0, 0, 1, 2, 3, 4, 5};
    for (int i = 0; i < 8; ++i)
      infoPage[kSerialAt + i] = Ventrix().DeHamming(serial[i]);
    infoPage[kDateAt] = 24;
    infoPage[kDateAt + 1] = 5;
    infoPage[kDateAt + 2] = 17;
    Model("12");
    Load(UnitSettings());
    editor.IdentityShown = 0;
  }
};

TEST(SaveSettings, FoldsTheIdentityIntoBlock1) {
  ReadUnit b;
  const SettingsImage before = b.editor.Image;
  ASSERT_TRUE(PrepareSettingsSave(b.editor, b.flags, Ventrix(), b.op));

  EXPECT_TRUE(b.op.shown.empty());
  SettingsImage expected = before;
  const uint8_t identity[] = {0x12, 0x01, 0x23, 0x45, 0x24, 0x05, 0x17};  // 96..102
  std::copy(std::begin(identity), std::end(identity), expected.begin() + kBlock1 + 96);
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(), expected.begin() + kBlock1 + 104);
  EXPECT_EQ(b.editor.Image, expected);  // ID code and check word were already the unit's
}

TEST(SaveSettings, ASavedFileOpensWithTheSameIdentityAndOptions) {
  ReadUnit saved;
  saved.Pick("CBUDAction", 1);
  saved.editor.form.EEqupmentID.text = "12654321";
  ASSERT_TRUE(PrepareSettingsSave(saved.editor, saved.flags, Ventrix(), saved.op));

  EditorBench opened;
  ASSERT_TRUE(OpenSettingsFile(opened.editor, Ventrix(), opened.op, FileText(saved.editor.Image)));
  EXPECT_EQ(opened.op.shown, std::vector<ShownMessage>{kOpened});
  EXPECT_EQ(opened.editor.MachineType, "12");
  EXPECT_EQ(opened.editor.form.Caption, "RILO1-Q12 設定程式");
  EXPECT_EQ(opened.editor.form.EEqupmentType, "RILO1-Q12");
  EXPECT_EQ(opened.editor.form.EEqupmentID.text, "12654321");
  EXPECT_EQ(opened.editor.form.EEqupmentSN.text, "12012345");
  EXPECT_EQ(opened.editor.form.EEqupmentDate.text, "2024/05/17");
  EXPECT_EQ(opened.editor.IdentityShown, 1);
  for (FormList list : kFormOrder)
    EXPECT_EQ((opened.editor.form.*list).index, (saved.editor.form.*list).index)
        << (opened.editor.form.*list).name;
  // A settings file keeps block 1 but its last byte, which carries the scrambling key.
  EXPECT_TRUE(std::equal(opened.editor.Image.begin() + kBlock1, opened.editor.Image.end() - 1,
                         saved.editor.Image.begin() + kBlock1));
  EXPECT_TRUE(std::all_of(opened.editor.Image.begin(), opened.editor.Image.begin() + kBlock1,
                          [](uint8_t b) { return b == 0; }));
}

TEST(SaveSettings, RefusalsAndTheFactoryDatePrompt) {
  {
    SCOPED_TRACE("no model known");
    EditorBench b;
    const SettingsImage before = b.editor.Image;
    EXPECT_FALSE(PrepareSettingsSave(b.editor, b.flags, Ventrix(), b.op));
    EXPECT_EQ(b.op.shown, std::vector<ShownMessage>{kNothingLoaded});
    EXPECT_EQ(b.editor.Image, before);
  }
  {
    SCOPED_TRACE("empty date without the factory flag");
    ReadUnit b;
    b.editor.form.EEqupmentID.text = "12654321";
    b.editor.form.EEqupmentDate.text = "20  /  /  ";
    EXPECT_FALSE(PrepareSettingsSave(b.editor, b.flags, Ventrix(), b.op));
    EXPECT_EQ(b.op.shown, std::vector<ShownMessage>{kNothingLoaded});
    EXPECT_EQ(Ventrix().ReHamming(b.Byte(2)), 6);  // the ID code went in before the date was looked at
    EXPECT_EQ(b.Byte(96), 0xFF);
  }
  {
    SCOPED_TRACE("empty date with the factory flag");
    ReadUnit b;
    b.flags.Factory = 1;
    b.editor.form.EEqupmentDate.text = "20  /  /  ";
    EXPECT_TRUE(PrepareSettingsSave(b.editor, b.flags, Ventrix(), b.op));
    EXPECT_TRUE(b.op.shown.empty());
    EXPECT_EQ(b.editor.form.EEqupmentDate.text, "2026/01/05");
    EXPECT_EQ(b.Byte(100), 0x26);
    EXPECT_EQ(b.Byte(101), 0x01);
    EXPECT_EQ(b.Byte(102), 0x05);
  }
  {
    SCOPED_TRACE("a serial number that is not a number");
    ReadUnit b;
    b.editor.form.EEqupmentSN.text = "12G12345";
    EXPECT_THROW(PrepareSettingsSave(b.editor, b.flags, Ventrix(), b.op), ConversionError);
  }
}

TEST(OpenSettings, DateFieldFromTheFileBytes) {
  struct Case {
    uint8_t year, month, day;
    const char *text;
  } cases[] = {
      {0x26, 0x01, 0x31, "2026/01/31"}, {0xFF, 0xFF, 0xFF, "2FF/FF/FF"}, {0x99, 0x12, 0x01, "2099/12/01"}};
  for (const Case &c : cases) {
    SettingsImage image = UnitSettings();
    B1(image, 100) = c.year;
    B1(image, 101) = c.month;
    B1(image, 102) = c.day;
    EditorBench b;
    ASSERT_TRUE(OpenSettingsFile(b.editor, Ventrix(), b.op, FileText(image)));
    EXPECT_EQ(b.editor.form.EEqupmentDate.text, c.text);
  }
}

// A refused file leaves the editor as the last load left it: the window still shows
// those settings, and a write must send them and not the refused bytes.
TEST(OpenSettings, ARefusedFileChangesNothing) {
  SettingsImage noModel = UnitSettings();
  B1(noModel, 1) = 0x22;
  std::string cutShort = FileText(UnitSettings());
  cutShort.resize(200);
  struct Case {
    const char *name;
    std::string text;
    std::vector<ShownMessage> shown;
  } cases[] = {
      {"no model code", FileText(noModel), {kNoModel}},
      {"not a settings file", "Hello\r\nq\r\n", {kNotSettings}},
      {"cut short", cutShort, {kNotSettings}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ReadUnit b;
    const SettingsImage image = b.editor.Image, loaded = b.editor.LoadedImage;
    const std::string serial = b.editor.form.EEqupmentSN.text;
    EXPECT_FALSE(OpenSettingsFile(b.editor, Ventrix(), b.op, c.text));
    EXPECT_EQ(b.op.shown, c.shown);
    EXPECT_EQ(b.editor.Image, image);
    EXPECT_EQ(b.editor.LoadedImage, loaded);
    EXPECT_EQ(b.editor.MachineType, "12");
    EXPECT_EQ(b.editor.form.EEqupmentSN.text, serial);
  }
}

}  // namespace
}  // namespace rilo
