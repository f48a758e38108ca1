// The steps every device command shares, over the little they need: the loader on the
// line, the person (through whom the command's outcome is kept), the settings editor
// whose machine type and working image the steps read and stamp, and the identity page
// the editor and the version display show.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/ventrix_api.h"
#include "link/loader.h"
#include "settings/editor.h"
#include "workbench/outcome_recorder.h"
#include "workbench/unit_journal.h"

namespace rilo {

class UnitSteps {
 public:
  UnitSteps(Loader &onLine, OutcomeRecorder &atScreen, Editor &settings, PageFrame &identityPage,
            const VentrixApi &ventrix, UnitJournal &kept)
      : loader(onLine),
        person(atScreen),
        editor(settings),
        journal(kept),
        identityPage_(identityPage),
        ventrix_(ventrix) {}

  // The handshake as the person sees it: a port that is gone, a unit that answers no
  // password, or (unless `factory`) an identity page lost on the line or of no known
  // model ends it with its message. The unit's model becomes MachineType when none is set.
  bool Connect(bool factory);
  // The last handshake read the identity page whole.
  bool IdentityRead() const { return identityRead_; }

  // The serial number and date texts as the identity page holds them; throws
  // ConversionError for a text that is not a number.
  IdentityFields IdentityFieldsOf(std::string_view serialText, std::string_view dateText) const;
  // The six ID digits after the model code, as codewords into block 1 bytes 2..7 of the
  // working image; throws ConversionError for a digit that is not one.
  void StoreIdCode(std::string_view idText);
  // The model marker MachineType stands for on the identity page; 0 for none.
  uint8_t MarkerOfType() const;

  // Writes settings block `block` from the working image. Block 1 is stamped first
  // (model code from MachineType, markers, check word) in the image itself, and carries
  // the check-word routine on the wire instead of its bytes 104..121. False, after a
  // message, when MachineType names no model; false when the unit refuses the block.
  bool WriteBlock(int block);
  // What both blocks hold once written from the working image: block 1 stamped (in the
  // image itself) and carrying the check-word routine. Nothing, after the message
  // WriteBlock gives, when MachineType names no model.
  std::optional<SettingsImage> WrittenBlocks();
  // The identity page `page` as written with `marker` (0 keeps its own), sealed.
  PageFrame MarkedIdentityPage(PageFrame page, uint8_t marker) const;
  // The ledger refused what the command must keep before an erase: said, with its reason.
  void TellJournalRefused();
  // False when the ledger holds the ID code `idText` for a receiver other than the one
  // with `serialText` and the person does not want it written anyway, or when the ledger
  // cannot be asked (said).
  bool IdCodeMayGo(std::string_view idText, std::string_view serialText);

  // Tells the person a write read back different at `address`, under `caption`.
  void TellDifference(const char *caption, uint16_t address);
  // An identity update's restore (or its finish) as the person sees it.
  bool Restored(Written written);
  // A reply lost on the line where a command needed it.
  void TellConnectionFailed();
  // Moves the open loader and the line to `baud` where the loader can take it, for a
  // streamed transfer, and keeps the rate it runs at in the outcome. False, after the
  // connection failure is said, when the unit did not open again after a refusal.
  bool StreamAt(uint32_t baud);

  Loader &loader;
  OutcomeRecorder &person;
  Editor &editor;
  UnitJournal &journal;
  int handshakes = 0;  // handshakes a unit answered, this run: a count tells a fresh one apart

 private:
  PageFrame &identityPage_;
  const VentrixApi &ventrix_;
  bool identityRead_ = false;
};

}  // namespace rilo
