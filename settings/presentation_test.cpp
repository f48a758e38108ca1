// The presentation: control sets of Q10 and Q12, the manual model choice, and the
// decoding of loaded images, values that no entry encodes included.
#include <gtest/gtest.h>

#include "settings/image_fields.h"
#include "settings/testing/editor_bench.h"

namespace rilo {
namespace {

using testing::EditorBench;

// An image as the editor leaves it after a complete set of plain choices.
SettingsImage PlainImage() {
  EditorBench b;
  for (OptionList *l : b.editor.form.Lists())
    if (l->enabled) b.editor.Pick(*l, 0);
  return b.editor.Image;
}

TEST(MachineType, Q10AndBackToQ12RestoresTheEntryListsInTableOrder) {
  EditorBench b;
  const Form fresh;
  b.Pick("CBEWAction", 3);
  b.Model("10");
  const Form &f = b.editor.form;
  EXPECT_EQ(f.CBEWAction.Count(), 6);
  EXPECT_EQ(f.CBSNAction.Count(), 6);
  EXPECT_EQ(f.CBR12Action.Count(), 6);
  EXPECT_EQ(f.CBUDAction.Count(), 15);
  EXPECT_EQ(f.CBEWAction.index, 3);
  EXPECT_FALSE(f.CBR34Action.enabled);
  EXPECT_EQ(f.CBR34Action.index, 0);
  EXPECT_FALSE(f.CBR5Action.enabled);
  EXPECT_FALSE(f.CBR5EMS.enabled);
  EXPECT_FALSE(f.CBR5AccTime.enabled);
  EXPECT_EQ(f.EEqupmentType, "RILO1-Q10");
  EXPECT_EQ(f.Caption, "RILO1-Q10 設定程式");

  b.Model("10");  // cutting twice changes nothing
  EXPECT_EQ(f.CBEWAction.Count(), 6);

  b.Model("12");
  EXPECT_EQ(f.CBEWAction.entries, fresh.CBEWAction.entries);
  EXPECT_EQ(f.CBSNAction.entries, fresh.CBSNAction.entries);
  EXPECT_EQ(f.CBR12Action.entries, fresh.CBR12Action.entries);
  EXPECT_EQ(f.CBEWAction.index, 3);
  EXPECT_TRUE(f.CBR34Action.enabled);
  EXPECT_TRUE(f.CBR5Action.enabled);
  EXPECT_EQ(f.EEqupmentType, "RILO1-Q12");
  EXPECT_EQ(f.Caption, "RILO1-Q12 設定程式");
}

TEST(MachineType, Q10ControlSetLeavesTheImageAlone) {
  EditorBench b;
  b.Pick("CBR34Action", 4);
  b.Pick("CBR5Action", 1);
  const SettingsImage before = b.editor.Image;
  b.Model("10");
  EXPECT_EQ(b.editor.Image, before);
}

TEST(MachineType, UnknownTypeIsReportedAndChangesNothing) {
  EditorBench b;
  b.Model("12");
  const Form before = b.editor.form;
  b.editor.MachineType = "11";
  b.editor.MachineTypeChange();  // the program goes on (it used to end here)
  ASSERT_EQ(b.op.shown.size(), 1u);
  EXPECT_EQ(b.op.shown[0].caption, "機型錯誤");
  EXPECT_EQ(b.op.shown[0].text, "機器型號錯誤,請確認您的機器型號是否正確!!");
  EXPECT_EQ(b.op.shown[0].icon, Icon::Error);
  EXPECT_EQ(b.editor.form.Caption, before.Caption);
  EXPECT_EQ(b.editor.form.CBEWAction.entries, before.CBEWAction.entries);
  EXPECT_EQ(b.editor.form.EEqupmentID.mask, before.EEqupmentID.mask);
}

TEST(MachineType, ManualChoiceOnlyForAFactoryWithoutAModel) {
  {
    EditorBench b;  // Factory off
    b.editor.LabelEqupmentTypeDblClick();
    EXPECT_TRUE(b.op.shown.empty());
    EXPECT_EQ(b.editor.MachineType, "");
  }
  {
    EditorBench b;
    b.flags.Factory = 1;
    b.Model("10");
    b.editor.LabelEqupmentTypeDblClick();
    EXPECT_TRUE(b.op.shown.empty());
    EXPECT_EQ(b.editor.MachineType, "10");
  }
  for (bool ok : {true, false}) {
    EditorBench b;
    b.flags.Factory = 1;
    b.today = "2026/1/15";
    b.op.answers = {ok};
    b.editor.form.EEqupmentID.mask = "12>999999<";  // left by a unit whose model was unknown
    b.editor.form.EEqupmentID.text = "12345   ";
    b.editor.LabelEqupmentTypeDblClick();
    ASSERT_EQ(b.op.shown.size(), 1u);
    EXPECT_EQ(b.op.shown[0].caption, "機型選擇");
    EXPECT_EQ(b.op.shown[0].text, "請選擇機型,[確定]=RILO1-Q12  [取消]=RILO1-Q10");
    EXPECT_TRUE(b.op.shown[0].question);
    const std::string model = ok ? "12" : "10";
    EXPECT_EQ(b.editor.MachineType, model);
    EXPECT_EQ(b.editor.form.EEqupmentID.text, model + "000000");
    EXPECT_EQ(b.editor.form.EEqupmentSN.text, model + "000000");
    EXPECT_EQ(b.editor.form.EEqupmentType, "RILO1-Q" + model);
    EXPECT_EQ(b.editor.form.EEqupmentDate.text, "2026/01/15");
  }
}

TEST(ShowValue, DecodesWhatTheEditorWrote) {
  EditorBench writer;
  writer.Pick("CBUDAction", 10);
  writer.Pick("CBEWAction", 1);
  writer.Pick("CBEastEMS", 0);
  writer.Pick("CBLEDOnTime", 3);
  writer.Pick("CBTxMode", 7);
  writer.Pick("CBAutoOffTime", 4);
  writer.Pick("CBTxEMSCont", 13);
  writer.Pick("CBR0Action", 1);
  writer.Pick("CBR0EMS", 0);
  writer.Pick("CBR5Action", 3);
  EditorBench reader;
  reader.Load(writer.editor.Image);
  for (const char *name : {"CBUDAction", "CBEWAction", "CBEastEMS", "CBWestEMS", "CBLEDOnTime", "CBTxMode",
                           "CBAutoOffTime", "CBTxEMSCont", "CBR0Action", "CBR0EMS", "CBR5Action"})
    EXPECT_EQ(reader.Index(name), writer.Index(name)) << name;
  EXPECT_EQ(reader.List("CBTxEMSCont").entries[13], "140   次");
}

struct DecodeCase {
  const char *what;
  std::vector<std::pair<int, uint8_t>> bytes;  // laid over the plain image
  const char *list;
  int index;
};

TEST(ShowValue, DecodingTable) {
  const DecodeCase cases[] = {
      {"LED off whatever the period", {{19, 0x00}, {30, 0x40}, {31, 0x1F}}, "CBLEDOnTime", 5},
      {"normal / dual motor 2", {{32, 0x38}, {33, 0x22}}, "CBUDAction", 10},
      {"normal without interlock", {{32, 0x18}, {33, 0x00}}, "CBUDAction", 0},
      {"combined without exemption", {{34, 0x78}, {35, 0x00}}, "CBEWAction", 14},
      {"latch with interlock", {{34, 0xA6}, {35, 0x40}}, "CBEWAction", 1},
      {"EMS count 140", {{21, 140}}, "CBTxEMSCont", 13},
      {"battery mask of 9", {{19, 0x01}, {12, 0}, {13, 0}, {14, 0xFF}, {15, 0x01}}, "CBTxBattCont", 9},
      {"battery mask full", {{19, 0x01}, {12, 0xFF}, {13, 0xFF}, {14, 0xFF}, {15, 0xFF}}, "CBTxBattCont", 32},
      {"battery counter off", {{19, 0x00}, {14, 0xFF}}, "CBTxBattCont", 0},
      {"power-saving timer", {{18, 0x01}, {26, 0x01}, {27, 0x00}, {28, 0x7A}, {29, 0x11}}, "CBTxMode", 0},
      {"never off", {{18, 0x03}, {26, 0}, {27, 0}, {28, 0}, {29, 0}}, "CBTxMode", 9},
      {"30 minutes", {{18, 0x01}, {26, 0xDC}, {27, 0}, {28, 0}, {29, 0xBA}}, "CBTxMode", 8},
      {"start key latch", {{16, 0x01}}, "CBR0Action", 1},
      {"start key acceleration", {{16, 0x02}}, "CBR0Action", 2},
      {"F1 dual motor 2", {{42, 0x38}, {43, 0x33}}, "CBR5Action", 3},
      {"F1 latch", {{42, 0x06}, {43, 0x00}}, "CBR5Action", 1},
      {"pass-EMS 0.5 s is 44", {{63, 44}}, "CBPassEMSTime", 2},
      {"inching 0.5 s is 37", {{62, 37}}, "CBR0InchTime", 2},
      {"power-on mode bit 6: no entry", {{18, 0x40}}, "CBOpenMode", -1},
  };
  const SettingsImage plain = PlainImage();
  for (const DecodeCase &c : cases) {
    SCOPED_TRACE(c.what);
    SettingsImage image = plain;
    for (auto [n, v] : c.bytes)
      B1(image, n) = v;
    EditorBench b;
    b.Load(image);
    EXPECT_EQ(b.Index(c.list), c.index);
  }
}

TEST(ShowValue, AValueNoEntryEncodesKeepsTheChoiceAndItsCode) {
  EditorBench b;
  b.Pick("CBTxEMSCont", 4);  // 50
  SettingsImage image = PlainImage();
  B1(image, 21) = 45;
  b.Load(image);
  EXPECT_EQ(b.Index("CBTxEMSCont"), 4);
  EXPECT_EQ(b.Byte(21), 50);

  // A list with no choice yet writes nothing for it.
  EditorBench fresh;
  fresh.Load(image);
  EXPECT_EQ(fresh.Index("CBTxEMSCont"), -1);
  EXPECT_EQ(fresh.Byte(21), 45);
}

TEST(ShowValue, PowerOnModeBitSixStaysAsLoaded) {
  SettingsImage image = PlainImage();
  SetBit(image, 18, 6, true);
  EditorBench b;
  b.Load(image);
  EXPECT_EQ(b.Index("CBOpenMode"), -1);
  EXPECT_TRUE(Bit(b.editor.Image, 18, 6));
}

TEST(ShowValue, Q12ImageUnderTheQ10ControlSet) {
  EditorBench writer;
  writer.Pick("CBEWAction", 7);
  SettingsImage image = writer.editor.Image;
  B1(image, 0) = 0x0F;
  B1(image, 1) = 0x33;

  EditorBench b;
  b.Model("10");
  b.Load(image);
  EXPECT_EQ(b.Index("CBEWAction"), -1);
  EXPECT_EQ(b.Byte(34), 0x78);
  EXPECT_EQ(b.Byte(35), 0x08);
  b.Model("12");
  EXPECT_EQ(b.List("CBEWAction").Count(), 15);
}

TEST(ShowValue, GroupLatchComesBackWithItsExemption) {
  for (int ems : {0, 1}) {
    EditorBench writer;
    writer.Pick("CBSNAction", 15);
    writer.Pick("CBSouthEMS", ems);
    EditorBench b;
    b.Load(writer.editor.Image);
    EXPECT_EQ(b.Index("CBSNAction"), 15);
    EXPECT_EQ(b.Index("CBR12Action"), 17);
    EXPECT_EQ(b.Index("CBR34Action"), 17);
    EXPECT_EQ(b.Index("CBR3EMS"), ems);
    EXPECT_EQ(b.Byte(78), 2);
    for (int n = 36; n <= 41; ++n)
      EXPECT_EQ(b.Byte(n), writer.Byte(n)) << "byte " << n;
  }
}

TEST(ShowValue, R1ToR3LatchComesBackAsLoaded) {
  for (int entry : {15, 16}) {
    EditorBench writer;
    writer.Pick("CBR12Action", entry);
    writer.Pick("CBR2EMS", 1);
    EditorBench b;
    b.Load(writer.editor.Image);
    EXPECT_EQ(b.Index("CBR12Action"), entry);
    EXPECT_EQ(b.Index("CBR34Action"), entry);
    EXPECT_EQ(b.Index("CBR1EMS"), 1);
    for (int n : {38, 39, 40, 41, 78})
      EXPECT_EQ(b.Byte(n), writer.Byte(n)) << "byte " << n;
  }
}

}  // namespace
}  // namespace rilo
