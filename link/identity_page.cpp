// The identity page in the unit's top flash segment: serial number and date brought
// up to date with a save-erase-restore of the segment, which is the smallest erase.
#include <algorithm>
#include <array>

#include "link/loader.h"
#include "link/read_back.h"

namespace rilo {
namespace {

constexpr std::array<uint16_t, 3> kTopPageAddresses = {0xFE00, 0xFE80, 0xFF00};
constexpr uint32_t kPageWriteWaitMs = 100;

}  // namespace

Loader::IdentityUpdate Loader::UpdateIdentityPage(uint16_t segment, const IdentityFields &fields) {
  IdentityUnchanged = 0;
  for (size_t i = 0; i < kTopPageAddresses.size(); ++i) {
    if (ReadPageOutcome(kTopPageAddresses[i]) != ReadOutcome::Read) return IdentityUpdate::NotRead;
    SavedTopPages[i] = InfoPage;
  }
  if (ReadPageOutcome(kInfoPageAddress) != ReadOutcome::Read) return IdentityUpdate::NotRead;

  if (std::equal(fields.serial.begin(), fields.serial.end(), InfoPage.begin() + kSerialAt) &&
      std::equal(fields.date.begin(), fields.date.end(), InfoPage.begin() + kDateAt)) {
    IdentityUnchanged = 1;
    return IdentityUpdate::Unchanged;
  }
  std::copy(fields.serial.begin(), fields.serial.end(), InfoPage.begin() + kSerialAt);
  std::copy(fields.date.begin(), fields.date.end(), InfoPage.begin() + kDateAt);
  Seal(InfoPage.data(), InfoPage.size());

  // From the moment the erase goes out, the unit may be left without these pages.
  if (CurrentPassword != kErasedPassword)
    InterruptedUpdate = TopSegmentBackup{SavedTopPages, InfoPage, CurrentPassword};
  EnterLoader();
  // A refused password shows as a refused erase.
  static_cast<void>(SendPassword());
  return EraseSegment(segment) ? IdentityUpdate::Erased : IdentityUpdate::EraseRefused;
}

bool Loader::OpenBlankLoader(bool startPatch) {
  // The segment is blank: only the erased-device password opens the loader. Every step
  // is sent whatever the last one answered, as the unit expects the sequence whole.
  EnterLoader();
  bool took = SendDefaultPassword();
  if (!PatchNeeded) return took;
  took = StartRomLoader() && took;
  took = SendDefaultPassword() && took;
  took = SendLoaderPatch() && took;
  if (startPatch) took = StartPatch() && took;
  return took;
}

bool Loader::RestorePage(const PageFrame &page) {
  if (PatchNeeded) static_cast<void>(StartPatch());  // judged by the page's own answer
  link_.SendFrame(page.data(), page.size());
  link_.WaitReply(kPageWriteWaitMs, 1);
  if (!Accepted()) return false;
  SendSync();
  return Accepted();
}

Written Loader::RestoreTopPages(uint8_t marker) {
  // What the unit did not take of the way in shows in the page replies and the read-back.
  static_cast<void>(OpenBlankLoader(false));
  PageFrame identity = InfoPage;
  if (PageAddress(identity) == kInfoPageAddress && marker != 0) {
    identity[kMarkerAt] = marker;
    Seal(identity.data(), identity.size());
  }
  const std::array<const PageFrame *, 4> pages = {&SavedTopPages[0], &SavedTopPages[1], &SavedTopPages[2],
                                                  &identity};
  // The first page the unit does not take ends the restore: the rest would land on
  // a loader that is no longer listening.
  for (const PageFrame *page : pages)
    if (!RestorePage(*page)) return {Written::Ending::NotTaken};
  for (const PageFrame *page : pages) {
    std::array<uint8_t, 128> readBack;
    if (ReadBack(PageAddress(*page), readBack) != ReadOutcome::Read) return {Written::Ending::NotTaken};
    if (const auto at = FirstDifference(PageAddress(*page),
                                        std::span(*page).subspan(kPageData, readBack.size()), readBack))
      return {Written::Ending::Differs, *at};
  }
  return {};
}

Written Loader::FinishInterruptedUpdate(uint8_t marker) {
  if (!InterruptedUpdate || CurrentPassword != kErasedPassword) return {};
  const TopSegmentBackup backup = *InterruptedUpdate;
  if (InfoPage[kMarkerAt] == 0xFF) {
    SavedTopPages = backup.pages;
    InfoPage = backup.identity;
    if (Written restored = RestoreTopPages(marker); !restored) return restored;
  }
  // The vectors go last; until they are back the unit would not start. They are not
  // read back, so every step on the way to them must have been taken.
  const bool opened = OpenBlankLoader(true);
  CurrentPassword = backup.vectors;
  if (!opened || !WriteVectors()) {
    CurrentPassword = kErasedPassword;
    return {Written::Ending::NotTaken};
  }
  InterruptedUpdate.reset();
  return {};
}

}  // namespace rilo
