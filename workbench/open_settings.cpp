#include "workbench/open_settings.h"

#include <stdexcept>
#include <string_view>

#include "workbench/file_identity.h"
#include "workbench/file_messages.h"

namespace rilo {
using namespace file_messages;

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
    op.Message(kErrorCaption, kNoModel, Icon::Error);
    return false;
  }
  editor.LoadedImage = file;
  editor.Image = file;
  SetFileModel(editor, model);
  editor.ShowValue();
  ShowFileIdentity(editor);
  editor.MachineTypeChange();
  op.Message(kOpenCaption, kOpened, Icon::Information);
  return true;
}

}  // namespace rilo
