// The journal of the unit command that runs now, in the ledger: opened, durably, before
// the command's first erase with what the unit must hold afterwards, added to before a
// later erase, and closed once the command has read back what it wrote. A run without
// a ledger keeps no journal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ledger/ledger.h"
#include "link/loader.h"
#include "settings/settings_image.h"

namespace rilo {

// Where this run's commands reach their unit: this host, the port as named, its device.
struct BenchPlace {
  std::string bench, port, device;
};

class UnitJournal {
 public:
  void Use(Ledger *ledger, BenchPlace place) {
    ledger_ = ledger;
    place_ = std::move(place);
  }
  Ledger *ledger() const { return ledger_; }
  const BenchPlace &place() const { return place_; }

  // Opens the entry of `command` on the unit the loader identified, holding `blocks` (the
  // 256 bytes both settings blocks must hold). False when the ledger refused it: the
  // erase must not go out; `problem()` says why.
  // A burn's entry holds the firmware's used page frames too.
  bool Open(const std::string &command, const Loader &unit, const std::string &id, const std::string &serial,
            const SettingsImage &blocks, const Bytes &firmware = {});
  // Adds what an erase of the top segment takes, before it goes out; false as Open.
  bool AddTopSegment(const Loader::TopSegmentBackup &backup);
  // The command read back all it wrote: the entry is done with. False as Open.
  bool Close();
  // A burn that ended well on this bench and port made its unit whole: the entries of
  // burns stopped here before, on a unit of this chip and loader, are done with too
  // (their unit was burned again; they put nothing back of their own). False as Open.
  bool CloseEarlierBurns(const Loader &unit);
  const std::string &problem() const { return problem_; }
  // Since `Begin`, the command may have put its ID code into the unit (a receiver that
  // fails after that keeps the code; one that fails before gives it back).
  void Begin() { identitySent_ = false; }
  void IdentityGoesOut() { identitySent_ = true; }
  bool identitySent() const { return identitySent_; }

 private:
  template <class Work>
  bool Keep(Work work);

  Ledger *ledger_ = nullptr;
  BenchPlace place_;
  std::optional<JournalEntry> entry_;
  std::string problem_;
  bool identitySent_ = false;
};

// An ID code's text ("12000030") as the ledger keeps it; nothing unless eight digits.
std::optional<int64_t> IdCodeNumber(std::string_view text);

// The parts of an entry as the loader takes them.
Loader::TopSegmentBackup TopSegmentOf(const JournalEntry &entry);
bool HoldsTopSegment(const JournalEntry &entry);

}  // namespace rilo
