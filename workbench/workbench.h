// The object that owns, for the whole run, what the main window holds: the feature
// flags, the special group flags, the port name, the link to the unit, the settings
// editor with its form, and the shell's view. The Qt window forwards its handlers here
// and mirrors the result; nothing here knows of Qt.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/feature_flags.h"
#include "core/file_dialogs.h"
#include "core/operator.h"
#include "core/preferences.h"
#include "core/ventrix_api.h"
#include "files/customer_record.h"
#include "firmware/firmware_buffers.h"
#include "base/clock.h"
#include "link/link.h"
#include "link/loader.h"
#include "link/product_line.h"
#include "base/serial_port.h"
#include "settings/editor.h"
#include "settings/short_date.h"
#include "workbench/open_firmware.h"
#include "workbench/shell_view.h"

namespace rilo {

// Said once in a run whose preference store refuses writes (for want of rights to the key
// or the file): the run goes on with the values in hand.
inline constexpr const char *kPreferencesRefusedCaption = "偏好設定";
inline constexpr const char *kPreferencesRefusedText =
    "無法儲存偏好設定,程式仍可使用,但變更不會保留到下次開啟程式!";

// Outer window position and size in screen pixels, as the preference store keeps them.
struct WindowGeometry {
  int left = 0;
  int top = 0;
  int height = 0;
  int width = 0;
  bool operator==(const WindowGeometry &) const = default;
};

class Workbench {
 public:
  // `store` is the preference store held for the whole run; every read and write of
  // the shell goes through it, so values written by one handler are never overwritten
  // from a stale copy by another. The library and the product-line data are copied.
  // `today` gives the date prompt today's date in the system's short date format.
  Workbench(Preferences &store, Operator &op, SerialPort &port, Clock &clock, const VentrixApi &ventrix,
            const ProductLine &productLine, TodayText today = SystemShortDate);
  Workbench(const Workbench &) = delete;
  Workbench &operator=(const Workbench &) = delete;

  // Window creation: reads the stored geometry, port and flags in their fixed order.
  // Any missing or mistyped value stops the read there and rewrites the whole default
  // set. Then opens the port, once for the whole run. `current` is the window's
  // geometry before; returns the geometry to apply. A store that refuses the writes is
  // reported once the port is open.
  WindowGeometry FormMenuCreate(WindowGeometry current);

  // Window shown: applies the flags to the view and the form, checks the stored port.
  void FormMenuShow();

  // Window closing: keeps its geometry for the next start.
  void FormMenuClose(WindowGeometry geometry);

  // The quit command: the port is closed before the window.
  void NQuitClick();

  // Port n (1..16) chosen from the menu or the tool-bar pop-up. Stored at once; the
  // port opened at start-up stays in use until the next start. False when the store
  // refused the choice.
  bool NCOMClick(int n);

  // The unlock dialog's confirm. Writes the typed code's flags and SpecialFunc, tells
  // the person the outcome, and answers true when the program must now quit.
  bool BPasswordOKClick(std::string_view typed);

  // ---- Device commands ----------------------------------------------------------------
  // Each runs to its end inside the click and tells the outcome in one message. While
  // one runs (its waits keep the window alive) every other command returns at once:
  // two interleaved exchanges would corrupt a unit.
  void NLoadSetClick();
  void NWriteSetClick();
  void NFirmwareVerClick();
  void NOnlineTestClick();
  // Firmware: the whole program area of a unit into TxImage or RxImage, or TxImage or
  // RxImage burned into a unit (erased first), read back when VerifyBurn is 1.
  void NLoadTxPrgClick();
  void NLoadRxPrgClick();
  void NWriteTxPrgClick();
  void NWriteRxPrgClick();
  // The checkable menu item "燒錄後驗證": switches VerifyBurn and keeps it.
  void NVerifyBurnClick();
  bool CommandRunning() const { return commandRunning_; }

  // ---- File commands ------------------------------------------------------------------
  // The open command. The dialog starts in the folder last used for a file (kept in
  // the store as LastFolder). With the factory flag its filter index chooses the kind
  // (1 settings, 2 firmware text, 3 firmware data file); without it only settings
  // files open, and only those that name a model. A file that cannot be read or that
  // its parser refuses is told to the person and changes nothing.
  void NOpenfileClick(FileDialogs &dialogs);

  // The save command. The identity fields are folded into block 1 first; the save
  // dialog proposes the last file name; the default extension left by the last open
  // or read chooses the writer (with the factory flag; otherwise always a settings
  // file), "dat" after asking whether the program or the settings are wanted. Saving
  // over the file last opened asks first. The file is written whole or not at all; a
  // failure names the path and the system's reason.
  void NSavefileClick(FileDialogs &dialogs);

  // The customer page: filled from an opened settings file, saved into a saved one.
  CustomerRecord Customer;

  // The open command's way with a firmware file once it is chosen (the factory flow):
  // a text file's image and vectors go to SingleImage, TxImage and RxImage and their
  // tables, and its vector at 0xFFFE shows the transmitter's or the receiver's write
  // controls; a data file fills TxImage and RxImage and shows both. Every buffer is
  // reset first, the file's settings blocks become the loaded and working image, the
  // model, serial number and date are shown from block 1, LoadedSource becomes 2 or 3,
  // the save dialog is set to the same kind, and the person is told the file is open.
  // A file that cannot be read, is not text, or that the parser refuses is told to the
  // person and changes nothing; false then.
  bool OpenFirmwareFile(FirmwareFile kind, const std::string &path);
  std::string LastFileName;  // the path last opened; a save to it asks first

  // Start-up state of every buffer: firmware pages unused, settings images zero, the
  // identity page 0xFF. Vector tables keep their content.
  void ResetImages();

  // What filled the buffers last: 0 nothing, 1 settings file, 2 firmware text file,
  // 3 firmware data file, 4 settings read from a unit, 5 receiver and 6 transmitter
  // firmware read.
  uint8_t LoadedSource = 0;
  SettingsImage DeviceSettings{};  // both blocks as last read from a unit
  FirmwareBuffers firmware;
  // 0 at start; 1 after the save choice of a transmitter read, 2 after a receiver's.
  uint8_t LastFirmwareRead = 0;
  // 1: a burn reads back what it wrote (the preference "VerifyBurn", 1 when missing).
  uint8_t VerifyBurn = 1;

  const FeatureFlags &flags() const { return flags_; }
  const std::array<uint8_t, 5> &specialGroupFlags() const { return specialGroupFlags_; }
  const std::string &portName() const { return portName_; }
  const ShellView &view() const { return view_; }
  Editor &editor() { return editor_; }
  const Link &link() const { return link_; }
  Loader &loader() { return loader_; }

 private:
  class CommandScope;
  bool WriteSettings();
  bool EraseAndWriteBlocks();
  bool BlocksTook();
  void StoreIdCode(std::string_view idText);
  void ShowVersion(const PageFrame &identityPage);
  void ShowUnitVersion();
  void ShowOpenedFile();
  std::optional<std::string> ReadParserText(const std::string &path);
  void RememberFolder(const std::string &path);
  void OpenSettingsFactory(const std::string &path);
  void OpenSettingsNoFactory(const std::string &path);

  void ReadFirmware(bool transmitter);
  bool ReadFirmwareRange(uint16_t start);
  void PrepareFirmwareSave(bool transmitter);
  void WriteFirmware(bool transmitter);
  bool BurnFirmware(bool transmitter);
  bool WrongDevice(bool transmitter);
  bool ProbeRole();
  void SealPageFrame();
  bool SendBurnPage(uint32_t waitMs);
  bool VerifyBurnedFlash(const std::vector<int16_t> &expected, const char *caption);

  bool ReadStoredPreferences(WindowGeometry &geometry);
  // Runs writes to the store; a refusal is told the first time only. False when refused.
  bool KeepPreferences(const std::function<void()> &writes);
  void TellRefusal();
  void WriteGeometry(const WindowGeometry &geometry);
  void WriteDefaults(const WindowGeometry &geometry);

  Preferences &store_;
  Operator &op_;
  const VentrixApi ventrix_;
  const ProductLine productLine_;
  FeatureFlags flags_;
  std::array<uint8_t, 5> specialGroupFlags_{};  // BattLow, BattLowAction, TxEMSCount, BattCount, Key1Time
  std::string portName_;
  ShellView view_;
  Link link_;
  // The editor reads the identity page the loader fills, and the loader stamps the
  // machine type the editor keeps: each holds a reference into the other.
  Editor editor_;
  Loader loader_;
  bool commandRunning_ = false;
  bool refusalTold_ = false;  // the store's refusal has been told this run
};

}  // namespace rilo
