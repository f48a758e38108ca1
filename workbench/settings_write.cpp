// Writing the working settings into a unit, with the identity page on the factory path.
#include "workbench/settings_write.h"

#include <algorithm>
#include <span>

#include "core/conversion.h"
#include "link/read_back.h"
#include "workbench/unfinished_work.h"

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
constexpr const char *kNoVectors =
    "這台機器的重置向量是空的 (程式沒有燒錄完成),機器無法啟動,請重新燒錄韌體!!";
constexpr const char *kBlankBlock0 = "這台機器的設定區塊 0 是空的,無法保留,機器未被更動!!";
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
  if (!SettleUnfinishedWork(steps_)) {
    steps_.person.SetProgress(kFailedProgress);
    return false;
  }
  // Settings written into a unit that cannot start would pass for a working unit.
  if (steps_.loader.Opened == OpenedWith::Erased) {
    steps_.person.SetProgress(kFailedProgress);
    steps_.person.Message(kWriteCaption, kNoVectors, Icon::Error);
    return false;
  }

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
  // Two receivers with one ID code would answer each other's transmitters.
  if (steps_.loader.UnitRole() == "Rx" && !steps_.IdCodeMayGo(idText, serialText)) return false;

  if (factory) {
    const IdentityFields fields = steps_.IdentityFieldsOf(serialText, steps_.editor.form.EEqupmentDate.text);
    if (!EraseAndWriteBlocks(keepUnitBlock0, idText, serialText)) return failed();
    Loader &loader = steps_.loader;
    const Loader::IdentityUpdate update = loader.PrepareIdentityPage(fields);
    if (update == Loader::IdentityUpdate::Unchanged) {
      if (!steps_.journal.Close()) {
        steps_.TellJournalRefused();
        return false;
      }
      steps_.person.SetProgress(kIdentityUnchangedProgress);
      return true;
    }
    if (update != Loader::IdentityUpdate::Prepared) return failed();
    // From the moment the erase goes out, the unit is without its top pages and its
    // vectors: what puts them back is kept first.
    const uint8_t marker = steps_.MarkerOfType();
    if (!steps_.journal.AddTopSegment({loader.SavedTopPages,
                                       steps_.MarkedIdentityPage(loader.InfoPage, marker),
                                       loader.CurrentPassword})) {
      steps_.TellJournalRefused();
      return failed();
    }
    if (!loader.EraseTopSegment(kTopSegment)) return failed();
    steps_.person.StepProgress();
    if (!steps_.Restored(loader.RestoreTopPages(marker))) return failed();
    // The erase took the vector area too, and with it the unit's reset vector: put
    // back the vectors it opened with (its password), or it would no longer start.
    if (loader.PatchNeeded && !loader.StartPatch()) return failed();
    const Written vectors = loader.PutVectors();
    if (vectors.ending == Written::Ending::Differs) steps_.TellDifference(kWriteCaption, vectors.differsAt);
    if (!vectors) return failed();
    if (!steps_.journal.Close()) {
      steps_.TellJournalRefused();
      return false;
    }
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
  if (!EraseAndWriteBlocks(keepUnitBlock0, idText, serialText)) return failed();
  if (!steps_.journal.Close()) {
    steps_.TellJournalRefused();
    return false;
  }
  steps_.person.SetProgress(100);
  return true;
}

// Both settings blocks erased, then written from the working image (block 1 stamped
// on the way) and read back; false when the unit refuses an erase or a block, or its
// block 0 cannot be kept. What the blocks must hold is in the journal before the erase.
bool SettingsWrite::EraseAndWriteBlocks(bool keepUnitBlock0, const std::string &idText,
                                        const std::string &serialText) {
  Loader &loader = steps_.loader;
  // Block 0 belongs to the unit. A settings file does not carry it (and nothing loaded
  // holds zeros there): keep the unit's own rather than wipe it.
  if (keepUnitBlock0) {
    if (loader.ReadSettingsBlock(0, BlockOf(unitSettings_, 0)) != ReadOutcome::Read) return false;
    // A blank block 0 is what an erase left behind, not the unit's own: kept, it would be lost.
    if (std::all_of(unitSettings_.begin(), unitSettings_.begin() + kBlock1,
                    [](uint8_t b) { return b == 0xFF; })) {
      steps_.person.Message(kWriteCaption, kBlankBlock0, Icon::Error);
      return false;
    }
    std::copy_n(unitSettings_.begin(), kBlock1, steps_.editor.Image.begin());
  }
  const std::optional<SettingsImage> written = steps_.WrittenBlocks();
  if (!written) return false;
  if (!steps_.journal.Open("write", loader, std::string(TrimBlanks(idText)),
                           std::string(TrimBlanks(serialText)), *written)) {
    steps_.TellJournalRefused();
    return false;
  }
  if (!loader.EraseSettingsBlock(1)) return false;
  steps_.person.StepProgress();
  if (!loader.EraseSettingsBlock(0)) return false;
  steps_.person.StepProgress();
  steps_.journal.IdentityGoesOut();
  if (!loader.WriteSettingsBlock(1, BlockOf(*written, 1))) return false;
  steps_.person.StepProgress();
  if (!loader.WriteSettingsBlock(0, BlockOf(*written, 0))) return false;
  steps_.person.StepProgress();
  return BlocksTook(*written);
}

// Both blocks read back and compared with what went out.
bool SettingsWrite::BlocksTook(const SettingsImage &written) {
  SettingsImage readBack{};
  for (int block : {1, 0}) {
    if (steps_.loader.ReadBack(block == 0 ? kSettingsBlock0 : kSettingsBlock1, BlockOf(readBack, block)) !=
        ReadOutcome::Read)
      return false;
  }
  if (const auto at = FirstDifference(kSettingsBlock0, written, readBack)) {
    steps_.TellDifference(kWriteCaption, *at);
    return false;
  }
  return true;
}

}  // namespace rilo
