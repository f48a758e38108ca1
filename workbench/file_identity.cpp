#include "workbench/file_identity.h"

#include <string>

#include "files/text_lines.h"
#include "settings/edit_mask.h"

namespace rilo {

void SetFileModel(Editor &editor, std::string_view model) {
  editor.MachineType = model;
  editor.form.EEqupmentType = model == "12" ? "RILO1-Q12" : "RILO1-Q10";
  editor.form.Caption = editor.form.EEqupmentType + " 設定程式";
}

void ShowFileIdentity(Editor &editor) {
  const SettingsImage &image = editor.Image;
  TextField &serial = editor.form.EEqupmentSN;
  AssignText(serial, "");
  std::string serialText = serial.text;
  if (serialText.size() > 2) serialText.erase(2, 6);
  AssignText(serial, serialText + HexByte(B1(image, 97)) + HexByte(B1(image, 98)) + HexByte(B1(image, 99)));

  TextField &date = editor.form.EEqupmentDate;
  SetMask(date, "");
  const uint8_t year = B1(image, 100);
  AssignText(date, (year <= 0x99 ? "20" : "2") + HexByte(year) + "/" + HexByte(B1(image, 101)) + "/" +
                       HexByte(B1(image, 102)));
}

}  // namespace rilo
