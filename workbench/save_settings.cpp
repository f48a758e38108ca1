#include "workbench/save_settings.h"

#include <algorithm>
#include <string>

#include "core/conversion.h"

namespace rilo {
namespace {

constexpr const char *kErrorCaption = "錯誤";
constexpr const char *kNothingLoaded = "請先讀取設定或開啟檔案!!";
constexpr const char *kEmptyDate = "20  /  /";

// A one- or two-digit hexadecimal number, as the identity texts hold their pairs.
uint8_t HexNumber(std::string_view text) {
  const std::string_view digits = TrimBlanks(text);
  if (digits.empty() || digits.size() > 2) throw ConversionError(text);
  int value = 0;
  for (size_t i = 0; i < digits.size(); ++i)
    value = value * 16 + HexDigit(digits.substr(i, 1));
  return static_cast<uint8_t>(value);
}

}  // namespace

bool PrepareSettingsSave(Editor &editor, const FeatureFlags &flags, const VentrixApi &ventrix, Operator &op) {
  editor.MakeCompleteCode();
  const std::string idText = editor.form.EEqupmentID.text;
  const std::string serialText = editor.form.EEqupmentSN.text;
  if (editor.MachineType.empty()) {
    op.Message(kErrorCaption, kNothingLoaded, Icon::Error);
    return false;
  }

  SettingsImage &image = editor.Image;
  for (int i = 0; i < 8; ++i)
    B1(image, i) = ventrix.DeHamming(static_cast<uint8_t>(HexDigit(TrimBlanks(Part(idText, i, 1)))));

  if (TrimBlanks(editor.form.EEqupmentDate.text) == kEmptyDate) {
    if (flags.Factory != 1) {
      op.Message(kErrorCaption, kNothingLoaded, Icon::Error);
      return false;
    }
    editor.EEqupmentDateClick();
  }

  for (int i = 0; i < 4; ++i)
    B1(image, 96 + i) = HexNumber(Part(serialText, 2 * i, 2));
  // 20YY/MM/DD: the pairs after the century.
  const std::string_view date = TrimBlanks(editor.form.EEqupmentDate.text);
  for (int i = 0; i < 3; ++i)
    B1(image, 100 + i) = HexNumber(Part(date, 2 + 3 * i, 2));
  ComputeCheckWord(image);
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(),
            image.begin() + kBlock1 + kCheckWordRoutineOffset);
  return true;
}

}  // namespace rilo
