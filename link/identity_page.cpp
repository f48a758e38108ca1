// The identity page in the unit's top flash segment: serial number and date brought
// up to date with a save-erase-restore of the segment, which is the smallest erase.
#include <algorithm>
#include <array>

#include "core/conversion.h"
#include "link/loader.h"
#include "link/read_back.h"

namespace rilo {
namespace {

constexpr std::array<uint16_t, 3> kTopPageAddresses = {0xFE00, 0xFE80, 0xFF00};
constexpr uint32_t kPageWriteWaitMs = 100;
constexpr int kIdentityUnchangedProgress = 512;

constexpr const char *kRestoreErrorCaption = "寫入設定錯誤";
constexpr const char *kRestoreErrorText = "寫入設定錯誤,請再試一次";
// The restore belongs to a write: its read-back is told under the write's caption.
constexpr const char *kReadBackCaption = "寫入";

}  // namespace

bool Loader::UpdateIdentityPage(uint16_t segment, std::string_view serialText, std::string_view dateText) {
  IdentityUnchanged = 0;
  for (size_t i = 0; i < kTopPageAddresses.size(); ++i) {
    if (!ReadPage(kTopPageAddresses[i])) return false;
    SavedTopPages[i] = InfoPage;
  }
  if (!ReadPage(kInfoPageAddress)) return false;

  std::array<uint8_t, 8> serial;
  const std::string_view serialDigits = TrimBlanks(serialText);
  for (size_t i = 0; i < serial.size(); ++i)
    serial[i] = ventrix_.DeHamming(static_cast<uint8_t>(HexDigit(Part(serialDigits, i, 1))));
  const std::string_view date = TrimBlanks(dateText);
  const std::array<uint8_t, 3> dateBytes = {static_cast<uint8_t>(Decimal(Part(date, 2, 2))),
                                            static_cast<uint8_t>(Decimal(Part(date, 5, 2))),
                                            static_cast<uint8_t>(Decimal(Part(date, 8, 2)))};

  if (std::equal(serial.begin(), serial.end(), InfoPage.begin() + kSerialAt) &&
      std::equal(dateBytes.begin(), dateBytes.end(), InfoPage.begin() + kDateAt)) {
    person_.SetProgress(kIdentityUnchangedProgress);
    IdentityUnchanged = 1;
    return true;
  }
  std::copy(serial.begin(), serial.end(), InfoPage.begin() + kSerialAt);
  std::copy(dateBytes.begin(), dateBytes.end(), InfoPage.begin() + kDateAt);
  Seal(InfoPage.data(), InfoPage.size());

  // From the moment the erase goes out, the unit may be left without these pages.
  if (CurrentPassword != kErasedPassword)
    InterruptedUpdate = TopSegmentBackup{SavedTopPages, InfoPage, CurrentPassword};
  EnterLoader();
  SendPassword();
  return EraseSegment(segment);
}

bool Loader::RestorePage(const PageFrame &page) {
  if (PatchNeeded) StartPatch();
  link_.SendFrame(page.data(), page.size());
  link_.WaitReply(kPageWriteWaitMs, 1);
  if (!Accepted()) return false;
  SendSync();
  return Accepted();
}

bool Loader::RestoreTopPages() {
  // The segment is blank now: only the erased-device password opens the loader.
  EnterLoader();
  SendDefaultPassword();
  if (PatchNeeded) {
    StartRomLoader();
    SendDefaultPassword();
    SendLoaderPatch();
  }
  PageFrame identity = InfoPage;
  if (PageAddress(identity) == kInfoPageAddress) {
    if (machineType_ == "12") identity[kMarkerAt] = 0xAA;
    if (machineType_ == "10") identity[kMarkerAt] = 0xAC;
    Seal(identity.data(), identity.size());
  }
  const std::array<const PageFrame *, 4> pages = {&SavedTopPages[0], &SavedTopPages[1], &SavedTopPages[2],
                                                  &identity};
  // The first page the unit does not take ends the restore: the rest would land on
  // a loader that is no longer listening.
  for (const PageFrame *page : pages) {
    if (!RestorePage(*page)) {
      person_.Message(kRestoreErrorCaption, kRestoreErrorText, Icon::Error);
      return false;
    }
  }
  for (const PageFrame *page : pages) {
    std::array<uint8_t, 128> readBack;
    if (ReadBack(PageAddress(*page), readBack) != ReadOutcome::Read) {
      person_.Message(kRestoreErrorCaption, kRestoreErrorText, Icon::Error);
      return false;
    }
    if (!MatchesReadBack(person_, kReadBackCaption, PageAddress(*page),
                         std::span(*page).subspan(kPageData, readBack.size()), readBack))
      return false;
  }
  return true;
}

bool Loader::FinishInterruptedUpdate() {
  if (!InterruptedUpdate || CurrentPassword != kErasedPassword) return true;
  const TopSegmentBackup backup = *InterruptedUpdate;
  if (InfoPage[kMarkerAt] == 0xFF) {
    SavedTopPages = backup.pages;
    InfoPage = backup.identity;
    if (!RestoreTopPages()) return false;
  }
  // The vectors go last; until they are back the unit would not start.
  EnterLoader();
  SendDefaultPassword();
  if (PatchNeeded) {
    StartRomLoader();
    SendDefaultPassword();
    SendLoaderPatch();
    StartPatch();
  }
  CurrentPassword = backup.vectors;
  if (!WriteVectors()) {
    CurrentPassword = kErasedPassword;
    person_.Message(kRestoreErrorCaption, kRestoreErrorText, Icon::Error);
    return false;
  }
  InterruptedUpdate.reset();
  return true;
}

}  // namespace rilo
