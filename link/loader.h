// The unit's MSP430 bootstrap loader, spoken over the link: entry through the modem
// lines, the password handshake, identification, and the block, erase and patch
// commands every device command is built from. Every operation answers what became of
// it and shows nothing: the commands above decide what the person is told.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/ventrix_api.h"
#include "firmware/firmware_image.h"
#include "link/link.h"
#include "link/loader_frames.h"
#include "link/product_line.h"

namespace rilo {

// How a data read ended: the checked 128 bytes arrived; nothing came or a reply failed its
// length/header/check bytes (worth another try); or the unit refused (a one-byte answer).
enum class ReadOutcome { Read, Missing, Refused };

// Which stored password opened the unit at the last handshake.
enum class OpenedWith { None, PasswordA, PasswordB, PasswordC, Erased };

// How the handshake ended. Opened: a password was taken and the identity page read was
// tried (its outcome says whether InfoPage holds the unit's page). NoPort: the port is
// not there (never opened, or its device is gone and cannot be opened again).
// NoAnswer: no password opened the loader.
struct [[nodiscard]] Handshake {
  enum class Ending { Opened, NoPort, NoAnswer };
  Ending ending = Ending::NoAnswer;
  ReadOutcome identityPage = ReadOutcome::Missing;
  explicit operator bool() const { return ending == Ending::Opened; }
};

// What became of a write that is read back: done; not taken (refused, or no answer);
// or taken but read back different from `differsAt` on.
struct [[nodiscard]] Written {
  enum class Ending { Done, NotTaken, Differs };
  Ending ending = Ending::Done;
  uint16_t differsAt = 0;
  explicit operator bool() const { return ending == Ending::Done; }
};

// The serial number's eight codewords and the date (year after 2000, month, day) as
// the identity page holds them.
struct IdentityFields {
  std::array<uint8_t, 8> serial{};
  std::array<uint8_t, 3> date{};
};

class Loader {
 public:
  Loader(Link &link, const VentrixApi &ventrix, const ProductLine &productLine);

  // Link state, kept for the whole run.
  uint8_t RtsInverted = 0;      // the unit started with the inverted RTS pattern; tried first from then on
  uint8_t PatchNeeded = 0;      // loader 1.10: block commands run from the RAM patch
  uint8_t ShortImage = 0;       // receiver program area starts at 0xE000 rather than 0xC000
  uint8_t DeviceConnected = 0;  // a handshake has succeeded; never reset
  std::string DeviceRole;       // "Tx", "Rx" or empty, from the last identification
  uint16_t LoaderVersion = 0;   // 0x0161 for 1.61, from the last identification; 0 unknown
  std::array<uint8_t, 2> ChipId{};  // the chip identity the last identification reported
  OpenedWith Opened = OpenedWith::None;
  // What the last entry's syncs got other than 0x90, when any came: a garbled line
  // rather than a silent unit.
  std::optional<uint8_t> StrayEntryReply;
  VectorTable CurrentPassword{};
  PageFrame InfoPage;  // identity page 0xFF60 as a ready-to-send write frame

  // Resets the unit into its loader through DTR and RTS; the reply buffer's first
  // byte tells whether it answered the sync. Nothing is sent on a port never opened.
  void EnterLoader();
  void SendSync();
  // A sync whose answer is looked at: true when the unit answered 0x90.
  [[nodiscard]] bool SyncAccepted();
  // A sync without the pause after it, timed: the milliseconds from its byte leaving the
  // port to the unit's 0x90; nothing when that did not come within the sync's wait.
  std::optional<uint32_t> TimedSync();
  // True when the port is open now, opened again if its device went away.
  [[nodiscard]] bool PortReady();
  // Unlocks the unit with the first stored password it accepts (identifying it where
  // the password does not tell its kind), then reads its identity page into InfoPage.
  Handshake ConnectDevice();
  // Sets DeviceRole, PatchNeeded and ShortImage from the chip identity and loader version.
  // Its password is tried and the flow moves on: an unanswered query leaves the role empty.
  void IdentifyDevice();
  // The kind of unit the last handshake opened: the receivers' passwords tell it, the
  // others go by the last identification. Empty when unknown.
  std::string UnitRole() const;

  // True when the unit answered 0x90; an accepted command is followed by a sync.
  // MassErase enters the loader itself and is not followed by a sync.
  [[nodiscard]] bool MassErase();
  [[nodiscard]] bool SendDefaultPassword();
  [[nodiscard]] bool SendPassword();
  [[nodiscard]] bool WriteVectors();
  [[nodiscard]] bool SendLoaderPatch();
  [[nodiscard]] bool StartRomLoader();
  [[nodiscard]] bool StartPatch();
  // StartRomLoader, SendPassword, SendLoaderPatch, StartPatch, whatever each answers:
  // the settings commands' way into the patched loader.
  void PatchPreamble();

  // Sends a 138-byte page frame as it is and waits `waitMs` for the unit's verdict; no
  // sync follows. True when the unit answered 0x90.
  [[nodiscard]] bool SendPage(const PageFrame &page, uint32_t waitMs);

  // Erases the flash segment at `address` (the top segment 0xFE00 around an identity
  // change). Needs an unlocked loader.
  [[nodiscard]] bool EraseSegment(uint16_t address);
  // True when the unit accepted the erase; a sync follows whatever came.
  [[nodiscard]] bool EraseSettingsBlock(int block);
  // Writes the 128 bytes as settings block `block` (0 at 0x1000, 1 at 0x1080), exactly as
  // given. True when the unit acknowledged the block; only its read-back proves it.
  [[nodiscard]] bool WriteSettingsBlock(int block, std::span<const uint8_t, 128> data);
  // Reads settings block `block` into `into` on a checked data reply; `into` is left
  // alone otherwise.
  [[nodiscard]] ReadOutcome ReadSettingsBlock(int block, std::span<uint8_t, 128> into);
  // Reads the 128 bytes at `address` into InfoPage as a page frame with fresh check
  // bytes; InfoPage stays all 0xFF unless the reply passed its checks.
  [[nodiscard]] ReadOutcome ReadPageOutcome(uint16_t address);
  // Reads the 128 bytes at `address` into `data` from a loader still open after a write:
  // no entry, no password, no sync, so a read-back costs one frame and its reply.
  // `data` is left alone unless Read.
  [[nodiscard]] ReadOutcome ReadBack(uint16_t address, std::span<uint8_t, 128> data);

  // ---- Streamed transfers: one way into the loader, then frame after frame ------------
  // Each frame is sent without the pause after it and its answer awaited at once; no
  // sync follows. The loader must be open (its password taken).

  // Moves an open loader and the line to `baud` (19200 or 38400) with the loader's
  // rate-change command, from the chip family and loader version the last
  // identification found: a sync at the new rate must answer. A loader without the
  // command (before 1.60, or of a family with no known clock values) is left at 9600.
  // One that refuses it, or does not answer at the new rate, is entered afresh at 9600
  // with CurrentPassword. Answers the rate the line runs at; 0 when the unit could not
  // be opened again.
  [[nodiscard]] uint32_t SpeedUp(uint32_t baud);
  // StartPatch, streamed.
  [[nodiscard]] bool StreamStartPatch();
  // A page frame as it is, streamed; true when the unit answered 0x90 within `waitMs`.
  [[nodiscard]] bool StreamPage(const PageFrame &page, uint32_t waitMs);
  // ReadBack, streamed.
  [[nodiscard]] ReadOutcome StreamRead(uint16_t address, std::span<uint8_t, 128> data);

  // ---- The identity page (0xFF60) in the top flash segment -----------------------------
  // Pages 0xFE00, 0xFE80, 0xFF00 as read before the top segment is erased.
  std::array<PageFrame, 3> SavedTopPages{};
  uint8_t IdentityUnchanged = 0;  // the last update found serial number and date in place

  // How the identity page's preparation ended: the pages could not be read, the fields
  // were in place already, or the pages are saved and InfoPage holds the new page.
  enum class [[nodiscard]] IdentityUpdate{NotRead, Unchanged, Prepared};
  // Reads the top pages into SavedTopPages and the identity page into InfoPage, and puts
  // `fields` into InfoPage when they differ. Nothing is erased.
  IdentityUpdate PrepareIdentityPage(const IdentityFields &fields);
  // Erases the flash segment at `segment` (the top one, 0xFE00) with the unit's password.
  // The unit is left without its top pages and its vectors until they are put back.
  [[nodiscard]] bool EraseTopSegment(uint16_t segment);
  // Writes the saved pages and the identity page back after that erase, the identity
  // page with `marker` (0xAA Q12, 0xAC Q10; 0 keeps its own), and reads them back. Ends
  // at the first page not taken or read back different.
  Written RestoreTopPages(uint8_t marker);
  // Writes CurrentPassword into the vector area through a loader opened for it, then
  // proves it: the unit must open with that password and read it back.
  Written PutVectors();

  // What an erase of the top segment takes from a unit, as a command keeps it to put back.
  struct TopSegmentBackup {
    std::array<PageFrame, 3> pages;
    PageFrame identity;
    VectorTable vectors;
  };
  // Puts back what the backup holds into a unit opened with the erased-device password:
  // the pages (when `pagesToo`), read back, then the vectors, proved as PutVectors does.
  Written PutBackTopSegment(const TopSegmentBackup &backup, bool pagesToo);

 private:
  bool Accepted() const { return link_.ReplyBuffer[0] == kAccepted; }
  // The 21 bytes of an identification reply; all 0 unless it starts with 80 00.
  using IdentityReply = std::array<uint8_t, 21>;
  IdentityReply Identify(const Frame10 &query);
  // A data reply counts only whole: 134 bytes, header 80 00 80 80, matching check bytes.
  ReadOutcome DataReplyOutcome() const;
  // Sends a frame, waits for one byte, and syncs when the unit accepted it.
  bool Command(const uint8_t *frame, size_t count, uint32_t timeoutMs);
  // A read of 128 bytes at `address` from an open loader, with or without the pause.
  ReadOutcome ReadFromOpenLoader(uint16_t address, std::span<uint8_t, 128> data, bool pause);
  // The rate-change frame for `baud` on this chip family; nothing where it has none.
  std::optional<Frame10> RateFrame(uint32_t baud) const;
  bool Password(const VectorTable &password);
  bool TryPassword(const VectorTable &password);
  void RunEntryPattern(bool rtsInverted);
  // Keeps an entry sync's answer that was not 0x90.
  void NoteStrayReply();
  // The way into the loader of a unit whose top segment is blank: the erased-device
  // password, and on loader 1.10 the patch (started when `startPatch`). True when the
  // unit took every step.
  [[nodiscard]] bool OpenBlankLoader(bool startPatch);
  // Sends a saved page frame as it is (after StartPatch with the patch) and syncs;
  // true when the unit accepted the page and answered the sync.
  bool RestorePage(const PageFrame &page);
  // The read request for 128 bytes at `address`.
  Frame10 ReadFrame(uint16_t address) const;
  // Zeroes the last two bytes and folds the check bytes into them.
  void Seal(uint8_t *frame, size_t count) const;

  Link &link_;
  const VentrixApi &ventrix_;
  const ProductLine &productLine_;
};

}  // namespace rilo
