#include "workbench/connection_check.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "ledger/unit_record.h"
#include "link/serial_devices.h"
#include "settings/settings_image.h"
#include "workbench/command_scope.h"
#include "workbench/unit_messages.h"

namespace rilo {
namespace {

constexpr const char *kStepNames[kCheckSteps] = {"裝置", "開啟", "線路",    "載入程式",
                                                 "機器", "設定", "回應時間"};

// The timed syncs of the last step, and the reply time a loader's one-byte answers are
// given after the pause that follows a frame.
constexpr int kTimedSyncs = 20;
constexpr uint32_t kAllowedReplyMs = 10;

std::string Hex(uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

std::string Hex16(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

#if defined(_WIN32)
constexpr const char *kMissingAdvice =
    "確認轉接器已插上, 在裝置管理員的「連接埠 (COM 和 LPT)」查看它的 COM 編號, 並選擇那個通信埠";
constexpr const char *kDeniedAdvice = "以有權使用此通信埠的使用者執行";
constexpr const char *kNotSerialAdvice = "選擇轉接器的 COM 通信埠";
std::string MissingAdvice() {
  return kMissingAdvice;
}
#else
constexpr const char *kMissingAdvice =
    "確認轉接器已插上; 以「通訊埠」選單的「裝置…」或 rilo-cli port COMn 裝置 指定它的裝置";
constexpr const char *kDeniedAdvice =
    "將使用者加入 dialout 群組 (sudo usermod -aG dialout $USER), 登出再登入後再試";
constexpr const char *kNotSerialAdvice =
    "以「通訊埠」選單的「裝置…」或 rilo-cli port COMn 裝置 指定轉接器的序列埠裝置";

// Where to look for a port that is not there, with the USB serial adapters plugged in
// now, which is where a unit's cable usually is.
std::string MissingAdvice() {
  std::string found;
  for (const SerialDevice &device : ListSerialDevices()) {
    if (device.target.empty() && device.path.find("ttyUSB") == std::string::npos &&
        device.path.find("ttyACM") == std::string::npos)
      continue;
    found += (found.empty() ? "" : "、") + device.path;
  }
  return std::string(kMissingAdvice) +
         (found.empty() ? "; 沒有找到 USB 序列轉接器" : "; 找到的 USB 序列轉接器: " + found);
}
#endif

// What stands at a path that is not a serial device, where a person can tell.
std::string WhatIsThere(const std::string &device) {
#if defined(_WIN32)
  static_cast<void>(device);
  return "不是序列埠";
#else
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(device, error);
  if (fs::is_regular_file(status)) return "是一般檔案, 不是序列埠";
  if (fs::is_directory(status)) return "是資料夾, 不是序列埠";
  return "不是序列埠";
#endif
}

// A path the open was refused for that is no device at all (a file without the right
// to write it) is not a question of the dialout group.
bool IsDevice(const std::string &device) {
#if defined(_WIN32)
  static_cast<void>(device);
  return true;
#else
  std::error_code error;
  return std::filesystem::is_character_file(device, error);
#endif
}

std::string Role(const std::string &role) {
  if (role == "Tx") return "發射機";
  if (role == "Rx") return "接收機";
  return "種類不明的機器";
}

std::string PasswordName(OpenedWith opened) {
  switch (opened) {
    case OpenedWith::PasswordA:
      return "密碼 A";
    case OpenedWith::PasswordB:
      return "密碼 B";
    case OpenedWith::PasswordC:
      return "密碼 C";
    case OpenedWith::Erased:
      return "空白機器的密碼";
    case OpenedWith::None:
      break;
  }
  return "";
}

std::string ReadFailure(ReadOutcome outcome) {
  return outcome == ReadOutcome::Refused ? "被載入程式拒絕" : "沒有回應, 或回應不完整、檢查碼不符";
}

class Checker {
 public:
  Checker(const CheckedPort &port, Link &link, Loader &loader, const VentrixApi &ventrix, Operator &person)
      : port_(port), link_(link), loader_(loader), ventrix_(ventrix), person_(person) {}

  ConnectionCheck Run() {
    person_.SetProgress(0);
    person_.SetProgressMax(kCheckSteps);
    if (!OpenPort() || !EnterLoader()) return std::move(check_);
    const bool opened = LookAtUnit();
    if (opened && link_.State() == PortState::Open) ReadSettingsTwice();
    // Syncs need no password: a loader that answered is timed whatever else failed.
    if (link_.State() == PortState::Open) TimeReplies();
    return std::move(check_);
  }

 private:
  void Pass(CheckStep step, std::string found) { Add({step, true, std::move(found), {}}); }
  void Fail(CheckStep step, std::string found, std::string advice) {
    Add({step, false, std::move(found), std::move(advice)});
  }
  void Add(CheckLine line) {
    person_.ShowPhase(std::string(kConnectionCheckStep) + " " + kStepNames[static_cast<int>(line.step) - 1]);
    person_.SetProgress(static_cast<int>(line.step));
    check_.lines.push_back(std::move(line));
  }

  // Steps 1 to 3, from a fresh open of the port.
  bool OpenPort() {
    link_.ClosePort();
    const bool open = link_.Reopen() && link_.State() == PortState::Open;
    const std::string named = port_.name == port_.device ? port_.device : port_.name + " → " + port_.device;
    PortTrouble trouble = open ? PortTrouble::None : link_.Trouble();
    if (trouble == PortTrouble::Denied && !IsDevice(port_.device)) trouble = PortTrouble::NotSerial;
    switch (trouble) {
      case PortTrouble::None:
        if (open) break;
        [[fallthrough]];
      case PortTrouble::Missing:
      case PortTrouble::NotSending:
        Fail(CheckStep::Device, named + " 不存在", MissingAdvice());
        return false;
      case PortTrouble::NotSerial:
        Fail(CheckStep::Device, named + " " + WhatIsThere(port_.device), kNotSerialAdvice);
        return false;
      case PortTrouble::Denied:
        Pass(CheckStep::Device, named + " 存在");
        Fail(CheckStep::Open, "沒有使用 " + port_.device + " 的權限", kDeniedAdvice);
        return false;
      case PortTrouble::InUse:
        Pass(CheckStep::Device, named + " 存在");
        Fail(CheckStep::Open, port_.device + " 已被其他程式使用",
             "關閉使用它的程式 (另一個 RILO1Q12 或 rilo-cli、終端機程式) 後再試");
        return false;
      case PortTrouble::NotConfigured:
        Pass(CheckStep::Device, named + " 是序列埠");
        Pass(CheckStep::Open, "可開啟, 由本程式獨占");
        Fail(CheckStep::Line, "不接受 9600 8E1、無流量控制的設定, 或無法設定 DTR、RTS",
             "更新轉接器的驅動程式, 或換一個轉接器");
        return false;
    }
    Pass(CheckStep::Device, named + " 是序列埠");
    Pass(CheckStep::Open, "可開啟, 由本程式獨占");
    modemLines_ = link_.HasModemLines();
    if (modemLines_)
      Pass(CheckStep::Line, "9600 8E1, 無流量控制; DTR、RTS 可設定");
    else
      Pass(CheckStep::Line,
           "9600 8N1, 無流量控制; 虛擬終端機沒有同位元與 DTR、RTS, 接 rilo-unit-sim 時不需要");
    return true;
  }

  // Step 4: the entry on the modem lines and a sync, with one timed sync after it.
  bool EnterLoader() {
    loader_.EnterLoader();
    if (link_.ReplyBuffer[0] == kAccepted) {
      const std::optional<uint32_t> roundTrip = loader_.TimedSync();
      // Behind a pseudo-terminal the first sync starts the loader: there is no polarity.
      const std::string polarity = !modemLines_ ? "" : loader_.RtsInverted ? " (RTS 反相)" : " (RTS 正常)";
      Pass(CheckStep::Loader,
           "進入載入程式並回應同步" + polarity +
               (roundTrip ? ", 往返 " + std::to_string(*roundTrip) + " ms" : ", 往返時間未量到"));
      return true;
    }
    if (!PortStillThere(CheckStep::Loader)) return false;
    if (!loader_.StrayEntryReply) {
      Fail(CheckStep::Loader, "兩種 RTS 極性的進入序列後, 同步都沒有回應",
           modemLines_ ? "確認機器已接上電源與連接線, 且轉接器接出 DTR 與 RTS (接到機器的 RST 與 TEST 腳)"
                       : "確認 rilo-unit-sim 正在執行, 且通信埠指向它印出的虛擬終端機");
    } else {
      Fail(CheckStep::Loader,
           "同步的回應是 0x" + Hex(*loader_.StrayEntryReply) + ", 不是 0x90: 資料在線上錯亂",
           "檢查連接線與接地, 遠離馬達、變頻器等雜訊源, 換一條較短的連接線");
    }
    return false;
  }

  // A port whose device went away while it was checked says so at the step it was at.
  bool PortStillThere(CheckStep step) {
    if (link_.State() == PortState::Open) return true;
    const std::string why = PortTroubleText(port_.name, link_.Trouble());
    Fail(step, "通信埠在診斷中失去" + (why.empty() ? std::string() : ": " + why),
         modemLines_ ? "確認轉接器插穩後再試" : "確認 rilo-unit-sim 仍在執行後再試");
    return false;
  }

  // Step 5: the handshake and identification as the settings read runs them. True when
  // a password opened the loader.
  bool LookAtUnit() {
    const Handshake handshake = loader_.ConnectDevice();
    if (handshake.ending == Handshake::Ending::NoPort) {
      PortStillThere(CheckStep::Unit);
      return false;
    }
    if (handshake.ending == Handshake::Ending::NoAnswer) {
      Fail(CheckStep::Unit, "載入程式不接受任何一組儲存的密碼 (A、B、C 與空白機器的密碼)",
           "這不是 RILO Q10/Q12 的機器, 或其密碼不在程式旁的 product-line.txt 中");
      return false;
    }
    // The page as the handshake read it: the identification reads nothing into it.
    const bool pageRead = handshake.identityPage == ReadOutcome::Read;
    const PageFrame page = loader_.InfoPage;
    loader_.IdentifyDevice();

    std::string found = Role(loader_.UnitRole()) + " (" + PasswordName(loader_.Opened) + ")";
    const bool identified = loader_.LoaderVersion != 0;
    if (identified)
      found += " · 晶片 " + Hex(loader_.ChipId[0]) + " " + Hex(loader_.ChipId[1]) + " · 載入程式 " +
               LoaderVersionText(loader_.LoaderVersion);
    found += loader_.PatchNeeded ? " · 需要修補程式" : " · 不需修補程式";
    if (loader_.UnitRole() == "Rx")
      found += loader_.ShortImage ? " · 短映像 (程式自 0xE000)" : " · 程式自 0xC000";
    const uint8_t marker = page[kMarkerAt];
    const bool knownModel = marker == 0xAA || marker == 0xAC;
    if (pageRead) found += " · " + IdentityText(page);

    if (!pageRead) {
      Fail(CheckStep::Unit, found + " · 識別頁 (0xFF60) " + ReadFailure(handshake.identityPage),
           "檢查連接線與接地後再試");
    } else if (!identified) {
      Fail(CheckStep::Unit, found + " · 識別查詢沒有回應", "檢查連接線後再試");
    } else if (!knownModel) {
      Fail(CheckStep::Unit,
           found + " · 識別頁的型號標記 0x" + Hex(marker) + " 不是 Q12 (0xAA) 或 Q10 (0xAC)" +
               (loader_.Opened == OpenedWith::Erased ? ": 機器是空白的" : ""),
           "燒錄韌體後再試; 若機器原本可用, 請洽原廠");
    } else {
      Pass(CheckStep::Unit, found);
    }
    return true;
  }

  // Model, serial number, date code and firmware version as the identity page holds them.
  std::string IdentityText(const PageFrame &page) const {
    const uint8_t marker = page[kMarkerAt];
    std::string text = marker == 0xAA ? "Q12" : marker == 0xAC ? "Q10" : "型號標記 0x" + Hex(marker);
    std::string serial;
    for (int i = 0; i < 8; ++i) {
      char digit[4];
      std::snprintf(digit, sizeof digit, "%X", ventrix_.ReHamming(page[kSerialAt + i]) & 0x0F);
      serial += digit;
    }
    char date[16];
    std::snprintf(date, sizeof date, "20%02u/%02u/%02u", page[kDateAt] % 100u, page[kDateAt + 1] % 100u,
                  page[kDateAt + 2] % 100u);
    return text + " · 序號 " + serial + " · 日期 " + date + " · 韌體 " + FirmwareVersionText(page);
  }

  // Step 6: both settings blocks, twice, as the settings read reads them.
  void ReadSettingsTwice() {
    SettingsImage reads[2]{};
    for (int pass = 0; pass < 2; ++pass) {
      for (const int block : {1, 0}) {
        const ReadOutcome read = loader_.ReadSettingsBlock(block, BlockOf(reads[pass], block));
        if (read == ReadOutcome::Read) continue;
        if (!PortStillThere(CheckStep::Settings)) return;
        Fail(CheckStep::Settings,
             "第 " + std::to_string(pass + 1) + " 次讀取設定區塊 " + std::to_string(block) + " (" +
                 Hex16(block == 1 ? 0x1080 : 0x1000) + ") " + ReadFailure(read),
             "檢查連接線與接地後再試");
        return;
      }
    }
    const auto differs = std::mismatch(reads[0].begin(), reads[0].end(), reads[1].begin());
    if (differs.first != reads[0].end()) {
      const auto at = static_cast<uint16_t>(0x1000 + (differs.first - reads[0].begin()));
      Fail(CheckStep::Settings, "兩次讀取的設定不同, 自 " + Hex16(at) + " 起",
           "線路不穩: 檢查連接線與接地後再試");
      return;
    }
    SettingsImage checked = reads[0];
    ComputeCheckWord(checked);
    const std::string code = Hex(B1(reads[0], 0)) + " " + Hex(B1(reads[0], 1));
    if (B1(checked, 8) != B1(reads[0], 8) || B1(checked, 9) != B1(reads[0], 9)) {
      Fail(CheckStep::Settings,
           "兩次讀取相同, 但區塊 1 的檢查碼 " + Hex(B1(reads[0], 8)) + " " + Hex(B1(reads[0], 9)) + " 應為 " +
               Hex(B1(checked, 8)) + " " + Hex(B1(checked, 9)) + " (機型碼 " + code + ")",
           "機器的設定不完整或已損壞: 以「寫入設定」重新寫入");
      return;
    }
    Pass(CheckStep::Settings, "兩次讀取的 256 位元組相同, 檢查碼正確 (機型碼 " + code + ")");
  }

  // Step 7: the slowest of a row of syncs against what the protocol gives a reply.
  void TimeReplies() {
    uint32_t slowest = 0, fastest = UINT32_MAX;
    int unanswered = 0;
    for (int i = 0; i < kTimedSyncs; ++i) {
      const std::optional<uint32_t> ms = loader_.TimedSync();
      if (!ms) {
        ++unanswered;
        if (!PortStillThere(CheckStep::ReplyTime)) return;
        continue;
      }
      slowest = std::max(slowest, *ms);
      fastest = std::min(fastest, *ms);
    }
    const std::string counted = std::to_string(kTimedSyncs) + " 次同步";
    if (unanswered > 0) {
      Fail(CheckStep::ReplyTime, counted + "中 " + std::to_string(unanswered) + " 次沒有回應 0x90",
           "線路不穩: 檢查連接線與接地後再試");
    } else if (slowest > kAllowedReplyMs) {
      Fail(CheckStep::ReplyTime,
           counted + ", 最慢 " + std::to_string(slowest) + " ms, 超過協定容許的 " +
               std::to_string(kAllowedReplyMs) + " ms",
           "USB 轉接器延遲過長: 將其驅動程式的延遲計時器 (latency timer) 設為 1 ms, 或換一個轉接器");
    } else {
      Pass(CheckStep::ReplyTime, counted + ", 最慢 " + std::to_string(slowest) + " ms, 最快 " +
                                     std::to_string(fastest) + " ms (協定容許 " +
                                     std::to_string(kAllowedReplyMs) + " ms)");
    }
  }

  const CheckedPort &port_;
  Link &link_;
  Loader &loader_;
  const VentrixApi &ventrix_;
  Operator &person_;
  bool modemLines_ = true;  // the line as it opened: a pseudo-terminal has none
  ConnectionCheck check_;
};

}  // namespace

bool ConnectionCheck::Passed() const {
  return static_cast<int>(lines.size()) == kCheckSteps &&
         std::all_of(lines.begin(), lines.end(), [](const CheckLine &line) { return line.ok; });
}

ConnectionCheck CheckConnection(const CheckedPort &port, Link &link, Loader &loader,
                                const VentrixApi &ventrix, Operator &person) {
  return Checker(port, link, loader, ventrix, person).Run();
}

std::string CheckLineText(const CheckLine &line) {
  const int step = static_cast<int>(line.step);
  std::string text =
      std::to_string(step) + (line.ok ? " OK   " : " FAIL ") + kStepNames[step - 1] + ": " + line.found;
  if (!line.ok && !line.advice.empty()) text += "。處理: " + line.advice;
  return text;
}

std::vector<std::string> CheckReport(const ConnectionCheck &check) {
  std::vector<std::string> report;
  std::string failed;
  for (const CheckLine &line : check.lines) {
    report.push_back(CheckLineText(line));
    if (!line.ok) failed += (failed.empty() ? "" : "、") + std::to_string(static_cast<int>(line.step));
  }
  std::vector<int> notRun;
  for (int step = 1; step <= kCheckSteps; ++step)
    if (std::none_of(check.lines.begin(), check.lines.end(),
                     [&](const CheckLine &line) { return static_cast<int>(line.step) == step; }))
      notRun.push_back(step);
  if (check.Passed()) {
    report.push_back("結果: " + std::to_string(kCheckSteps) + " 項全部通過");
    return report;
  }
  std::string verdict = "結果: 步驟 " + failed + " 失敗";
  if (notRun.size() > 1 && notRun.back() - notRun.front() + 1 == static_cast<int>(notRun.size())) {
    verdict +=
        "; 步驟 " + std::to_string(notRun.front()) + " 到 " + std::to_string(notRun.back()) + " 未執行";
  } else if (!notRun.empty()) {
    std::string steps;
    for (const int step : notRun)
      steps += (steps.empty() ? "" : "、") + std::to_string(step);
    verdict += "; 步驟 " + steps + " 未執行";
  }
  report.push_back(verdict);
  return report;
}

ConnectionCheck Workbench::CheckConnection() {
  ConnectionCheck check;
  const PageFrame shown = identityPage_;
  static_cast<void>(Run(kConnectionCheckStep, true, [&] {
    check = rilo::CheckConnection({portInUse_, deviceInUse_}, link_, loader_, ventrix_, op_);
    return check.Passed();
  }));
  identityPage_ = shown;
  return check;
}

}  // namespace rilo
