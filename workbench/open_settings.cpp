#include "workbench/open_settings.h"

#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "settings/edit_mask.h"

namespace rilo {
namespace {

constexpr const char *kFormatCaption = "Open file Error";
constexpr const char *kFormatText = "Open file format Error,please check your file!!";
constexpr const char *kNoModelCaption = "錯誤";
constexpr const char *kNoModelText = "開啟檔案錯誤,請確認所開啟的檔案是否正確!!";
constexpr const char *kOpenedCaption = "開啟檔案";
constexpr const char *kOpenedText = "檔案開啟完成!!";

std::string Hex(uint8_t value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

}  // namespace

bool OpenSettingsFile(Editor &editor, const VentrixApi &ventrix, Operator &op, const std::string &text) {
  SettingsImage file{};
  const char *rest = ventrix.ArrangeRilo(text.c_str(), reinterpret_cast<uint8_t(*)[128]>(file.data()));
  if (!rest) throw std::runtime_error("設定檔的資料無法轉換為數值,請確認檔案是否正確");
  // Not a settings file at all: the library leaves the image zero, which names no model.
  if (rest == text.c_str()) op.Message(kFormatCaption, kFormatText, Icon::Error);

  const std::string_view model = MachineTypeOf(file);
  if (model.empty()) {
    // The refused bytes stay out of the working image: the window still shows, and a
    // write would still send, what was loaded before.
    op.Message(kNoModelCaption, kNoModelText, Icon::Error);
    return false;
  }
  editor.LoadedImage = file;
  editor.Image = file;
  editor.MachineType = model;
  editor.form.EEqupmentType = model == "12" ? "RILO1-Q12" : "RILO1-Q10";
  editor.form.Caption = editor.form.EEqupmentType + " 設定程式";
  editor.ShowValue();

  // The field keeps only what its mask supplies in front; the six digits come from the file.
  TextField &serial = editor.form.EEqupmentSN;
  AssignText(serial, "");
  std::string serialText = serial.text;
  if (serialText.size() > 2) serialText.erase(2, 6);
  AssignText(serial, serialText + Hex(B1(file, 97)) + Hex(B1(file, 98)) + Hex(B1(file, 99)));

  TextField &date = editor.form.EEqupmentDate;
  SetMask(date, "");
  const uint8_t year = B1(file, 100);
  AssignText(date,
             (year <= 0x99 ? "20" : "2") + Hex(year) + "/" + Hex(B1(file, 101)) + "/" + Hex(B1(file, 102)));

  editor.MachineTypeChange();
  op.Message(kOpenedCaption, kOpenedText, Icon::Information);
  return true;
}

}  // namespace rilo
