// rilo-cli: the tool's core on the command line, for scripted bench work.
#include <array>
#include <deque>
#include <iostream>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "core/ventrix_api.h"
#include "link/steady_clock.h"
#include "link/system_serial_port.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>
#endif

namespace {

// Each unit on a serial port of the system and a steady clock of its own.
class SystemLines : public rilo::UnitLines {
 public:
  rilo::UnitLine Line(size_t) override { return {ports_.emplace_back(), clocks_.emplace_back()}; }

 private:
  std::deque<rilo::SystemSerialPort> ports_;  // a deque keeps them in place as it grows
  std::deque<rilo::SteadyClock> clocks_;
};

// A unit command run as the program runs it.
template <int (*Run)(const rilo::Arguments &, const rilo::VentrixApi &, rilo::UnitLines &)>
int OnSystemPorts(const rilo::Arguments &args, const rilo::VentrixApi &ventrix) {
  SystemLines lines;
  return Run(args, ventrix, lines);
}

constexpr std::array<rilo::Command, 10> kCommands = {{
    {"show", "FILE [--raw] [--q10|--q12]", rilo::RunShow},
    {"set", "FILE NAME=INDEX ... -o OUT [--raw] [--q10|--q12]", rilo::RunSet},
    {"read", "PORT[,PORT...] -o FILE.rilo [--log FILE.csv] [--ledger URL] [--finish]",
     OnSystemPorts<rilo::RunRead>},
    {"write",
     "PORT[,PORT...] FILE.rilo [--yes] [--allow-duplicate-id] [--log FILE.csv] [--ledger URL] [--finish]",
     OnSystemPorts<rilo::RunWrite>},
    {"read-firmware",
     "PORT[,PORT...] --tx|--rx -o FILE.txt [--log FILE.csv] [--ledger URL] [--finish] "
     "[--fast [--baud 9600|19200|38400]]",
     OnSystemPorts<rilo::RunReadFirmware>},
    {"write-firmware",
     "PORT[,PORT...] FILE.txt|FILE.dat --tx|--rx [--id CODE|next] [--serial SN] [--date YYYY/MM/DD] "
     "[--no-verify] [--allow-duplicate-id] [--log FILE.csv] [--ledger URL] [--fast [--baud "
     "9600|19200|38400]]",
     OnSystemPorts<rilo::RunWriteFirmware>},
    {"port", "[COMn [DEVICE]]", rilo::RunPort},
    {"doctor", "PORT", OnSystemPorts<rilo::RunDoctor>},
    {"convert", "TX.txt RX.txt -o BOTH.dat | BOTH.dat --tx|--rx -o ONE.txt", rilo::RunConvert},
    {"ledger",
     "(list [--id CODE] [--serial SN] [--port PORT] [--since YYYY-MM-DD] [--csv] | next-id [--from CODE] | "
     "journal [--close NUMBER]) [--ledger URL]",
     rilo::RunLedger},
}};

// The whole help: --help prints it, a wrong command line gets it on standard error.
void PrintUsage(std::ostream &out) {
  out << "用法:\n";
  for (const auto &c : kCommands)
    out << "  rilo-cli " << c.name << " " << c.usage << "\n";
  out << "  rilo-cli --help | --version\n"
         "FILE 為設定檔 (.rilo); --raw 時為 256 位元組的設定映像。\n"
         "--q10、--q12 指定機型; 未指定時依設定中的機型碼。\n"
         "read 讀取機器的設定存成設定檔; write 將設定檔寫入機器, ID-CODE 不符時需加 --yes 才覆蓋。\n"
         "read-firmware 讀取發射機 (--tx) 或接收機 (--rx) 的韌體存成韌體文字檔;\n"
         "write-firmware 將韌體檔燒入機器並讀回驗證 (--no-verify 不驗證), .dat 檔以 --tx/--rx 選擇;\n"
         "--fast 快速傳輸: 逐頁連續傳送, 載入程式可變更速率時以 --baud (預設 38400) 傳輸, 否則 9600;\n"
         "--id、--serial、--date 指定 ID-CODE、機器序號與出廠日期, 未指定時取自檔案;\n"
         "接收機的 ID-CODE 由生產紀錄保留: 自 --id 起 (--id next 自已持有的最大者之後)\n"
         "依通信埠順序各取一個尚無接收機持有者, 機器序號逐台加一;\n"
         "ID-CODE 已屬於另一台接收機時需加 --allow-duplicate-id 才寫入。\n"
         "中斷的指令留下的工作 (機器缺少的設定區塊、識別頁或向量) 需加 --finish 才補完。\n"
         "每個機器指令都記在生產紀錄; Ctrl+C 讓每台機器在下一個安全的步驟停止, 結束狀態 130。\n"
         "PORT 為 COM1 到 COM16 或裝置路徑; 以逗號分隔多個通信埠時各機器同時進行,\n"
         "檔名中的 {port} 換成通信埠名稱; --log 每台機器附加一行 CSV 記錄。\n"
         "port 顯示或設定 COMn 對應的裝置,\n"
         "不帶參數時顯示程式下次啟動開啟的通信埠。\n"
         "doctor 診斷一個通信埠與其後的機器 (裝置、開啟、線路、載入程式、機器、設定、回應時間),\n"
         "每個步驟一行 OK 或 FAIL 及處理方式; 不寫入機器, 全部通過時結束狀態為 0。\n"
         "convert 由發射機與接收機的韌體文字檔組成韌體資料檔 (設定取自接收機),\n"
         "或由韌體資料檔取出一部機器的韌體文字檔。\n"
         "ledger list 列出生產紀錄 (最新的在前), 可依 ID-CODE、機器序號、通信埠與日期 (UTC) 篩選,\n"
         "--csv 以 --log 記錄檔的欄位輸出; ledger next-id 顯示下一台接收機可取的 ID-CODE\n"
         "(--from 起第一個無接收機持有者, 預設為已持有的最大者加一), 不保留;\n"
         "ledger journal 列出中斷的指令留待復原的資料, --close 結束其中一筆。--ledger 指定生產紀錄\n"
         "(sqlite:路徑 或 postgresql://…), 未指定時依偏好設定 Ledger, 再無則為使用者資料夾中的檔案。\n"
         "--help 顯示本說明; --version 顯示版本。\n";
}

int Usage() {
  PrintUsage(std::cerr);
  return rilo::kExitUsage;
}

// The command line as UTF-8, which is how its paths are taken. Windows hands argv over
// in the system's code page, which cannot spell every file name, so there the words
// come from the wide command line.
rilo::Arguments CommandLine(int argc, char **argv) {
#if defined(_WIN32)
  int count = 0;
  LPWSTR *words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!words) return rilo::Arguments(argv, argv + argc);
  rilo::Arguments args;
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(wcslen(words[i]));
    const int size = WideCharToMultiByte(CP_UTF8, 0, words[i], length, nullptr, 0, nullptr, nullptr);
    std::string word(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, words[i], length, word.data(), size, nullptr, nullptr);
    args.push_back(std::move(word));
  }
  LocalFree(words);
  return args;
#else
  return rilo::Arguments(argv, argv + argc);
#endif
}

}  // namespace

int main(int argc, char **argv) {
#if defined(_WIN32)
  // The messages are UTF-8; a Windows console shows them as written only when told so.
  SetConsoleOutputCP(CP_UTF8);
#endif
  const rilo::Arguments args = CommandLine(argc, argv);
  if (args.size() < 2) return Usage();
  const std::string &name = args[1];
  if (name == "--help") {
    PrintUsage(std::cout);
    return rilo::kExitOk;
  }
  if (name == "--version") {
    std::cout << "rilo-cli " RILO_VERSION "\n";
    return rilo::kExitOk;
  }
  for (const auto &c : kCommands) {
    if (c.name != name) continue;
    std::string error;
    const auto ventrix = rilo::LoadVentrixBesideProgram(&error);
    if (!ventrix) {
      std::cerr << error << "\n";
      return rilo::kExitFailed;
    }
    return c.run(rilo::Arguments(args.begin() + 2, args.end()), *ventrix);
  }
  std::cerr << "未知的指令: " << name << "\n";
  return Usage();
}
