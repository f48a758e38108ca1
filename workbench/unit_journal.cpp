#include "workbench/unit_journal.h"

#include <algorithm>

#include "ledger/utc_time.h"

namespace rilo {

template <class Work>
bool UnitJournal::Keep(Work work) {
  if (!ledger_) return true;
  try {
    work();
    return true;
  } catch (const DatabaseError &e) {
    problem_ = e.what();
    return false;
  }
}

bool UnitJournal::Open(const std::string &command, const Loader &unit, const std::string &id,
                       const std::string &serial, const SettingsImage &blocks, const Bytes &firmware) {
  entry_.reset();
  return Keep([&] {
    JournalEntry entry;
    entry.opened = UtcNow();
    entry.bench = place_.bench;
    entry.port = place_.port;
    entry.device = place_.device;
    entry.command = command;
    entry.chip.assign(unit.ChipId.begin(), unit.ChipId.end());
    entry.loaderVersion = unit.LoaderVersion;
    entry.id = id;
    entry.serial = serial;
    entry.blocks.assign(blocks.begin(), blocks.end());
    entry.firmware = firmware;
    entry.number = ledger_->OpenEntry(entry);
    entry_ = std::move(entry);
  });
}

bool UnitJournal::AddTopSegment(const Loader::TopSegmentBackup &backup) {
  return Keep([&] {
    JournalEntry &entry = entry_.value();
    entry.topPages.clear();
    for (const PageFrame &page : backup.pages)
      entry.topPages.insert(entry.topPages.end(), page.begin(), page.end());
    entry.identity.assign(backup.identity.begin(), backup.identity.end());
    entry.vectors.assign(backup.vectors.begin(), backup.vectors.end());
    ledger_->UpdateEntry(entry);
  });
}

bool UnitJournal::Close() {
  return Keep([&] {
    if (entry_) ledger_->CloseEntry(entry_->number);
    entry_.reset();
  });
}

std::optional<int64_t> IdCodeNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(std::string(text));
}

bool UnitJournal::CloseEarlierBurns(const Loader &unit) {
  return Keep([&] {
    for (const JournalEntry &e : ledger_->OpenEntries()) {
      const bool burn = e.command.starts_with("write-firmware");
      const bool here = e.bench == place_.bench && e.port == place_.port;
      const bool sameUnitKind =
          std::equal(e.chip.begin(), e.chip.end(), unit.ChipId.begin(), unit.ChipId.end()) &&
          e.loaderVersion == unit.LoaderVersion;
      if (burn && here && sameUnitKind) ledger_->CloseEntry(e.number);
    }
  });
}

bool HoldsTopSegment(const JournalEntry &entry) {
  return entry.topPages.size() == 3 * size_t{kPageSize} && entry.identity.size() == size_t{kPageSize} &&
         entry.vectors.size() == sizeof(VectorTable);
}

Loader::TopSegmentBackup TopSegmentOf(const JournalEntry &entry) {
  Loader::TopSegmentBackup backup{};
  for (size_t i = 0; i < backup.pages.size(); ++i)
    std::copy_n(entry.topPages.begin() + static_cast<long>(i) * kPageSize, kPageSize,
                backup.pages[i].begin());
  std::copy_n(entry.identity.begin(), kPageSize, backup.identity.begin());
  std::copy_n(entry.vectors.begin(), backup.vectors.size(), backup.vectors.begin());
  return backup;
}

}  // namespace rilo
