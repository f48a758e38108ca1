// The identity fields: ID code, serial number and date code, their key filters and
// masks, completion, the date prompt, the ID increment and the fill from loaded data.
#include <cstdio>
#include <string>
#include <utility>

#include "settings/edit_mask.h"
#include "settings/editor.h"

namespace rilo {
namespace {

std::string Trim(std::string_view s) {
  size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ')
    ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ')
    --end;
  return std::string(s.substr(begin, end - begin));
}

std::string Part(std::string_view s, size_t from, size_t count) {
  return from < s.size() ? std::string(s.substr(from, count)) : std::string();
}

bool ParseDecimal(const std::string &s, int *value) {
  if (s.empty() || s.size() > 9) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

std::string Padded(int value, int width) {
  std::string s = std::to_string(value);
  return std::string(s.size() < static_cast<size_t>(width) ? width - s.size() : 0, '0') + s;
}

// A date part as the fill shows it: a leading zero up to 9.
std::string DatePart(uint8_t v) {
  return (v <= 9 ? "0" : "") + std::to_string(v);
}

}  // namespace

std::string Editor::ModelMask() const {
  if (MachineType == "12") return "12>999999<";
  if (MachineType == "10") return "1\\0>999999<";
  return {};
}

void Editor::TextChanged(TextField &field, const std::string &before) {
  if (field.text == before) return;
  if (&field == &form.EEqupmentID)
    EEqupmentIDChange();
  else if (&field == &form.EEqupmentSN)
    EEqupmentSNChange();
}

void Editor::SetText(TextField &field, std::string_view text) {
  const std::string before = field.text;
  AssignText(field, text);
  TextChanged(field, before);
}

void Editor::SetFieldMask(TextField &field, std::string_view mask) {
  if (field.mask == mask) return;
  const std::string before = field.text;
  SetMask(field, mask);
  TextChanged(field, before);
}

void Editor::TypeKey(TextField &field, char32_t key) {
  if (field.readOnly) return;
  if (&field == &form.EEqupmentID) EEqupmentIDKeyPress(key);
  if (&field == &form.EEqupmentSN) EEqupmentSNKeyPress(key);
  const std::string before = field.text;
  TypeIntoField(field, key);
  TextChanged(field, before);
}

void Editor::DeleteKey(TextField &field) {
  if (field.readOnly) return;
  const std::string before = field.text;
  DeleteAtCaret(field);
  TextChanged(field, before);
}

void Editor::PlaceCaret(TextField &field, int position) {
  MoveCaret(field, position);
}

void Editor::EEqupmentIDKeyPress(char32_t &key) {
  if (flags_.IDCODE != 1 || (key >= '0' && key <= '9')) return;
  if (key == kBackspace) SetText(form.EEqupmentID, "");
  key = ' ';
  if (const std::string mask = ModelMask(); !mask.empty()) SetFieldMask(form.EEqupmentID, mask);
}

void Editor::EEqupmentSNKeyPress(char32_t &key) {
  if (flags_.SN != 1 || (key >= '0' && key <= '9')) return;
  if (key == kBackspace || key == kEscape) SetText(form.EEqupmentSN, "");
  key = ' ';
  if (const std::string mask = ModelMask(); !mask.empty()) SetFieldMask(form.EEqupmentSN, mask);
}

void Editor::EEqupmentIDChange() {
  if (IdentityShown != 1) EEqupmentSNChange();
}

// With the factory flag on and serial-number editing off, the serial number follows
// the ID code while the person edits it; loaded data is not overwritten this way.
void Editor::EEqupmentSNChange() {
  if (flags_.SN == 1 || flags_.Factory != 1 || IdentityShown == 1) return;
  SetText(form.EEqupmentSN, form.EEqupmentID.text);
}

void Editor::CompleteCode(TextField &field) {
  const size_t length = Trim(field.text).size();
  if (length < 2 || length > 7) return;
  SetText(field, MachineType + std::string(8 - length, '0') + Part(field.text, 2, std::string::npos));
}

void Editor::MakeCompleteCode() {
  CompleteCode(form.EEqupmentID);
  CompleteCode(form.EEqupmentSN);
}

void Editor::EEqupmentDateClick() {
  if (flags_.Factory != 1) return;
  TextField &date = form.EEqupmentDate;
  SetMask(date, "");
  std::string s = today_();
  // yyyy/M/d gets its one-digit month and day padded to two digits.
  if (s.size() == 8) {
    s.insert(5, "0");
    s.insert(8, "0");
  } else if (s.size() == 9) {
    s.insert(s[6] == '/' ? 5 : 8, "0");
  }
  AssignText(date, s);
}

void Editor::LabelEqupmentIDClick() {
  if (flags_.Factory != 1) return;
  IdIncrement = IdIncrement == 1 ? 0 : 1;
  op_.Message(kProgramTitle, IdIncrement == 1 ? "開啟 ID-CODE 遞增" : "關閉 ID-CODE 遞增", Icon::None);
}

void Editor::IncrementIdCode() {
  if (IdIncrement != 1) return;
  TextField &id = form.EEqupmentID;
  const std::string digits = Trim(Part(id.text, 2, std::string::npos));
  const std::string lowText = Trim(Part(digits, 2, 4));
  const std::string highText = Trim(Part(digits, 0, 2));
  int low = 0, high = 0;
  for (auto [text, value] : {std::pair{&lowText, &low}, std::pair{&highText, &high}}) {
    if (!ParseDecimal(*text, value)) {
      // An erased unit reads FFFFFF: report it, and keep the code rather than cut it.
      op_.Message(kProgramTitle, "'" + *text + "' is not a valid integer value", Icon::Error);
      return;
    }
  }
  if (low == 9999) {
    low = 0;
    high = high == 99 ? 0 : high + 1;
  } else {
    ++low;
  }
  SetText(id, MachineType + Padded(high, 2) + Padded(low, 4));
}

void Editor::FillIdentity() {
  IdentityShown = 1;
  auto hexDigits = [&](const uint8_t *codes) {
    std::string text;
    for (int i = 0; i < 6; ++i) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%X", ventrix_.ReHamming(codes[i]));
      text += buf;
    }
    return text;
  };

  SetFieldMask(form.EEqupmentID, "");
  SetText(form.EEqupmentID, MachineType + hexDigits(&Image[kBlock1 + 2]));

  SetMask(form.EEqupmentDate, "");
  AssignText(form.EEqupmentDate, "20" + DatePart(infoPage_[129]) + "/" + DatePart(infoPage_[130]) + "/" +
                                     DatePart(infoPage_[131]));

  SetFieldMask(form.EEqupmentSN, "");
  SetText(form.EEqupmentSN, MachineType + hexDigits(&infoPage_[122]));
}

void Editor::TypeIdentity(const TypedIdentity &typed) {
  if (!typed.id.empty()) form.EEqupmentID.text = typed.id;
  if (!typed.serial.empty()) form.EEqupmentSN.text = typed.serial;
  if (!typed.date.empty()) form.EEqupmentDate.text = typed.date;
}

}  // namespace rilo
