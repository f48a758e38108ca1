// Reading a unit's settings into the window, and the command that writes them back.
#include <span>

#include "workbench/command_scope.h"
#include "workbench/settings_write.h"
#include "workbench/unfinished_work.h"
#include "workbench/unit_messages.h"

namespace rilo {
namespace {

constexpr const char *kReadCaption = "讀取";
constexpr const char *kReadDone = "讀取設定完成!!";
constexpr const char *kReadErrorCaption = "讀取錯誤";
constexpr const char *kReadError = "讀取設定錯誤,請再試一次!!";
constexpr const char *kWriteCaption = "寫入";
constexpr const char *kWriteDone = "寫入設定完成!!";

}  // namespace

Outcome Workbench::NLoadSetClick() {
  Outcome outcome = RunOnUnit("讀取設定", "read", [this] { return ReadSettings(); });
  if (outcome.done) WorkKept();
  return outcome;
}

bool Workbench::ReadSettings() {
  op_.SetProgress(0);
  op_.SetProgressMax(4);
  bool read = steps_.Connect(flags_.Factory == 1);
  if (read) {
    loader_.IdentifyDevice();
    op_.StepProgress();
    // Work a stopped command left is finished (or the unit left alone) before the read.
    if (!SettleUnfinishedWork(steps_)) {
      view_.saveDefaultExt = "rilo";
      view_.saveFilter = "RILO Format [*.rilo]";
      return false;
    }
    read = loader_.ReadSettingsBlock(1, BlockOf(deviceSettings_, 1)) == ReadOutcome::Read;
    if (read) op_.StepProgress();
    read = read && loader_.ReadSettingsBlock(0, BlockOf(deviceSettings_, 0)) == ReadOutcome::Read;
  }
  if (read) {
    op_.StepProgress();
    editor_.LoadedImage = deviceSettings_;
    editor_.Image = deviceSettings_;
    op_.StepProgress();
    op_.Message(kReadCaption, kReadDone, Icon::Information);
    loadedSource_ = LoadedSource::UnitSettings;
    editor_.ShowValue();
    editor_.MachineType = MachineTypeOf(editor_.LoadedImage);
    if (!editor_.MachineType.empty()) editor_.MachineTypeChange();
    editor_.IdentityShown = 0;
  } else {
    op_.Message(kReadErrorCaption, kReadError, Icon::Error);
  }
  view_.saveDefaultExt = "rilo";
  view_.saveFilter = "RILO Format [*.rilo]";
  return read;
}

Outcome Workbench::NWriteSetClick() {
  Outcome outcome = RunOnUnit("寫入設定", "write", [this] {
    op_.SetProgress(0);
    op_.SetProgressMax(13);
    const bool keepUnitBlock0 =
        loadedSource_ == LoadedSource::Nothing || loadedSource_ == LoadedSource::SettingsFile;
    if (!SettingsWrite(steps_, deviceSettings_).Run(flags_.Factory == 1, flags_.IDCODE == 0, keepUnitBlock0))
      return false;
    op_.Message(kWriteCaption, kWriteDone, Icon::Information);
    return true;
  });
  // The unit holds the settings now: nothing is lost if the window goes.
  if (outcome.done) WorkKept();
  return outcome;
}

}  // namespace rilo
