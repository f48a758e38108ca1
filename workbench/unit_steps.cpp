// The steps every device command shares, as the person sees them: the handshake, the
// identity fields in the unit's form, and a write that did not take.
#include "core/conversion.h"
#include "workbench/unit_messages.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

constexpr const char *kRestoreErrorCaption = "寫入設定錯誤";
constexpr const char *kRestoreErrorText = "寫入設定錯誤,請再試一次";
// The restore belongs to a write: its read-back is told under the write's caption.
constexpr const char *kRestoreReadBackCaption = "寫入";

}  // namespace

bool Workbench::Connect(bool factory) {
  const Handshake handshake = loader_.ConnectDevice();
  identityPage_ = loader_.InfoPage;
  identityRead_ = handshake && handshake.identityPage == ReadOutcome::Read;
  if (handshake.ending == Handshake::Ending::NoPort) {
    op_.Message(kConnectFailedCaption, kConnectFailedText, Icon::Information);
    return false;
  }
  if (handshake.ending == Handshake::Ending::NoAnswer) {
    op_.Message(kConnectFailedCaption, kConnectFailedText, Icon::Error);
    return false;
  }
  if (factory) return true;
  // An identity page lost or garbled on the line is a failed connection, not a unit of
  // an unknown model.
  if (handshake.identityPage != ReadOutcome::Read) {
    op_.Message(kConnectFailedCaption, kConnectFailedText, Icon::Error);
    return false;
  }
  const uint8_t marker = loader_.InfoPage[kMarkerAt];
  if (marker != 0xAA && marker != 0xAC) {
    // The person's unsaved work stays: the command fails instead of the tool ending.
    op_.Message(kModelErrorCaption, kModelErrorText, Icon::Error);
    return false;
  }
  if (editor_.MachineType.empty()) editor_.MachineType = marker == 0xAA ? "12" : "10";
  editor_.MachineTypeChange();
  return true;
}

IdentityFields Workbench::IdentityFieldsOf(std::string_view serialText, std::string_view dateText) const {
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

uint8_t Workbench::MarkerOfType() const {
  if (editor_.MachineType == "12") return 0xAA;
  if (editor_.MachineType == "10") return 0xAC;
  return 0;
}

void Workbench::TellDifference(const char *caption, uint16_t address) {
  op_.Differs(address);
  op_.Message(caption, ReadBackDiffersText(address), Icon::Error);
}

bool Workbench::Restored(Written written) {
  if (written.ending == Written::Ending::NotTaken)
    op_.Message(kRestoreErrorCaption, kRestoreErrorText, Icon::Error);
  else if (written.ending == Written::Ending::Differs)
    TellDifference(kRestoreReadBackCaption, written.differsAt);
  return static_cast<bool>(written);
}

}  // namespace rilo
