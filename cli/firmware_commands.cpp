// read-firmware and write-firmware: the window's firmware read (then its save command)
// and its open command and burn, run through its Workbench with the factory flag (the
// window offers them only there), for scripts on a production bench. The exit status
// is 0 only when every unit's commands ended done.
#include <iostream>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/production_run.h"
#include "files/file_text.h"
#include "workbench/open_firmware.h"

namespace rilo {
namespace {

constexpr const char *kReadUsage =
    "用法: rilo-cli read-firmware PORT[,PORT...] --tx|--rx -o FILE.txt [--log FILE.csv] [--ledger URL] "
    "[--finish] [--fast [--baud 9600|19200|38400]]";
constexpr const char *kWriteUsage =
    "用法: rilo-cli write-firmware PORT[,PORT...] FILE.txt|FILE.dat --tx|--rx [--id CODE|next] [--serial SN] "
    "[--date YYYY/MM/DD] [--no-verify] [--allow-duplicate-id] [--log FILE.csv] [--ledger URL] "
    "[--fast [--baud 9600|19200|38400]]";
struct Texts {
  const char *read;  // the menu item, as a unit's step
  const char *write;
  const char *kind;
};
constexpr Texts kTransmitter = {"讀取發射機", "寫入發射機", "發射機"};
constexpr Texts kReceiver = {"讀取接收機", "寫入接收機", "接收機"};

bool AllOf(std::string_view text, bool (*keep)(char)) {
  for (char c : text)
    if (!keep(c)) return false;
  return true;
}
bool IsDecimal(char c) {
  return c >= '0' && c <= '9';
}
bool IsHex(char c) {
  return IsDecimal(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
// The code `steps` units after `first` (two model digits and six decimal digits), as the
// window's ID advance gives it after each receiver burn: the six digits plus one,
// 999999 wrapping to 000000.
std::string Consecutive(const std::string &first, size_t steps) {
  const unsigned number = (std::stoul(first.substr(2)) + steps) % 1000000;
  std::string digits = std::to_string(number);
  return first.substr(0, 2) + std::string(6 - digits.size(), '0') + digits;
}

// 20YY/MM/DD, as the date field holds it.
bool IsDate(std::string_view text) {
  return text.size() == 10 && text.starts_with("20") && text[4] == '/' && text[7] == '/' &&
         AllOf(text.substr(2, 2), IsDecimal) && AllOf(text.substr(5, 2), IsDecimal) &&
         AllOf(text.substr(8, 2), IsDecimal);
}

// The firmware file read and parsed as each unit's open command will: a file that
// cannot be burned is said to be so before any port is opened, not taken for a unit
// that does not answer.
bool OpensAsFirmware(const std::string &path, FirmwareFile kind, const VentrixApi &ventrix) {
  std::string reason;
  const auto bytes = ReadFileBytes(path, &reason);
  if (!bytes) {
    std::cerr << "無法讀取檔案 " << path << ": " << reason << "\n";
    return false;
  }
  const auto text = ParserText(*bytes);
  if (!text || !ParseFirmwareFile(ventrix, kind, *text, {})) {
    std::cerr << path << ": 不是" << (kind == FirmwareFile::Text ? "韌體文字檔 (.txt)" : "韌體資料檔 (.dat)")
              << "\n";
    return false;
  }
  return true;
}

// --fast and --baud RATE: the pages streamed, at RATE (38400 unless told) where the
// loader can change its rate. Takes args[i] (and its value) when it is one of them.
struct FastOption {
  bool fast = false;
  std::string baud;  // as --baud gave it
  bool Take(const Arguments &args, size_t &i) {
    if (args[i] == "--fast") {
      fast = true;
      return true;
    }
    if (args[i] != "--baud" || i + 1 >= args.size()) return false;
    baud = args[++i];
    return true;
  }
  // What is wrong with the options given, if anything.
  std::optional<std::string> Problem() const {
    if (!baud.empty() && baud != "9600" && baud != "19200" && baud != "38400")
      return "--baud 需為 9600、19200 或 38400";
    if (!baud.empty() && !fast) return "--baud 需與 --fast 一起使用";
    return std::nullopt;
  }
  // The rate the Workbench streams at, 0 for the ordinary way.
  uint32_t Rate() const {
    if (!fast) return 0;
    return baud.empty() ? kFastTransferBaud : static_cast<uint32_t>(std::stoul(baud));
  }
};

// The rate a unit's fast transfer ran at, said as a line of its own.
void SayLine(UnitSession &s, const Outcome &outcome) {
  if (outcome.fastLine) s.person.Note(FastLineText(*outcome.fastLine));
}

}  // namespace

int RunReadFirmware(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines) {
  std::string portList, out;
  int kinds = 0;
  bool transmitter = false;
  RunPlan plan;
  plan.command = "read-firmware";
  plan.factory = true;
  plan.progressLines = true;
  FastOption fastOption;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      out = args[++i];
    } else if (fastOption.Take(args, i) || TakeRunOption(args, i, plan)) {
    } else if (args[i] == "--tx" || args[i] == "--rx") {
      transmitter = args[i] == "--tx";
      ++kinds;
    } else if (args[i].starts_with("-") || !portList.empty()) {
      return UsageError("無法辨識的參數: " + args[i]);
    } else {
      portList = args[i];
    }
  }
  if (portList.empty() || out.empty() || kinds != 1) return UsageError(kReadUsage);
  if (const auto problem = fastOption.Problem()) return UsageError(*problem);
  const uint32_t fastBaud = fastOption.Rate();
  std::string error;
  plan.ports = SplitPortList(portList, &error);
  if (plan.ports.empty()) return UsageError(error);
  if (!EachPortHasItsOwnFile(plan.ports, out, &error)) return UsageError(error);

  const Texts &texts = transmitter ? kTransmitter : kReceiver;
  return RunOnEveryPort(plan, lines, ventrix, [&](size_t port, UnitSession &s) {
    s.bench.UseFastTransfer(fastBaud);
    s.person.SetPhase(texts.read);
    Outcome read = transmitter ? s.bench.NLoadTxPrgClick() : s.bench.NLoadRxPrgClick();
    SayLine(s, read);
    if (!read.done) return read;
    // The save command, as the read left it set up: a firmware text file.
    s.person.SetPhase("儲存檔案");
    return s.bench.SaveFile(ForPort(out, plan.ports[port]));
  });
}

int RunWriteFirmware(const Arguments &args, const VentrixApi &ventrix, UnitLines &lines) {
  std::string portList, file, id, serial, date;
  int kinds = 0;
  bool transmitter = false, verify = true;
  RunPlan plan;
  plan.command = "write-firmware";
  plan.factory = true;
  plan.progressLines = true;
  FastOption fastOption;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &word = args[i];
    const bool hasValue = i + 1 < args.size();
    if (word == "--tx" || word == "--rx") {
      transmitter = word == "--tx";
      ++kinds;
    } else if (word == "--no-verify") {
      verify = false;
    } else if (fastOption.Take(args, i) || TakeRunOption(args, i, plan)) {
    } else if (word == "--id" && hasValue) {
      id = args[++i];
      if (id != "next" && (id.size() != 8 || !AllOf(id, IsDecimal)))
        return UsageError("--id 需為 8 位數字或 next: " + id);
    } else if (word == "--serial" && hasValue) {
      serial = args[++i];
      if (serial.size() != 8 || !AllOf(serial, IsHex))
        return UsageError("--serial 需為 8 位十六進位數字: " + serial);
    } else if (word == "--date" && hasValue) {
      date = args[++i];
      if (!IsDate(date)) return UsageError("--date 需為 20YY/MM/DD: " + date);
    } else if (word.starts_with("-") || !file.empty()) {
      return UsageError("無法辨識的參數: " + word);
    } else {
      (portList.empty() ? portList : file) = word;
    }
  }
  if (file.empty() || kinds != 1) return UsageError(kWriteUsage);
  if (const auto problem = fastOption.Problem()) return UsageError(*problem);
  const uint32_t fastBaud = fastOption.Rate();
  std::string error;
  plan.ports = SplitPortList(portList, &error);
  if (plan.ports.empty()) return UsageError(error);
  // Receivers take the lowest ID codes from --id on (or after the ledger's highest)
  // that no receiver holds, reserved in the ledger before any unit starts; a
  // transmitter keeps the ID code of its receiver, so several at once would share one.
  if (!id.empty() && !transmitter) {
    plan.reservesIds = true;
    plan.idFrom = id == "next" ? 0 : std::stoll(id);
  }
  if (transmitter && id == "next")
    return UsageError("發射機的 ID-CODE 與其接收機相同: --id 請指定接收機的 ID-CODE");
  if (plan.ports.size() > 1 && !id.empty() && transmitter)
    return UsageError("發射機的 ID-CODE 與其接收機相同, 不會逐台遞增: --id 請一次燒錄一台發射機");
  // Serial numbers are one per unit: consecutive, so decimal.
  if (plan.ports.size() > 1 && !serial.empty() && !AllOf(serial, IsDecimal))
    return UsageError("多個通信埠時 --serial 逐台加一, 需為 8 位數字: " + serial);
  FirmwareFile kind;
  if (file.ends_with(".txt") || file.ends_with(".TXT"))
    kind = FirmwareFile::Text;
  else if (file.ends_with(".dat") || file.ends_with(".DAT"))
    kind = FirmwareFile::Data;
  else
    return UsageError("FILE 需為韌體文字檔 (.txt) 或韌體資料檔 (.dat): " + file);
  plan.inputUsable = [&] { return OpensAsFirmware(file, kind, ventrix); };

  const Texts &texts = transmitter ? kTransmitter : kReceiver;
  return RunOnEveryPort(plan, lines, ventrix, [&](size_t port, UnitSession &s) {
    s.bench.UseVerifyBurn(verify);
    s.bench.UseFastTransfer(fastBaud);
    s.bench.editor().UseIdIncrement(false);  // the run gives each unit its own ID code
    s.person.SetPhase("開啟檔案");
    Outcome opened = s.bench.OpenFirmwareFile(kind, file);
    if (!opened.done) return opened;
    // A text file holds one unit: the window offers only that kind's burn.
    if (!s.bench.Burnable(transmitter))
      return Refused(s.person, "開啟檔案", std::string("此檔案不是") + texts.kind + "的韌體");
    if (s.reservedId) s.bench.TakeReservedId(*s.reservedId);
    s.bench.editor().TypeIdentity({.id = transmitter ? id : "",
                                   .serial = serial.empty()          ? ""
                                             : plan.ports.size() > 1 ? Consecutive(serial, port)
                                                                     : serial,
                                   .date = date});
    s.person.SetPhase(texts.write);
    Outcome burned = transmitter ? s.bench.NWriteTxPrgClick() : s.bench.NWriteRxPrgClick();
    SayLine(s, burned);
    return burned;
  });
}

}  // namespace rilo
