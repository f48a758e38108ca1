#include "workbench/unfinished_work.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "link/read_back.h"

namespace rilo {
namespace {

constexpr uint16_t kSettingsBlock0 = 0x1000;
constexpr size_t kSettingsBytes = sizeof(SettingsImage);

bool Blank(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xFF; });
}

// "2026-12-10T15:57:32Z" as a person reads it: "2026-12-10 15:57:32".
std::string TimeText(std::string time) {
  if (time.size() == 20) {
    time[10] = ' ';
    time.pop_back();
  }
  return time;
}

std::string EntryText(const JournalEntry &e) {
  return "日誌 #" + std::to_string(e.number) + ",時間 " + TimeText(e.opened) + " (UTC),工作站 " + e.bench +
         ",通信埠 " + e.port + ",ID-CODE " + (e.id.empty() ? "無" : e.id) + ",序號 " +
         (e.serial.empty() ? "無" : e.serial);
}

// The entry a unit lacking `topLacking` / `blocksLacking` most likely belongs to: one
// for the same chip and loader that would put back what is missing, from this bench and
// port before any other, the latest first.
const JournalEntry *EntryFor(const std::vector<JournalEntry> &entries, const Loader &unit,
                             const BenchPlace &place, bool topLacking, bool blocksLacking) {
  const JournalEntry *best = nullptr;
  for (const JournalEntry &e : entries) {
    if (!std::equal(e.chip.begin(), e.chip.end(), unit.ChipId.begin(), unit.ChipId.end()) ||
        e.loaderVersion != unit.LoaderVersion)
      continue;
    const bool fits = (topLacking && (HoldsTopSegment(e) || !e.firmware.empty())) ||
                      (blocksLacking && e.blocks.size() == kSettingsBytes);
    if (!fits) continue;
    const bool here = e.bench == place.bench && e.port == place.port;
    if (!best || (here && !(best->bench == place.bench && best->port == place.port))) best = &e;
  }
  return best;
}

// Both settings blocks erased and written as the entry holds them, then read back.
bool PutBackBlocks(UnitSteps &steps, const JournalEntry &entry) {
  Loader &loader = steps.loader;
  if (!loader.EraseSettingsBlock(1) || !loader.EraseSettingsBlock(0)) return false;
  for (int block : {1, 0}) {
    std::array<uint8_t, 128> data;
    std::copy_n(entry.blocks.begin() + block * 128, data.size(), data.begin());
    if (!loader.WriteSettingsBlock(block, data)) return false;
  }
  SettingsImage readBack{};
  for (int block : {1, 0})
    if (loader.ReadBack(static_cast<uint16_t>(kSettingsBlock0 + block * 128), BlockOf(readBack, block)) !=
        ReadOutcome::Read)
      return false;
  if (const auto at = FirstDifference(kSettingsBlock0, entry.blocks, readBack)) {
    steps.TellDifference(kUnfinishedCaption, *at);
    return false;
  }
  return true;
}

}  // namespace

bool SettleUnfinishedWork(UnitSteps &steps) {
  Ledger *ledger = steps.journal.ledger();
  if (!ledger) return true;
  Loader &loader = steps.loader;
  std::vector<JournalEntry> entries;
  try {
    entries = ledger->OpenEntries();
  } catch (const DatabaseError &e) {
    steps.person.Message(kUnfinishedCaption, std::string("無法使用生產紀錄: ") + e.what(), Icon::Error);
    return false;
  }
  const bool topLacking = loader.Opened == OpenedWith::Erased;
  if (!EntryFor(entries, loader, steps.journal.place(), true, true)) return true;

  // A settings block left blank shows only in the unit's own blocks.
  bool blocksLacking = false;
  SettingsImage unitBlocks{};
  for (int block : {0, 1}) {
    if (loader.ReadSettingsBlock(block, BlockOf(unitBlocks, block)) != ReadOutcome::Read) {
      steps.TellConnectionFailed();
      return false;
    }
    blocksLacking = blocksLacking || Blank(BlockOf(unitBlocks, block));
  }
  const JournalEntry *entry = EntryFor(entries, loader, steps.journal.place(), topLacking, blocksLacking);
  if (!entry) return true;

  const std::string lacking = topLacking ? "重置向量已被抹除,機器無法啟動" : "設定區塊是空的";
  if (!entry->firmware.empty()) {
    steps.person.Message(
        kUnfinishedCaption,
        "這台機器的韌體燒錄沒有完成 (" + lacking + "):\n" + EntryText(*entry) + "。\n請重新燒錄韌體!!",
        Icon::Error);
    return false;
  }
  if (!steps.person.Ask(kUnfinishedCaption,
                        "這台機器有未完成的工作 (" + lacking + "):\n" + EntryText(*entry) +
                            "。\n按確定補完這項工作,按取消則不更動這台機器。",
                        Icon::Information))
    return false;

  // The top pages only when the identity page went with the erase: pages put back over
  // a segment that still holds them would program nothing new, but cost their time.
  if (topLacking && HoldsTopSegment(*entry)) {
    const bool identityBlank = loader.InfoPage[kMarkerAt] == 0xFF;
    if (!steps.Restored(loader.PutBackTopSegment(TopSegmentOf(*entry), identityBlank))) return false;
  }
  if (entry->blocks.size() == kSettingsBytes && !PutBackBlocks(steps, *entry)) {
    steps.person.Message(kUnfinishedCaption, "補完未完成的工作失敗,請再試一次!!", Icon::Error);
    return false;
  }
  try {
    ledger->CloseEntry(entry->number);
  } catch (const DatabaseError &e) {
    steps.person.Message(kUnfinishedCaption, std::string("無法使用生產紀錄: ") + e.what(), Icon::Error);
    return false;
  }
  // What the handshake read of the identity page is the unit's own again.
  if (loader.ReadPageOutcome(kInfoPageAddress) != ReadOutcome::Read) {
    steps.TellConnectionFailed();
    return false;
  }
  steps.person.Message(kUnfinishedCaption,
                       "已補完未完成的工作 (日誌 #" + std::to_string(entry->number) + ")。",
                       Icon::Information);
  return true;
}

}  // namespace rilo
