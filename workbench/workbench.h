// The object that owns, for the whole run, what the main window holds: the feature
// flags, the special group flags, the port name, the link to the unit, the settings
// editor with its form, and the shell's view. The Qt window forwards its handlers here
// and mirrors the result; nothing here knows of Qt.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/serial_port.h"
#include "core/feature_flags.h"
#include "core/file_dialogs.h"
#include "core/operator.h"
#include "core/outcome.h"
#include "core/preferences.h"
#include "core/ventrix_api.h"
#include "files/customer_record.h"
#include "firmware/firmware_buffers.h"
#include "ledger/ledger.h"
#include "link/link.h"
#include "link/loader.h"
#include "link/product_line.h"
#include "settings/editor.h"
#include "settings/short_date.h"
#include "workbench/connection_check.h"
#include "workbench/open_firmware.h"
#include "workbench/outcome_recorder.h"
#include "workbench/shell_view.h"
#include "workbench/unit_journal.h"
#include "workbench/unit_steps.h"

namespace rilo {

// Said once in a run whose preference store refuses writes (for want of rights to the key
// or the file): the run goes on with the values in hand.
inline constexpr const char *kPreferencesRefusedCaption = "偏好設定";
inline constexpr const char *kPreferencesRefusedText =
    "無法儲存偏好設定,程式仍可使用,但變更不會保留到下次開啟程式!";

// The rate a fast transfer asks the loader for unless a script chooses another.
inline constexpr uint32_t kFastTransferBaud = 38400;

// What filled the buffers last. The values are those the earlier releases used.
enum class LoadedSource : uint8_t {
  Nothing = 0,
  SettingsFile = 1,
  FirmwareTextFile = 2,
  FirmwareDataFile = 3,
  UnitSettings = 4,
  ReceiverFirmware = 5,
  TransmitterFirmware = 6,
};

// The kind of the last firmware read whose save was prepared: a read of the other kind
// after it offers the data file that holds both.
enum class FirmwareRead : uint8_t { None = 0, Transmitter = 1, Receiver = 2 };

// The status bar's port field: the port in use and its device ("COM1 → /dev/ttyUSB0"),
// with a port chosen for the next start ("COM2 下次啟動生效"); and the unit the last
// handshake opened ("接收機 Q12 · BSL 2.02 · ID 12000777"), empty before one.
struct PortField {
  std::string port;
  std::string unit;
  bool transmitter = false;  // the unit is a transmitter: shown apart from a receiver
};

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
  // The device the checked port opens, from the next start on (Linux: PortDevice.COMn).
  // False when the store refused it or the name holds a control character.
  bool SetPortDevice(const std::string &device);
  // The device the checked port opens at the next start.
  std::string PortDeviceChosen() const;

  // The unlock dialog's confirm. Writes the typed code's flags and SpecialFunc, tells
  // the person the outcome, and answers true when the program must now quit.
  bool BPasswordOKClick(std::string_view typed);

  // ---- The ledger ---------------------------------------------------------------------
  // The ledger every unit command is recorded in and keeps its journal in; `bench` names
  // this host. Without one (tests of the steps alone) nothing is recorded or journalled.
  void UseLedger(std::unique_ptr<Ledger> ledger, std::string bench);
  // The ledger could not be opened: every unit command stops before it touches the
  // unit, saying `reason`.
  void LedgerUnusable(std::string reason);
  Ledger *ledger() const { return ledger_.get(); }
  // The record of the last unit command, as the ledger took it.
  const UnitRecord &lastRecord() const { return lastRecord_; }
  // The next receiver's ID code from the ledger: the lowest at or after the ID field's
  // (or, with the field empty, after the highest the ledger holds for the model) that
  // no receiver holds, reserved for this bench and port and put into the field. False,
  // after saying why, when none is free or the ledger cannot be asked.
  bool ReserveNextId();
  // `code`, reserved by the run, goes to the next receiver write: put into the field.
  void TakeReservedId(int64_t code);
  // What became of the code reserved for the last receiver command: kept by the unit
  // (it may hold it), or given back. Nothing while none was reserved.
  std::optional<bool> reservedIdKept() const { return reservedIdKept_; }

  // ---- Commands -----------------------------------------------------------------------
  // Each runs to its end inside the call, shows its messages to the person as they come
  // and answers its outcome. While one runs (its waits keep the window alive) every
  // other returns at once, failed and silent: two interleaved exchanges would corrupt a
  // unit. A runtime error (a field that is not a number) ends a command with its message.
  Outcome NLoadSetClick();
  Outcome NWriteSetClick();
  Outcome NFirmwareVerClick();
  Outcome NOnlineTestClick();
  // Firmware: the whole program area of a unit into TxImage or RxImage, or TxImage or
  // RxImage burned into a unit (erased first), read back when VerifyBurn is on.
  Outcome NLoadTxPrgClick();
  Outcome NLoadRxPrgClick();
  Outcome NWriteTxPrgClick();
  Outcome NWriteRxPrgClick();
  // The checkable menu item "燒錄後驗證": switches VerifyBurn and keeps it.
  void NVerifyBurnClick();
  // VerifyBurn for this run only, as a script chooses it.
  void UseVerifyBurn(bool verify);
  bool verifyBurn() const { return verifyBurn_; }
  // The checkable menu item "快速傳輸" (factory only): firmware reads, burns and their
  // read-backs streamed from one loader entry, at 38400 where the loader can change its
  // rate; kept as FastTransfer.
  void NFastTransferClick();
  // Fast transfers at `baud` (9600, 19200 or 38400) for this run only, as a script
  // chooses them; 0 for the ordinary way.
  void UseFastTransfer(uint32_t baud);
  uint32_t fastBaud() const { return fastBaud_; }
  bool CommandRunning() const { return commandRunning_; }

  // The connection check on the port in use: opened afresh, then the line, the loader
  // and the unit, each step found OK or failed with what to do. It runs as a command
  // (one at a time, with the busy look) but says nothing on the way, writes nothing to
  // the unit and is not recorded; the window's identity page and fields stay as they
  // were. Nothing while another command runs.
  ConnectionCheck CheckConnection();

  // The open command. The dialog starts in the folder last used for a file (kept in
  // the store as LastFolder). With the factory flag its filter index chooses the kind
  // (1 settings, 2 firmware text, 3 firmware data file); without it only settings
  // files open, and only those that name a model. A file that cannot be read or that
  // its parser refuses is told to the person and changes nothing.
  Outcome NOpenfileClick(FileDialogs &dialogs);

  // The save command. The identity fields are folded into block 1 first; the save
  // dialog proposes the last file name; the default extension left by the last open
  // or read chooses the writer (with the factory flag; otherwise always a settings
  // file), "dat" after asking whether the program or the settings are wanted. Saving
  // over any file there asks first. The file is written whole or not at all; a
  // failure names the path and the system's reason.
  Outcome NSavefileClick(FileDialogs &dialogs);

  // The save command's file for a script that names it: what the last open or read
  // prepared (as the save dialog would offer it), written to `path` without questions.
  Outcome SaveFile(const std::string &path);

  // The open command's way with a settings file whose text is in hand, as without the
  // factory flag: the file must name a model; it becomes the loaded settings.
  Outcome OpenSettingsText(const std::string &text);

  // The open command's way with a firmware file once it is chosen (the factory flow):
  // a text file's image and vectors go to SingleImage, TxImage and RxImage and their
  // tables, and its vector at 0xFFFE shows the transmitter's or the receiver's write
  // controls; a data file fills TxImage and RxImage and shows both. Every buffer is
  // reset first, the file's settings blocks become the loaded and working image, the
  // model, serial number and date are shown from block 1, the save dialog is set to the
  // same kind, and the person is told the file is open. A file that cannot be read, is
  // not text, or that the parser refuses is told to the person and changes nothing.
  Outcome OpenFirmwareFile(FirmwareFile kind, const std::string &path);
  // Whether the loaded firmware offers the transmitter's (or the receiver's) burn.
  bool Burnable(bool transmitter) const;

  // ---- Work not yet in a file --------------------------------------------------------
  // A firmware read not saved to a firmware file, or, with a model known, settings,
  // identity fields or customer record changed since they were last opened, read from
  // or written to a unit, or saved.
  bool UnsavedWork() const;
  // With unsaved work, asks "尚未存檔,是否先存檔?": Yes saves it through `dialogs`, No lets
  // it go, Cancel keeps it. True when the caller may go on and replace it.
  bool OfferToSave(FileDialogs &dialogs);

  // Start-up state of every buffer: firmware pages unused, settings images zero, the
  // identity page 0xFF. Vector tables keep their content.
  void ResetImages();

  // The customer page: filled from an opened settings file, saved into a saved one.
  CustomerRecord &customer() { return customer_; }
  // The name of the settings file the customer record came from; it stays through
  // reads of units, so one customer can go to several. Empty before one was opened.
  const std::string &customerSource() const { return customerSource_; }
  const std::string &lastFileName() const { return lastFileName_; }  // a save to it asks first
  LoadedSource loadedSource() const { return loadedSource_; }
  const SettingsImage &deviceSettings() const { return deviceSettings_; }  // as last read from a unit
  FirmwareBuffers &firmware() { return firmware_; }
  const FeatureFlags &flags() const { return flags_; }
  const std::array<uint8_t, 5> &specialGroupFlags() const { return specialGroupFlags_; }
  const std::string &portName() const { return portName_; }
  const ShellView &view() const { return view_; }
  Editor &editor() { return editor_; }
  const Link &link() const { return link_; }
  // Why the port could not be opened or did not send, named with the port ("COM3: 連接埠
  // 不存在"); empty when nothing went wrong.
  std::string PortTroubleText() const;
  PortField PortFieldNow() const;
  const Loader &loader() const { return loader_; }
  // The link state of the run (what a cut identity update left to put back, say).
  Loader &loader() { return loader_; }

 private:
  class CommandScope;
  // Runs `steps` as the command `step`: one at a time, with the busy look when asked,
  // its runtime error told after the look is put back, its outcome recorded.
  template <class Steps>
  Outcome Run(const char *step, bool busyLook, Steps steps);
  // Run, for a command that reaches the unit: refused before it starts when the ledger
  // cannot be used, and recorded in the ledger as `command` when it has run.
  template <class Steps>
  Outcome RunOnUnit(const char *step, const char *command, Steps steps);
  UnitRecord RecordOf(const Outcome &outcome, const char *command, uint32_t startTick) const;
  // The port field's unit, from what the handshake of the last command found.
  void SeeUnit();

  // What a save keeps, as it stands now; kept again whenever it reaches a file or a unit.
  struct Work {
    SettingsImage image{};
    std::string id, serial, date;
    CustomerRecord customer;
    bool operator==(const Work &) const = default;
  };
  Work CurrentWork() const;
  void WorkKept() { keptWork_ = CurrentWork(); }

  bool ReadSettings();
  void ShowVersion(const PageFrame &identityPage);
  bool ShowUnitVersion();
  bool ShowFirmwareVersion();
  void ShowOpenedFile();
  std::optional<std::string> ReadParserText(const std::string &path);
  void RememberFolder(const std::string &path);
  bool OpenSettingsFactory(const std::string &path);
  bool OpenSettingsNoFactory(const std::string &path);
  bool OpenFirmware(FirmwareFile kind, const std::string &path);
  bool AdoptSettingsText(const std::string &text);
  void CustomerFrom(const std::string &path);
  bool Save(FileDialogs &dialogs);
  bool WriteFile(const std::string &path, const std::string &kind);

  bool ReadFirmware(bool transmitter);
  void PrepareFirmwareSave(bool transmitter);
  bool WriteFirmware(bool transmitter);

  bool ReadStoredPreferences(WindowGeometry &geometry);
  // Runs writes to the store; a refusal is told the first time only. False when refused.
  bool KeepPreferences(const std::function<void()> &writes);
  void TellRefusal();
  void WriteGeometry(const WindowGeometry &geometry);
  void WriteDefaults(const WindowGeometry &geometry);

  Preferences &store_;
  Clock &clock_;
  OutcomeRecorder op_;  // the person, through whom every command's outcome is kept
  const VentrixApi ventrix_;
  const ProductLine productLine_;
  FeatureFlags flags_;
  std::array<uint8_t, 5> specialGroupFlags_{};  // BattLow, BattLowAction, TxEMSCount, BattCount, Key1Time
  std::string portName_;
  std::string portInUse_;    // the port opened at start-up; a port chosen later waits for the next start
  std::string deviceInUse_;  // the device the port in use was opened as
  std::string unitLine_;     // the unit the last handshake opened, as the port field shows it
  bool unitIsTransmitter_ = false;
  ShellView view_;
  Link link_;
  Loader loader_;
  // The unit's identity page as the last handshake read it, shown by the editor's
  // identity fields and the version display.
  PageFrame identityPage_{};
  Editor editor_;
  std::unique_ptr<Ledger> ledger_;
  std::string ledgerProblem_;  // why the ledger could not be opened
  std::string ledgerBench_;    // this host, as records name it
  UnitJournal journal_;
  UnitRecord lastRecord_;
  std::optional<int64_t> reservedId_;
  std::optional<bool> reservedIdKept_;
  void KeepOrReleaseId(const Outcome &outcome, std::string_view command);
  UnitSteps steps_;
  CustomerRecord customer_;
  std::string customerSource_;
  std::string lastFileName_;  // the path last opened
  LoadedSource loadedSource_ = LoadedSource::Nothing;
  SettingsImage deviceSettings_{};
  FirmwareBuffers firmware_;
  FirmwareRead lastFirmwareRead_ = FirmwareRead::None;
  Work keptWork_;
  bool firmwareUnsaved_ = false;               // a firmware read that no firmware file holds yet
  std::string firmwareFile_, firmwareSha256_;  // the firmware file last opened: its name and digest
  bool verifyBurn_ = true;                     // a burn reads back what it wrote (preference "VerifyBurn")
  uint32_t fastBaud_ = 0;                      // firmware transfers streamed at this rate; 0 the ordinary way
  bool commandRunning_ = false;
  bool refusalTold_ = false;  // the store's refusal has been told this run
};

}  // namespace rilo
