// The identity page in the unit's top flash segment: serial number and date brought
// up to date with a save-erase-restore of the segment, which is the smallest erase.
#include <algorithm>
#include <array>
#include <span>

#include "link/loader.h"
#include "link/read_back.h"

namespace rilo {
namespace {

constexpr std::array<uint16_t, 3> kTopPageAddresses = {0xFE00, 0xFE80, 0xFF00};
constexpr uint32_t kPageWriteWaitMs = 100;
constexpr uint16_t kVectorsPage = 0xFF80;  // the page whose last 32 bytes are the vectors
constexpr size_t kVectorsOffset = 96;

}  // namespace

Loader::IdentityUpdate Loader::PrepareIdentityPage(const IdentityFields &fields) {
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
  return IdentityUpdate::Prepared;
}

bool Loader::EraseTopSegment(uint16_t segment) {
  EnterLoader();
  // A refused password shows as a refused erase.
  static_cast<void>(SendPassword());
  return EraseSegment(segment);
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

Written Loader::PutVectors() {
  if (!WriteVectors()) return {Written::Ending::NotTaken};
  // The proof that the unit will start and open again: its own password opens it, and
  // the vector area reads back as written.
  const PageFrame identity = InfoPage;
  const ReadOutcome read = ReadPageOutcome(kVectorsPage);
  const PageFrame page = InfoPage;
  InfoPage = identity;
  if (read != ReadOutcome::Read) return {Written::Ending::NotTaken};
  const auto vectors = std::span(page).subspan(kPageData + kVectorsOffset, CurrentPassword.size());
  if (const auto at = FirstDifference(kVectorsPage + kVectorsOffset, CurrentPassword, vectors))
    return {Written::Ending::Differs, *at};
  // The unit opens with these vectors from now on, as a handshake would have found.
  if (CurrentPassword == productLine_.PasswordA)
    Opened = OpenedWith::PasswordA;
  else if (CurrentPassword == productLine_.PasswordB)
    Opened = OpenedWith::PasswordB;
  else if (CurrentPassword == productLine_.PasswordC)
    Opened = OpenedWith::PasswordC;
  return {};
}

Written Loader::PutBackTopSegment(const TopSegmentBackup &backup, bool pagesToo) {
  if (pagesToo) {
    SavedTopPages = backup.pages;
    InfoPage = backup.identity;
    if (Written restored = RestoreTopPages(0); !restored) return restored;
  }
  // The vectors go last: until they are back the unit would not start.
  const bool opened = OpenBlankLoader(true);
  CurrentPassword = backup.vectors;
  if (!opened) return {Written::Ending::NotTaken};
  return PutVectors();
}

}  // namespace rilo
