// Work not yet in a file: offered for saving before anything replaces it, so a closed
// window or a new read never throws away a firmware read or an edited page.
#include "workbench/command_scope.h"
#include "workbench/file_messages.h"

namespace rilo {
namespace {

constexpr const char *kUnsavedQuestion = "尚未存檔,是否先存檔?";

}  // namespace

Workbench::Work Workbench::CurrentWork() const {
  const Form &form = editor_.form;
  return {editor_.Image, form.EEqupmentID.text, form.EEqupmentSN.text, form.EEqupmentDate.text, customer_};
}

bool Workbench::UnsavedWork() const {
  // Without a model the save command refuses: nothing could be saved to keep.
  return firmwareUnsaved_ || (!editor_.MachineType.empty() && CurrentWork() != keptWork_);
}

bool Workbench::OfferToSave(FileDialogs &dialogs) {
  if (commandRunning_) return false;
  if (!UnsavedWork()) return true;
  switch (op_.Choose(file_messages::kSaveCaption, kUnsavedQuestion, Icon::Information)) {
    case Choice::Yes:
      return NSavefileClick(dialogs).done;
    case Choice::No:
      return true;
    case Choice::Cancel:
      break;
  }
  return false;
}

}  // namespace rilo
