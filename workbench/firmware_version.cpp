// The firmware version of the unit or of the loaded firmware: data bytes 126 and 127
// of the identity page 0xFF60.
#include <string>

#include "workbench/command_scope.h"

namespace rilo {
namespace {

constexpr const char *kNoVersion = "韌體版本:0.00";

std::string Version(const PageFrame &identityPage) {
  return std::to_string(identityPage[kVersionAt]) + "." + std::to_string(identityPage[kVersionAt + 1]);
}

}  // namespace

void Workbench::ShowVersion(const PageFrame &identityPage) {
  op_.Message(kProgramTitle, "韌體版本：" + Version(identityPage), Icon::None);
}

// The version of the unit on the line, read by a handshake of its own. A unit that
// does not answer, or whose identity page did not come, has no version to show: the
// last unit's, or the 255.255 of an unread page, would pass for its own.
void Workbench::ShowUnitVersion() {
  if (!loader_.ConnectDevice()) return;
  if (!loader_.InfoPageRead) {
    op_.Message(kConnectFailedCaption, kConnectFailedText, Icon::Error);
    return;
  }
  ShowVersion(loader_.InfoPage);
}

void Workbench::NFirmwareVerClick() {
  CommandScope scope(*this, LoadedSource == 1);
  if (!scope.Started()) return;
  switch (LoadedSource) {
    case 1:
      ShowUnitVersion();
      return;
    case 2:
      if (const PageFrame *page = FindPage(*firmware.SingleImage, kInfoPageAddress)) {
        ShowVersion(*page);
        return;
      }
      break;
    case 3: {
      const PageFrame *tx = FindPage(*firmware.TxImage, kInfoPageAddress);
      const PageFrame *rx = FindPage(*firmware.RxImage, kInfoPageAddress);
      if (tx && rx) {
        op_.Message(kProgramTitle,
                    "..... Tx Firmware Version：" + Version(*tx) + " .....\r\n..... Rx Firmware Version：" +
                        Version(*rx) + " .....",
                    Icon::None);
        return;
      }
      break;
    }
    case 4:
    case 5:
    case 6:
      ShowVersion(loader_.InfoPage);
      return;
  }
  // Nothing loaded, or loaded firmware without an identity page.
  op_.Message(kProgramTitle, kNoVersion, Icon::None);
}

void Workbench::NOnlineTestClick() {
  CommandScope scope(*this, true);
  if (!scope.Started()) return;
  ShowUnitVersion();
}

}  // namespace rilo
