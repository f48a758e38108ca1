// The steps every device command shares, as the person sees them: the handshake, the
// identity fields in the unit's form, and a write that did not take.
#include <algorithm>
#include <array>

#include "core/conversion.h"
#include "workbench/unit_messages.h"
#include "workbench/unit_steps.h"

namespace rilo {
namespace {

constexpr const char *kRestoreErrorCaption = "寫入設定錯誤";
constexpr const char *kRestoreErrorText = "寫入設定錯誤,請再試一次";
// The restore belongs to a write: its read-back is told under the write's caption.
constexpr const char *kRestoreReadBackCaption = "寫入";
// A block 1 write with no machine type to stamp it with.
constexpr const char *kNoModelCaption = "寫入錯誤";
constexpr const char *kNoModelText = "寫入錯誤,請確定要寫入的機型!!";
// The journal could not be kept: nothing is erased without it.
constexpr const char *kJournalRefusedCaption = "生產紀錄";
constexpr const char *kJournalRefusedText = "無法寫入生產紀錄,機器未被更動: ";

}  // namespace

bool UnitSteps::Connect(bool factory) {
  const Handshake handshake = loader.ConnectDevice();
  identityPage_ = loader.InfoPage;
  identityRead_ = handshake && handshake.identityPage == ReadOutcome::Read;
  if (handshake.ending == Handshake::Ending::NoPort) {
    person.Message(kConnectFailedCaption, kConnectFailedText, Icon::Information);
    return false;
  }
  if (handshake.ending == Handshake::Ending::NoAnswer) {
    person.Message(kConnectFailedCaption, kConnectFailedText, Icon::Error);
    return false;
  }
  ++handshakes;
  if (factory) return true;
  // An identity page lost or garbled on the line is a failed connection, not a unit of
  // an unknown model.
  if (handshake.identityPage != ReadOutcome::Read) {
    person.Message(kConnectFailedCaption, kConnectFailedText, Icon::Error);
    return false;
  }
  const uint8_t marker = loader.InfoPage[kMarkerAt];
  if (marker != 0xAA && marker != 0xAC) {
    // The person's unsaved work stays: the command fails instead of the tool ending.
    person.Message(kModelErrorCaption, kModelErrorText, Icon::Error);
    return false;
  }
  if (editor.MachineType.empty()) editor.MachineType = marker == 0xAA ? "12" : "10";
  editor.MachineTypeChange();
  return true;
}

IdentityFields UnitSteps::IdentityFieldsOf(std::string_view serialText, std::string_view dateText) const {
  IdentityFields fields;
  const std::string_view serialDigits = TrimBlanks(serialText);
  for (size_t i = 0; i < fields.serial.size(); ++i)
    fields.serial[i] = ventrix_.DeHamming(static_cast<uint8_t>(HexDigit(Part(serialDigits, i, 1))));
  const std::string_view date = TrimBlanks(dateText);
  fields.date = {static_cast<uint8_t>(Decimal(Part(date, 2, 2))),
                 static_cast<uint8_t>(Decimal(Part(date, 5, 2))),
                 static_cast<uint8_t>(Decimal(Part(date, 8, 2)))};
  return fields;
}

uint8_t UnitSteps::MarkerOfType() const {
  if (editor.MachineType == "12") return 0xAA;
  if (editor.MachineType == "10") return 0xAC;
  return 0;
}

void UnitSteps::TellDifference(const char *caption, uint16_t address) {
  person.Differs(address);
  person.Message(caption, ReadBackDiffersText(address), Icon::Error);
}

bool UnitSteps::Restored(Written written) {
  if (written.ending == Written::Ending::NotTaken)
    person.Message(kRestoreErrorCaption, kRestoreErrorText, Icon::Error);
  else if (written.ending == Written::Ending::Differs)
    TellDifference(kRestoreReadBackCaption, written.differsAt);
  return static_cast<bool>(written);
}

void UnitSteps::StoreIdCode(std::string_view idText) {
  const std::string_view digits = TrimBlanks(Part(idText, 2, std::string_view::npos));
  for (size_t i = 0; i < 6; ++i)
    B1(editor.Image, 2 + static_cast<int>(i)) =
        ventrix_.DeHamming(static_cast<uint8_t>(HexDigit(Part(digits, i, 1))));
}

bool UnitSteps::WriteBlock(int block) {
  std::optional<SettingsImage> written = WrittenBlocks();
  if (!written) return false;
  return loader.WriteSettingsBlock(block, BlockOf(*written, block));
}

std::optional<SettingsImage> UnitSteps::WrittenBlocks() {
  if (!StampBlock1(editor.Image, editor.MachineType)) {
    person.Message(kNoModelCaption, kNoModelText, Icon::Error);
    return std::nullopt;
  }
  SettingsImage written = editor.Image;
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(),
            written.begin() + kBlock1 + kCheckWordRoutineOffset);
  return written;
}

PageFrame UnitSteps::MarkedIdentityPage(PageFrame page, uint8_t marker) const {
  if (marker == 0 || page[kMarkerAt] == marker) return page;
  page[kMarkerAt] = marker;
  page[kPageSize - 2] = 0;
  page[kPageSize - 1] = 0;
  ventrix_.CheckSum(page.data(), kPageSize);
  return page;
}

bool UnitSteps::IdCodeMayGo(std::string_view idText, std::string_view serialText) {
  Ledger *ledger = journal.ledger();
  const std::optional<int64_t> code = IdCodeNumber(idText);
  if (!ledger || !code) return true;
  std::optional<HeldId> held;
  try {
    held = ledger->Holder(*code);
  } catch (const DatabaseError &e) {
    person.Message(kJournalRefusedCaption, kJournalRefusedText + std::string(e.what()), Icon::Error);
    return false;
  }
  const std::string serial(TrimBlanks(serialText));
  if (!held || !held->used || held->serial.empty() || held->serial == serial) return true;
  return person.Ask(kDuplicateIdCaption, DuplicateIdText(held->serial), Icon::Information);
}

void UnitSteps::TellJournalRefused() {
  person.Message(kJournalRefusedCaption, kJournalRefusedText + journal.problem(), Icon::Error);
}

void UnitSteps::TellConnectionFailed() {
  person.Message(kConnectFailedCaption, kConnectFailedText, Icon::Error);
}

bool UnitSteps::StreamAt(uint32_t baud) {
  const uint32_t used = loader.SpeedUp(baud);
  if (used == 0) {
    TellConnectionFailed();
    return false;
  }
  person.LineRate(baud, used);
  return true;
}

}  // namespace rilo
