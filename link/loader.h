// The unit's MSP430 bootstrap loader, spoken over the link: entry through the modem
// lines, the password handshake, identification, and the block, erase and patch
// commands every device command is built from. Operations answer true/false; the
// messages they show themselves go to the person at the screen.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/feature_flags.h"
#include "core/operator.h"
#include "core/ventrix_api.h"
#include "firmware/firmware_image.h"
#include "link/link.h"
#include "link/loader_frames.h"
#include "link/product_line.h"
#include "settings/settings_image.h"

namespace rilo {

// How a data read ended: the checked 128 bytes arrived; nothing came or a reply failed its
// length/header/check bytes (worth another try); or the unit refused (a one-byte answer).
enum class ReadOutcome { Read, Missing, Refused };

class Loader {
 public:
  // `machineType` ("", "10", "12") is shared with the settings editor: the handshake
  // fills it from the unit's model marker and the block 1 write stamps it.
  Loader(Link &link, Operator &person, const VentrixApi &ventrix, const ProductLine &productLine,
         std::string &machineType, const FeatureFlags &flags);

  // Fits the window to MachineType after a handshake has checked the model marker
  // (the settings editor's MachineTypeChange). Unset where there is no window.
  std::function<void()> MachineTypeChange;

  // Link state, kept for the whole run.
  uint8_t RtsInverted = 0;      // the unit started with the inverted RTS pattern; tried first from then on
  uint8_t PatchNeeded = 0;      // loader 1.10: block commands run from the RAM patch
  uint8_t ShortImage = 0;       // receiver program area starts at 0xE000 rather than 0xC000
  uint8_t DeviceConnected = 0;  // a handshake has succeeded; never reset
  std::string DeviceRole;       // "Tx", "Rx" or empty, from the last identification
  uint16_t LoaderVersion = 0;   // 0x0161 for 1.61, from the last identification; 0 unknown
  VectorTable CurrentPassword{};
  PageFrame InfoPage;         // identity page 0xFF60 as a ready-to-send write frame
  bool InfoPageRead = false;  // the last handshake read the identity page (else InfoPage is all 0xFF)

  // Resets the unit into its loader through DTR and RTS; the reply buffer's first
  // byte tells whether it answered the sync.
  void EnterLoader();
  void SendSync();
  // Unlocks the unit with the first stored password it accepts, identifies it and
  // checks its model marker. False, after telling the person, when none fits.
  bool ConnectDevice();
  // Sets DeviceRole, PatchNeeded and ShortImage from the chip identity and loader version.
  void IdentifyDevice();

  // True when the unit answered 0x90; an accepted command is followed by a sync.
  // MassErase enters the loader itself and is not followed by a sync.
  bool MassErase();
  bool SendDefaultPassword();
  bool SendPassword();
  bool WriteVectors();
  bool SendLoaderPatch();
  bool StartRomLoader();
  bool StartPatch();
  // StartRomLoader, SendPassword, SendLoaderPatch, StartPatch, whatever each answers:
  // the settings commands' way into the patched loader.
  void PatchPreamble();

  // Erases the flash segment at `address` (the top segment 0xFE00 around an identity
  // change). Needs an unlocked loader.
  bool EraseSegment(uint16_t address);
  // True when the unit accepted the erase; a sync follows whatever came.
  bool EraseSettingsBlock(int block);
  // Block 1 is stamped first (model code from MachineType, markers, check word) in
  // `image` itself, and carries the check-word routine on the wire instead of its
  // bytes 104..121. False, after a message, when MachineType names no model.
  bool WriteSettingsBlock(int block, SettingsImage &image);
  // Copies the block into `deviceSettings` on a checked data reply.
  bool ReadSettingsBlock(int block, SettingsImage &deviceSettings);
  // Reads the 128 bytes at `address` into InfoPage as a page frame with fresh check
  // bytes; InfoPage stays all 0xFF unless the reply passed its checks.
  ReadOutcome ReadPageOutcome(uint16_t address);
  bool ReadPage(uint16_t address) { return ReadPageOutcome(address) == ReadOutcome::Read; }
  // Reads the 128 bytes at `address` into `data` from a loader still open after a write:
  // no entry, no password, no sync, so a read-back costs one frame and its reply.
  // `data` is left alone unless Read.
  ReadOutcome ReadBack(uint16_t address, std::span<uint8_t, 128> data);

  // ---- The identity page (0xFF60) in the top flash segment -----------------------------
  // Pages 0xFE00, 0xFE80, 0xFF00 as read before the top segment is erased.
  std::array<PageFrame, 3> SavedTopPages{};
  uint8_t IdentityUnchanged = 0;  // the last update found serial number and date in place

  // Puts `serialText` and `dateText` (20YY/MM/DD) into the identity page, erasing the
  // segment at `segment` only when they differ; the other top pages are saved first.
  // A text that is not a number throws ConversionError before anything is erased.
  bool UpdateIdentityPage(uint16_t segment, std::string_view serialText, std::string_view dateText);
  // Writes the saved pages and the identity page back after that erase, with the model
  // marker of MachineType, and reads them back. False, after telling the person, at the
  // first page refused or read back different.
  bool RestoreTopPages();

  // What an identity update whose top-segment erase went out must put back, held until
  // the command that sent the erase ends well: a unit cut off in between (cable pulled,
  // a page refused) is left without its top pages and its vectors, and no later
  // settings write could pass its model check. Held only for a unit that was opened
  // with its own password; a blank one (a firmware burn) is burned again instead.
  struct TopSegmentBackup {
    std::array<PageFrame, 3> pages;
    PageFrame identity;
    VectorTable vectors;
  };
  std::optional<TopSegmentBackup> InterruptedUpdate;
  // After a handshake: when a backup is held and the unit opened only with the erased-
  // device password, writes back its top pages (if its identity page is blank) and its
  // vectors. True when there was nothing to finish or it is finished; false, after the
  // restore's own message, when the unit did not take it.
  bool FinishInterruptedUpdate();

 private:
  bool Accepted() const { return link_.ReplyBuffer[0] == kAccepted; }
  // The 21 bytes of an identification reply; all 0 unless it starts with 80 00.
  using IdentityReply = std::array<uint8_t, 21>;
  IdentityReply Identify(const Frame10 &query);
  // A data reply counts only whole: 134 bytes, header 80 00 80 80, matching check bytes.
  ReadOutcome DataReplyOutcome() const;
  // Sends a frame, waits for one byte, and syncs when the unit accepted it.
  bool Command(const uint8_t *frame, size_t count, uint32_t timeoutMs);
  bool Password(const VectorTable &password);
  void RunEntryPattern(bool rtsInverted);
  // Sends a saved page frame as it is (after StartPatch with the patch) and syncs;
  // true when the unit accepted the page and answered the sync.
  bool RestorePage(const PageFrame &page);
  // The read request for 128 bytes at `address`.
  Frame10 ReadFrame(uint16_t address) const;
  // Zeroes the last two bytes and folds the check bytes into them.
  void Seal(uint8_t *frame, size_t count) const;

  Link &link_;
  Operator &person_;
  const VentrixApi &ventrix_;
  const ProductLine &productLine_;
  std::string &machineType_;
  const FeatureFlags &flags_;
};

}  // namespace rilo
