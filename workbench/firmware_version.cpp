// The firmware version of the unit or of the loaded firmware: data bytes 126 and 127
// of the identity page 0xFF60.
#include <string>

#include "workbench/command_scope.h"
#include "workbench/unit_messages.h"

namespace rilo {
namespace {

constexpr const char *kNoVersion = "韌體版本:0.00";

}  // namespace

void Workbench::ShowVersion(const PageFrame &identityPage) {
  op_.Message(kProgramTitle, "韌體版本：" + FirmwareVersionText(identityPage), Icon::None);
}

// The version of the unit on the line, read by a handshake of its own. A unit that
// does not answer, or whose identity page did not come, has no version to show: the
// last unit's, or the 255.255 of an unread page, would pass for its own.
bool Workbench::ShowUnitVersion() {
  if (!steps_.Connect(flags_.Factory == 1)) return false;
  if (!steps_.IdentityRead()) {
    steps_.TellConnectionFailed();
    return false;
  }
  ShowVersion(loader_.InfoPage);
  return true;
}

bool Workbench::ShowFirmwareVersion() {
  switch (loadedSource_) {
    case LoadedSource::SettingsFile:
      return ShowUnitVersion();
    case LoadedSource::FirmwareTextFile:
      if (const PageFrame *page = FindPage(*firmware_.SingleImage, kInfoPageAddress)) {
        ShowVersion(*page);
        return true;
      }
      break;
    case LoadedSource::FirmwareDataFile: {
      const PageFrame *tx = FindPage(*firmware_.TxImage, kInfoPageAddress);
      const PageFrame *rx = FindPage(*firmware_.RxImage, kInfoPageAddress);
      if (tx && rx) {
        op_.Message(kProgramTitle,
                    "..... Tx Firmware Version：" + FirmwareVersionText(*tx) +
                        " .....\r\n..... Rx Firmware Version：" + FirmwareVersionText(*rx) + " .....",
                    Icon::None);
        return true;
      }
      break;
    }
    case LoadedSource::UnitSettings:
    case LoadedSource::ReceiverFirmware:
    case LoadedSource::TransmitterFirmware:
      ShowVersion(identityPage_);
      return true;
    case LoadedSource::Nothing:
      break;
  }
  // Nothing loaded, or loaded firmware without an identity page.
  op_.Message(kProgramTitle, kNoVersion, Icon::None);
  return true;
}

Outcome Workbench::NFirmwareVerClick() {
  return Run("韌體程式版本", loadedSource_ == LoadedSource::SettingsFile,
             [this] { return ShowFirmwareVersion(); });
}

Outcome Workbench::NOnlineTestClick() {
  return RunOnUnit("連線測試", "online-test", [this] { return ShowUnitVersion(); });
}

}  // namespace rilo
