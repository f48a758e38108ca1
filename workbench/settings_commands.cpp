// Reading a unit's settings into the window and writing them back, with the identity
// page on the factory path.
#include <algorithm>
#include <span>

#include "core/conversion.h"
#include "link/read_back.h"
#include "workbench/command_scope.h"
#include "workbench/unit_messages.h"

namespace rilo {
namespace {

constexpr const char *kReadCaption = "讀取";
constexpr const char *kReadDone = "讀取設定完成!!";
constexpr const char *kReadErrorCaption = "讀取錯誤";
constexpr const char *kReadError = "讀取設定錯誤,請再試一次!!";
constexpr const char *kWriteCaption = "寫入";
constexpr const char *kWriteDone = "寫入設定完成!!";
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

std::span<uint8_t, 128> BlockOf(SettingsImage &image, int block) {
  return std::span<uint8_t, 128>(image.data() + block * kBlock1, 128);
}

}  // namespace

Outcome Workbench::NLoadSetClick() {
  return Run("讀取設定", true, [this] { return ReadSettings(); });
}

bool Workbench::ReadSettings() {
  op_.SetProgress(0);
  op_.SetProgressMax(4);
  bool read = steps_.Connect(flags_.Factory == 1);
  if (read) {
    loader_.IdentifyDevice();
    op_.StepProgress();
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
  return Run("寫入設定", true, [this] {
    op_.SetProgress(0);
    op_.SetProgressMax(13);
    if (!WriteSettings()) return false;
    op_.Message(kWriteCaption, kWriteDone, Icon::Information);
    return true;
  });
}

// The steps of a settings write up to its last exchange. False when the command ends
// without its success message; the messages of a failure are shown here.
bool Workbench::WriteSettings() {
  auto failed = [this] {
    op_.SetProgress(kFailedProgress);
    op_.Message(kWriteCaption, kWriteFailed, Icon::Error);
    return false;
  };
  if (!steps_.Connect(flags_.Factory == 1)) return failed();
  loader_.IdentifyDevice();
  op_.StepProgress();
  if (!steps_.Restored(loader_.FinishInterruptedUpdate(steps_.MarkerOfType()))) return failed();

  // A page lost on the line is no verdict on the unit's model.
  if (loader_.ReadPageOutcome(kInfoPageAddress) != ReadOutcome::Read) {
    steps_.TellConnectionFailed();
    return failed();
  }
  const std::string_view markerType = TypeOfMarker(loader_.InfoPage[kMarkerAt]);
  if (markerType.empty() || markerType != editor_.MachineType) {
    op_.SetProgress(kFailedProgress);
    op_.Message(kWriteCaption, kWrongModel, Icon::Error);
    return false;
  }

  editor_.MakeCompleteCode();
  const std::string idText = editor_.form.EEqupmentID.text;
  const std::string serialText = editor_.form.EEqupmentSN.text;
  const bool factory = flags_.Factory == 1;
  if (TrimBlanks(editor_.form.EEqupmentDate.text) == kEmptyDate) {
    if (!factory) {
      op_.Message(kWriteErrorCaption, kNoDate, Icon::Error);
      return false;
    }
    editor_.EEqupmentDateClick();
  }
  steps_.StoreIdCode(idText);

  if (factory) {
    const IdentityFields fields = steps_.IdentityFieldsOf(serialText, editor_.form.EEqupmentDate.text);
    if (!EraseAndWriteBlocks()) return failed();
    const Loader::IdentityUpdate update = loader_.UpdateIdentityPage(kTopSegment, fields);
    if (update == Loader::IdentityUpdate::Unchanged) {
      op_.SetProgress(kIdentityUnchangedProgress);
      return true;
    }
    if (update != Loader::IdentityUpdate::Erased) return failed();
    op_.StepProgress();
    if (!steps_.Restored(loader_.RestoreTopPages(steps_.MarkerOfType()))) return failed();
    // The erase took the vector area too, and with it the unit's reset vector: put
    // back the vectors it opened with (its password), or it would no longer start.
    // The vectors' own answer is the verdict on the patch start.
    if (loader_.PatchNeeded) static_cast<void>(loader_.StartPatch());
    if (!loader_.WriteVectors()) return failed();
    loader_.InterruptedUpdate.reset();
    op_.StepProgress();
    return true;
  }

  if (flags_.IDCODE == 0) {
    // The question guards the unit's identity: without the unit's own block 1 there is
    // nothing to compare with, and the write must not go on.
    if (loader_.ReadSettingsBlock(1, BlockOf(deviceSettings_, 1)) != ReadOutcome::Read) {
      op_.SetProgress(kFailedProgress);
      op_.Message(kReadErrorCaption, kReadError, Icon::Error);
      return false;
    }
    const auto mine = editor_.Image.begin() + kBlock1;
    const auto theirs = deviceSettings_.begin() + kBlock1;
    if (!std::equal(mine, mine + 8, theirs) && !op_.Ask(kWriteCaption, kOverwriteId, Icon::Information))
      return false;
  }
  if (!EraseAndWriteBlocks()) return failed();
  op_.SetProgress(100);
  return true;
}

// Both settings blocks erased, then written from the working image (block 1 stamped
// on the way); false when the unit refuses an erase or a block, or its block 0 cannot
// be kept.
bool Workbench::EraseAndWriteBlocks() {
  // Block 0 belongs to the unit. A settings file does not carry it (and nothing loaded
  // holds zeros there): keep the unit's own rather than wipe it.
  if (loadedSource_ == LoadedSource::Nothing || loadedSource_ == LoadedSource::SettingsFile) {
    if (loader_.ReadSettingsBlock(0, BlockOf(deviceSettings_, 0)) != ReadOutcome::Read) return false;
    std::copy_n(deviceSettings_.begin(), kBlock1, editor_.Image.begin());
  }
  if (!loader_.EraseSettingsBlock(1)) return false;
  op_.StepProgress();
  if (!loader_.EraseSettingsBlock(0)) return false;
  op_.StepProgress();
  if (!steps_.WriteBlock(1)) return false;
  op_.StepProgress();
  if (!steps_.WriteBlock(0)) return false;
  op_.StepProgress();
  return BlocksTook();
}

// Both blocks read back and compared with what went out, block 1 with the check-word
// routine in place of its bytes 104..121.
bool Workbench::BlocksTook() {
  SettingsImage readBack{};
  for (int block : {1, 0}) {
    if (loader_.ReadBack(block == 0 ? kSettingsBlock0 : kSettingsBlock1, BlockOf(readBack, block)) !=
        ReadOutcome::Read)
      return false;
  }
  SettingsImage sent = editor_.Image;
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(),
            sent.begin() + kBlock1 + kCheckWordRoutineOffset);
  if (const auto at = FirstDifference(kSettingsBlock0, sent, readBack)) {
    steps_.TellDifference(kWriteCaption, *at);
    return false;
  }
  return true;
}

}  // namespace rilo
