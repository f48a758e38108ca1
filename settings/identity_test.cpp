// The identity fields: completion, the ID increment, the date prompt, key filters and
// masks, the copying of the ID code into the serial number, and the fill from loaded data.
#include <gtest/gtest.h>

#include "settings/edit_mask.h"
#include "settings/testing/editor_bench.h"

namespace rilo {
namespace {

using testing::EditorBench;

void Type(EditorBench &b, TextField &field, std::u32string keys) {
  for (char32_t k : keys)
    b.editor.TypeKey(field, k);
}

TEST(Identity, CompletionPadsWithZerosAfterTheModelCode) {
  struct Case {
    const char *text, *mask, *completed;
  } cases[] = {
      {"12345", "", "12000345"},
      {"12", "", "12000000"},
      {"1", "", "1"},
      {"12345678", "", "12345678"},
      {"12345   ", "12>999999<", "12000345"},
      {"12      ", "12>999999<", "12000000"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    EditorBench b;
    b.editor.MachineType = "12";
    for (TextField *f : {&b.editor.form.EEqupmentID, &b.editor.form.EEqupmentSN}) {
      f->mask = c.mask;
      f->text = c.text;
    }
    b.editor.MakeCompleteCode();
    EXPECT_EQ(b.editor.form.EEqupmentID.text, c.completed);
    EXPECT_EQ(b.editor.form.EEqupmentSN.text, c.completed);
  }
}

TEST(Identity, IncrementCountsUpAndWraps) {
  struct Case {
    const char *model, *before, *after;
  } cases[] = {
      {"12", "12999999", "12000000"},
      {"12", "12059999", "12060000"},
      {"10", "10000009", "10000010"},
      {"12", "12123456", "12123457"},
  };
  for (const Case &c : cases) {
    EditorBench b;
    b.editor.MachineType = c.model;
    b.editor.form.EEqupmentID.text = c.before;
    b.editor.IncrementIdCode();
    EXPECT_EQ(b.editor.form.EEqupmentID.text, c.after) << c.before;
    EXPECT_TRUE(b.op.shown.empty());
  }
}

TEST(Identity, IncrementSwitchedOffLeavesTheCode) {
  EditorBench b;
  b.flags.Factory = 1;
  b.editor.MachineType = "12";
  b.editor.form.EEqupmentID.text = "12000001";
  b.editor.LabelEqupmentIDClick();
  EXPECT_EQ(b.editor.IdIncrement, 0);
  b.editor.IncrementIdCode();
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "12000001");
}

TEST(Identity, IncrementOfANonDecimalCodeReportsAndKeepsTheText) {
  EditorBench b;
  b.editor.MachineType = "12";
  b.editor.form.EEqupmentID.text = "12FFFFFF";
  b.editor.IncrementIdCode();
  // The conversion error is still shown, but the field is no longer cut to "12".
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "12FFFFFF");
  ASSERT_EQ(b.op.shown.size(), 1u);
  EXPECT_EQ(b.op.shown[0].text, "'FFFF' is not a valid integer value");
  EXPECT_EQ(b.op.shown[0].icon, Icon::Error);
}

TEST(Identity, DatePromptPadsOneDigitMonthAndDay) {
  struct Case {
    const char *today, *shown;
  } cases[] = {
      {"2026/1/5", "2026/01/05"},   {"2026/1/15", "2026/01/15"}, {"2026/11/5", "2026/11/05"},
      {"2026/11/15", "2026/11/15"}, {"26/1/5", "26/1/5"},
  };
  for (const Case &c : cases) {
    EditorBench b;
    b.flags.Factory = 1;
    b.today = c.today;
    b.editor.EEqupmentDateClick();
    EXPECT_EQ(b.editor.form.EEqupmentDate.text, c.shown) << c.today;
    EXPECT_EQ(b.editor.form.EEqupmentDate.mask, "");
  }
  EditorBench b;  // not a factory: nothing happens
  b.editor.EEqupmentDateClick();
  EXPECT_EQ(b.editor.form.EEqupmentDate.text, "20  /  /  ");
}

TEST(Identity, IncrementToggleOnlyForAFactory) {
  EditorBench b;
  b.editor.LabelEqupmentIDClick();
  EXPECT_TRUE(b.op.shown.empty());
  EXPECT_EQ(b.editor.IdIncrement, 1);

  b.flags.Factory = 1;
  b.editor.LabelEqupmentIDClick();
  b.editor.LabelEqupmentIDClick();
  EXPECT_EQ(b.op.Texts(), (std::vector<std::string>{"關閉 ID-CODE 遞增", "開啟 ID-CODE 遞增"}));
  EXPECT_EQ(b.op.shown[0].icon, Icon::None);
  EXPECT_EQ(b.editor.IdIncrement, 1);
}

TEST(Identity, KeyFilters) {
  EditorBench b;
  b.flags.IDCODE = 1;
  b.flags.SN = 1;
  b.editor.MachineType = "12";
  char32_t key = '7';
  b.editor.EEqupmentIDKeyPress(key);
  EXPECT_EQ(key, U'7');
  EXPECT_EQ(b.editor.form.EEqupmentID.mask, "");
  key = 'x';
  b.editor.EEqupmentIDKeyPress(key);
  EXPECT_EQ(key, U' ');
  EXPECT_EQ(b.editor.form.EEqupmentID.mask, "12>999999<");

  // Backspace empties both fields; Escape only the serial number.
  for (TextField *f : {&b.editor.form.EEqupmentID, &b.editor.form.EEqupmentSN})
    AssignText(*f, "12345678");
  key = kEscape;
  b.editor.EEqupmentIDKeyPress(key);
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "12345678");
  key = kEscape;
  b.editor.EEqupmentSNKeyPress(key);
  EXPECT_EQ(b.editor.form.EEqupmentSN.text, "12      ");
  key = kBackspace;
  b.editor.EEqupmentIDKeyPress(key);
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "12      ");

  // Without the flag a key passes untouched.
  EditorBench off;
  key = 'x';
  off.editor.EEqupmentIDKeyPress(key);
  EXPECT_EQ(key, U'x');
}

TEST(Identity, TypingDigitsThenTheMaskTakesOver) {
  EditorBench b;
  b.flags.IDCODE = 1;
  b.editor.ApplyFeatureFlags();
  b.editor.MachineType = "10";
  TextField &id = b.editor.form.EEqupmentID;
  Type(b, id, U"34");
  EXPECT_EQ(id.text, "34");  // digits before the first other key go in unmasked
  Type(b, id, U"-");
  EXPECT_EQ(id.mask, "1\\0>999999<");
  EXPECT_EQ(id.text, "1034    ");
  Type(b, id, U"5a6");
  EXPECT_EQ(id.text, "103456  ");
  b.editor.TypeKey(id, kBackspace);  // empties the field, keeping the model code
  EXPECT_EQ(id.text, "10      ");
  Type(b, id, U"1234567");
  EXPECT_EQ(id.text, "10123456");
  b.editor.PlaceCaret(id, 0);
  b.editor.DeleteKey(id);
  EXPECT_EQ(id.text, "10 23456");
}

TEST(Identity, ReadOnlyFieldsTakeNoKeys) {
  EditorBench b;
  b.editor.ApplyFeatureFlags();
  Type(b, b.editor.form.EEqupmentID, U"12");
  Type(b, b.editor.form.EEqupmentDate, U"1");
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "");
  EXPECT_EQ(b.editor.form.EEqupmentDate.text, "20  /  /  ");
}

TEST(Identity, MaskedDateTakesDigitsInItsPlaces) {
  EditorBench b;
  b.flags.DateCode = 1;
  b.editor.ApplyFeatureFlags();
  TextField &date = b.editor.form.EEqupmentDate;
  b.editor.PlaceCaret(date, 0);
  Type(b, date, U"26/0131");
  EXPECT_EQ(date.text, "2026/01/31");
}

TEST(Identity, SerialNumberFollowsTheIdCodeUntilDataIsShown) {
  EditorBench b;
  b.flags.Factory = 1;
  b.flags.IDCODE = 1;
  b.editor.ApplyFeatureFlags();
  b.editor.MachineType = "12";
  TextField &id = b.editor.form.EEqupmentID;
  TextField &sn = b.editor.form.EEqupmentSN;
  Type(b, id, U"12");
  EXPECT_EQ(sn.text, "12");
  Type(b, id, U"3");
  EXPECT_EQ(sn.text, "123");

  b.Load(SettingsImage{});  // a load shows the identity: no more copying
  Type(b, id, U"9");
  EXPECT_NE(sn.text, id.text);

  b.editor.IdentityShown = 0;  // as at the end of a settings read
  Type(b, id, U"8");
  EXPECT_EQ(sn.text, id.text);

  // With serial-number editing on, it never follows.
  EditorBench own;
  own.flags.Factory = 1;
  own.flags.IDCODE = 1;
  own.flags.SN = 1;
  own.editor.ApplyFeatureFlags();
  Type(own, own.editor.form.EEqupmentID, U"12");
  EXPECT_EQ(own.editor.form.EEqupmentSN.text, "");
}

TEST(Identity, FillShowsCodesDateAndSerialNumber) {
  EditorBench b;
  b.editor.MachineType = "12";
  SettingsImage image{};
  const uint8_t idCodes[] = {0x00, 0x0F, 0x33, 0xAA, 0xFF, 0x69};  // 0 1 2 B F 7
  for (int i = 0; i < 6; ++i)
    B1(image, 2 + i) = idCodes[i];
  const uint8_t serial[] = {0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x12, 0x66, 0x69};  // 0x12 is no codeword
  for (int i = 0; i < 8; ++i)
    b.infoPage[120 + i] = serial[i];
  b.infoPage[129] = 26;
  b.infoPage[130] = 1;
  b.infoPage[131] = 5;
  b.Load(image);
  EXPECT_EQ(b.editor.IdentityShown, 1);
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "12012BF7");
  EXPECT_EQ(b.editor.form.EEqupmentSN.text, "12345EE67");
  EXPECT_EQ(b.editor.form.EEqupmentDate.text, "2026/01/05");
  EXPECT_EQ(b.editor.form.EEqupmentID.mask, "");

  b.infoPage[129] = 100;
  b.Load(image);
  EXPECT_EQ(b.editor.form.EEqupmentDate.text, "20100/01/05");
}

TEST(Identity, ModelChangeKeepsTheSixDigits) {
  EditorBench b;
  b.editor.form.EEqupmentID.text = "12000345";  // as filled, without a mask
  b.editor.form.EEqupmentSN.text = "000777";
  b.Model("10");
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "10000345");
  EXPECT_EQ(b.editor.form.EEqupmentSN.text, "10000777");
  b.Model("12");  // masked now
  EXPECT_EQ(b.editor.form.EEqupmentID.text, "12000345");
  EXPECT_EQ(b.editor.form.EEqupmentID.mask, "12>999999<");
}

}  // namespace
}  // namespace rilo
