#include "workbench/open_settings.h"

#include <string_view>

#include "files/file_writers.h"
#include "workbench/file_identity.h"
#include "workbench/file_messages.h"

namespace rilo {

using namespace file_messages;

std::optional<SettingsFileContent> ParseSettingsFile(const VentrixApi &ventrix, const std::string &text) {
  SettingsFileContent file;
  const char *rest = ventrix.ArrangeRilo(text.c_str(), reinterpret_cast<uint8_t(*)[128]>(file.image.data()));
  // Not a settings file (rest == text) or data that is not hexadecimal (null).
  if (!rest || rest == text.c_str()) return std::nullopt;
  file.customerText = rest;
  return file;
}

bool OpenSettingsFile(Editor &editor, const VentrixApi &ventrix, Operator &op, const std::string &text,
                      CustomerRecord *customer) {
  const std::optional<SettingsFileContent> file = ParseSettingsFile(ventrix, text);
  if (!file) {
    op.Message(kFormatCaption, kFormatText, Icon::Error);
    return false;
  }
  const std::string_view model = MachineTypeOf(file->image);
  if (model.empty()) {
    // The refused bytes stay out of the working image: the window still shows, and a
    // write would still send, what was loaded before.
    op.Message(kErrorCaption, kNoModel, Icon::Error);
    return false;
  }
  editor.LoadedImage = file->image;
  editor.Image = file->image;
  SetFileModel(editor, model);
  editor.ShowValue();
  ShowFileIdentity(editor);
  editor.MachineTypeChange();
  if (customer) *customer = ReadCustomerBlock(file->customerText);
  op.Message(kOpenCaption, kOpened, Icon::Information);
  return true;
}

}  // namespace rilo
