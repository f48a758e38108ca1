// Texts the device commands share.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/serial_port.h"
#include "link/loader_frames.h"

namespace rilo {

// A port that is not there, or a unit that does not answer or whose reply was lost on
// the line.
inline constexpr const char *kConnectFailedCaption = "連線失敗";
inline constexpr const char *kConnectFailedText =
    "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;若通信埠錯誤,需於設定後重新啟動程式!";

// Why the port failed, for the status bar and rilo-cli's error line: the message box
// keeps the connection failure's own text. Empty when nothing went wrong.
inline std::string PortTroubleText(const std::string &port, PortTrouble trouble) {
  const char *why = "";
  switch (trouble) {
    case PortTrouble::None:
      return "";
    case PortTrouble::Missing:
      why = "不存在";
      break;
    case PortTrouble::InUse:
      why = "已被其他程式使用";
      break;
    case PortTrouble::Denied:
      why = "沒有使用權限";
      break;
    case PortTrouble::NotSerial:
      why = "不是序列埠";
      break;
    case PortTrouble::NotConfigured:
      why = "無法設定為 9600 8E1";
      break;
    case PortTrouble::NotSending:
      why = "無法送出資料,請檢查轉接器與連接線";
      break;
  }
  return port + ": 連接埠" + why;
}

// The firmware version an identity page holds, as the version display shows it: "3.12".
inline std::string FirmwareVersionText(const PageFrame &identityPage) {
  return std::to_string(identityPage[kVersionAt]) + "." + std::to_string(identityPage[kVersionAt + 1]);
}

// An identity page that arrived whole but names no model the tool knows.
inline constexpr const char *kModelErrorCaption = "型號錯誤";
inline constexpr const char *kModelErrorText = "機器型號錯誤,請確認您的機器型號是否正確!!";

// A write that arrived whole when read back but differs from what was sent.
inline std::string ReadBackDiffersText(uint16_t address) {
  char text[96];
  std::snprintf(text, sizeof text, "寫入後驗證失敗,位址 0x%04X 的資料不符!!", static_cast<unsigned>(address));
  return text;
}

// An ID code the ledger holds for a receiver with another serial number.
inline constexpr const char *kDuplicateIdCaption = "ID-CODE 重複";
inline std::string DuplicateIdText(const std::string &serial) {
  return "此 ID-CODE 已用於序號 " + serial + " 的接收機,仍要寫入嗎?";
}

}  // namespace rilo
