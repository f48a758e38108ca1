// Writing the working settings into a unit, with the identity page on the factory path.
#include "workbench/settings_write.h"

#include <algorithm>
#include <span>

#include "core/conversion.h"
#include "link/read_back.h"

namespace rilo {
namespace {

constexpr const char *kReadErrorCaption = "讀取錯誤";
constexpr const char *kReadError = "讀取設定錯誤,請再試一次!!";
constexpr const char *kWriteCaption = "寫入";
constexpr const char *kWriteFailed = "寫入設定失敗!!";
constexpr const char *kWrongModel = "寫入失敗,請確認您的機型!!";
constexpr const char *kWriteErrorCaption = "寫入錯誤";
constexpr const char *kNoDate = "請先讀取設定或載入檔案!!";
constexpr const char *kOverwriteId = "ID-CODE與原先不符,是否要覆蓋原有的ID-CODE?";
constexpr const char *kEmptyDate = "20  /  /";
constexpr int kFailedProgress = 7;
constexpr int kIdentityUnchangedProgress = 512;
constexpr uint16_t kTopSegment = 0xFE00;
constexpr uint16_t kSettingsBlock0 = 0x1000;
constexpr uint16_t kSettingsBlock1 = 0x1080;

// The machine type a unit's model marker stands for.
std::string_view TypeOfMarker(uint8_t marker) {
  if (marker == 0xAA) return "12";
  if (marker == 0xAC) return "10";
  return {};
}

}  // namespace

// The steps of a settings write up to its last exchange. False when the command ends
// without its success message; the messages of a failure are shown here.
bool SettingsWrite::Run(bool factory, bool askBeforeIdChange, bool keepUnitBlock0) {
  auto failed = [this] {
    steps_.person.SetProgress(kFailedProgress);
    steps_.person.Message(kWriteCaption, kWriteFailed, Icon::Error);
    return false;
  };
  if (!steps_.Connect(factory)) return failed();
  steps_.loader.IdentifyDevice();
  steps_.person.StepProgress();
  if (!steps_.Restored(steps_.loader.FinishInterruptedUpdate(steps_.MarkerOfType()))) return failed();

  // A page lost on the line is no verdict on the unit's model.
  if (steps_.loader.ReadPageOutcome(kInfoPageAddress) != ReadOutcome::Read) {
    steps_.TellConnectionFailed();
    return failed();
  }
  const std::string_view markerType = TypeOfMarker(steps_.loader.InfoPage[kMarkerAt]);
  if (markerType.empty() || markerType != steps_.editor.MachineType) {
    steps_.person.SetProgress(kFailedProgress);
    steps_.person.Message(kWriteCaption, kWrongModel, Icon::Error);
    return false;
  }

  steps_.editor.MakeCompleteCode();
  const std::string idText = steps_.editor.form.EEqupmentID.text;
  const std::string serialText = steps_.editor.form.EEqupmentSN.text;
  if (TrimBlanks(steps_.editor.form.EEqupmentDate.text) == kEmptyDate) {
    if (!factory) {
      steps_.person.Message(kWriteErrorCaption, kNoDate, Icon::Error);
      return false;
    }
    steps_.editor.EEqupmentDateClick();
  }
  steps_.StoreIdCode(idText);

  if (factory) {
    const IdentityFields fields = steps_.IdentityFieldsOf(serialText, steps_.editor.form.EEqupmentDate.text);
    if (!EraseAndWriteBlocks(keepUnitBlock0)) return failed();
    const Loader::IdentityUpdate update = steps_.loader.UpdateIdentityPage(kTopSegment, fields);
    if (update == Loader::IdentityUpdate::Unchanged) {
      steps_.person.SetProgress(kIdentityUnchangedProgress);
      return true;
    }
    if (update != Loader::IdentityUpdate::Erased) return failed();
    steps_.person.StepProgress();
    if (!steps_.Restored(steps_.loader.RestoreTopPages(steps_.MarkerOfType()))) return failed();
    // The erase took the vector area too, and with it the unit's reset vector: put
    // back the vectors it opened with (its password), or it would no longer start.
    // They are not read back, so the patch they go through must have started.
    if (steps_.loader.PatchNeeded && !steps_.loader.StartPatch()) return failed();
    if (!steps_.loader.WriteVectors()) return failed();
    steps_.loader.InterruptedUpdate.reset();
    steps_.person.StepProgress();
    return true;
  }

  if (askBeforeIdChange) {
    // The question guards the unit's identity: without the unit's own block 1 there is
    // nothing to compare with, and the write must not go on.
    if (steps_.loader.ReadSettingsBlock(1, BlockOf(unitSettings_, 1)) != ReadOutcome::Read) {
      steps_.person.SetProgress(kFailedProgress);
      steps_.person.Message(kReadErrorCaption, kReadError, Icon::Error);
      return false;
    }
    const auto mine = steps_.editor.Image.begin() + kBlock1;
    const auto theirs = unitSettings_.begin() + kBlock1;
    if (!std::equal(mine, mine + 8, theirs) &&
        !steps_.person.Ask(kWriteCaption, kOverwriteId, Icon::Information))
      return false;
  }
  if (!EraseAndWriteBlocks(keepUnitBlock0)) return failed();
  steps_.person.SetProgress(100);
  return true;
}

// Both settings blocks erased, then written from the working image (block 1 stamped
// on the way); false when the unit refuses an erase or a block, or its block 0 cannot
// be kept.
bool SettingsWrite::EraseAndWriteBlocks(bool keepUnitBlock0) {
  // Block 0 belongs to the unit. A settings file does not carry it (and nothing loaded
  // holds zeros there): keep the unit's own rather than wipe it.
  if (keepUnitBlock0) {
    if (steps_.loader.ReadSettingsBlock(0, BlockOf(unitSettings_, 0)) != ReadOutcome::Read) return false;
    std::copy_n(unitSettings_.begin(), kBlock1, steps_.editor.Image.begin());
  }
  if (!steps_.loader.EraseSettingsBlock(1)) return false;
  steps_.person.StepProgress();
  if (!steps_.loader.EraseSettingsBlock(0)) return false;
  steps_.person.StepProgress();
  if (!steps_.WriteBlock(1)) return false;
  steps_.person.StepProgress();
  if (!steps_.WriteBlock(0)) return false;
  steps_.person.StepProgress();
  return BlocksTook();
}

// Both blocks read back and compared with what went out, block 1 with the check-word
// routine in place of its bytes 104..121.
bool SettingsWrite::BlocksTook() {
  SettingsImage readBack{};
  for (int block : {1, 0}) {
    if (steps_.loader.ReadBack(block == 0 ? kSettingsBlock0 : kSettingsBlock1, BlockOf(readBack, block)) !=
        ReadOutcome::Read)
      return false;
  }
  SettingsImage sent = steps_.editor.Image;
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(),
            sent.begin() + kBlock1 + kCheckWordRoutineOffset);
  if (const auto at = FirstDifference(kSettingsBlock0, sent, readBack)) {
    steps_.TellDifference(kWriteCaption, *at);
    return false;
  }
  return true;
}

}  // namespace rilo
