// ledger: the unit ledger at the terminal: the records of unit commands, the ID code
// the next receiver would get, and the journal entries stopped commands left open.
// Nothing here writes to the ledger.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/run_log.h"
#include "core/ini_preferences.h"
#include "ledger/ledger_location.h"

namespace rilo {
namespace {

constexpr const char *kUsage =
    "用法: rilo-cli ledger list [--id CODE] [--serial SN] [--port PORT] [--since YYYY-MM-DD] [--csv] "
    "[--ledger URL]\n"
    "      rilo-cli ledger next-id [--from CODE] [--ledger URL]\n"
    "      rilo-cli ledger journal [--close NUMBER] [--ledger URL]\n";

// An ID code is two model digits before six that count.
constexpr int64_t kCodesPerModel = 1000000;

struct Options {
  std::string location;  // --ledger; empty for the stored one
  std::string id, serial, port, since, from, close;
  bool csv = false;
};

using Table = std::vector<std::vector<std::string>>;

int Usage(const std::string &message) {
  std::cerr << message << "\n" << kUsage;
  return kExitUsage;
}

bool IsDecimal(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsDay(std::string_view text) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-' && IsDecimal(text.substr(0, 4)) &&
         IsDecimal(text.substr(5, 2)) && IsDecimal(text.substr(8, 2));
}

// Reads the words after the subcommand: each of `allowed` with its value, or --csv.
// The message for the first word that does not fit; empty when all do.
std::string ReadOptions(const Arguments &args, const std::vector<std::string_view> &allowed, Options &o) {
  const std::pair<std::string_view, std::string *> valued[] = {
      {"--ledger", &o.location}, {"--id", &o.id},     {"--serial", &o.serial}, {"--port", &o.port},
      {"--since", &o.since},     {"--from", &o.from}, {"--close", &o.close}};
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string &word = args[i];
    if (std::find(allowed.begin(), allowed.end(), word) == allowed.end()) return "無法辨識的參數: " + word;
    if (word == "--csv") {
      o.csv = true;
      continue;
    }
    if (i + 1 == args.size()) return word + " 需要一個值";
    const std::string &value = args[++i];
    for (auto [name, field] : valued)
      if (name == word) *field = value;
  }
  if (!o.since.empty() && !IsDay(o.since)) return "--since 需為 YYYY-MM-DD: " + o.since;
  if (!o.close.empty() && (o.close.size() > 18 || !IsDecimal(o.close)))
    return "--close 需為日誌的編號: " + o.close;
  if (!o.from.empty() && (o.from.size() != 8 || !IsDecimal(o.from)))
    return "--from 需為 8 位數字 (機型碼與 6 位數字): " + o.from;
  return "";
}

// The places a terminal gives `text`: two for each wide (Chinese) character, one for
// every other.
size_t ShownWidth(std::string_view text) {
  size_t width = 0;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t k = 1; k < length && i + k < text.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    width += wide ? 2 : 1;
    i += length;
  }
  return width;
}

// Each column as wide as its widest cell, two spaces between columns.
void PrintColumns(const Table &rows) {
  std::vector<size_t> widths;
  for (const auto &row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], ShownWidth(row[c]));
  }
  for (const auto &row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      if (c > 0) line += "  ";
      line += row[c] + std::string(widths[c] - ShownWidth(row[c]), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    std::cout << line << "\n";
  }
}

// 2026-12-10T03:04:27Z as 2026-12-10 03:04:27 (the heading says UTC).
std::string ShownTime(const std::string &time) {
  if (time.size() != 20 || time[10] != 'T' || time.back() != 'Z') return time;
  return time.substr(0, 10) + " " + time.substr(11, 8);
}

// Where a failed command stopped and the first error it said.
std::string Failure(const UnitRecord &u) {
  std::string where = u.failedStep;
  if (u.failedPage > 0) where += " 第 " + std::to_string(u.failedPage) + " 頁";
  if (!u.failedAddress.empty()) where += " " + u.failedAddress;
  if (u.firstMessage.empty()) return where;
  return where.empty() ? u.firstMessage : where + ": " + u.firstMessage;
}

int List(Ledger &ledger, const Options &o) {
  const auto records = ledger.Records({.id = o.id, .serial = o.serial, .port = o.port, .since = o.since});
  if (o.csv) {
    std::cout << kRunLogColumns;
    for (const UnitRecord &u : records)
      std::cout << RunLogLine(u);
    return kExitOk;
  }
  if (records.empty()) {
    std::cerr << "沒有符合的紀錄\n";
    return kExitOk;
  }
  // The free text last, where its length pushes no column out of line.
  Table rows = {{"時間 (UTC)", "工作站", "通信埠", "指令", "機種", "機型", "載入程式", "ID-CODE", "機器序號",
                 "出廠日期", "韌體檔", "結果", "秒數", "失敗處與訊息"}};
  for (const UnitRecord &u : records) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", u.seconds);
    rows.push_back({ShownTime(u.time), u.bench, u.port, u.command, u.kind, u.model, u.loaderVersion, u.id,
                    u.serial, u.date, u.firmwareFile, u.succeeded ? "成功" : "失敗", seconds, Failure(u)});
  }
  PrintColumns(rows);
  return kExitOk;
}

std::string CodeText(int64_t code) {
  const std::string digits = std::to_string(code);
  return std::string(digits.size() < 8 ? 8 - digits.size() : 0, '0') + digits;
}

int NextId(Ledger &ledger, const Options &o) {
  const std::vector<HeldId> held = ledger.HeldIds();  // in code order
  if (o.from.empty() && held.empty()) {
    std::cerr << "生產紀錄中還沒有任何 ID-CODE, 請以 --from 指定起點\n";
    return kExitFailed;
  }
  // From --from, or past the highest code held, to the end of that code's model.
  const int64_t from = o.from.empty() ? held.back().code + 1 : std::stoll(o.from);
  const int64_t start = o.from.empty() ? held.back().code : from;
  const int64_t last = start / kCodesPerModel * kCodesPerModel + kCodesPerModel - 1;
  int64_t next = from;
  for (const HeldId &h : held) {
    if (h.code > next) break;
    if (h.code == next) ++next;
  }
  if (next > last) {
    std::cerr << "到 " << CodeText(last) << " 為止已沒有可用的 ID-CODE\n";
    return kExitFailed;
  }
  std::cout << CodeText(next) << "\n";
  return kExitOk;
}

std::string Hex(const Bytes &bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    char two[3];
    std::snprintf(two, sizeof two, "%02X", b);
    text += two;
  }
  return text;
}

// The parts the entry keeps to put back.
std::string Parts(const JournalEntry &e) {
  const std::pair<const Bytes *, const char *> parts[] = {{&e.blocks, "設定區塊"},
                                                          {&e.topPages, "頂端頁"},
                                                          {&e.identity, "識別頁"},
                                                          {&e.vectors, "向量"},
                                                          {&e.firmware, "韌體"}};
  std::string named;
  for (auto [bytes, name] : parts)
    if (!bytes->empty()) named += (named.empty() ? "" : "、") + std::string(name);
  return named;
}

int Journal(Ledger &ledger, const Options &o) {
  const auto entries = ledger.OpenEntries();
  // An entry a person has looked into (the unit scrapped, or whole again) is put aside:
  // no later command asks about it.
  if (!o.close.empty()) {
    const int64_t number = std::stoll(o.close);
    if (std::none_of(entries.begin(), entries.end(),
                     [&](const JournalEntry &e) { return e.number == number; })) {
      std::cerr << "沒有未完成的日誌 #" << number << "\n";
      return kExitFailed;
    }
    ledger.CloseEntry(number);
    std::cerr << "已結束日誌 #" << number << "\n";
    return kExitOk;
  }
  if (entries.empty()) {
    std::cerr << "沒有未完成的指令\n";
    return kExitOk;
  }
  Table rows = {{"編號", "開始時間 (UTC)", "工作站", "通信埠", "裝置", "指令", "ID-CODE", "機器序號",
                 "載入程式", "晶片識別", "保存的部分"}};
  for (const JournalEntry &e : entries)
    rows.push_back({std::to_string(e.number), ShownTime(e.opened), e.bench, e.port, e.device, e.command, e.id,
                    e.serial, LoaderVersionText(e.loaderVersion), Hex(e.chip), Parts(e)});
  PrintColumns(rows);
  return kExitOk;
}

struct Subcommand {
  std::string_view name;
  std::vector<std::string_view> options;
  int (*run)(Ledger &ledger, const Options &options);
};

// --ledger when given, else the store's Ledger value, else the default file, as the
// unit commands find it. Nothing, after saying why, when the store cannot be read: its
// Ledger value might name another ledger than the default.
std::optional<std::string> Location(const Options &o) {
  if (!o.location.empty()) return o.location;
  std::string error;
  const auto stored = OpenReadablePreferenceStore(&error);
  if (!stored) {
    std::cerr << error << "\n";
    return std::nullopt;
  }
  return stored->ReadString("Ledger").value_or("");
}

}  // namespace

int RunLedger(const Arguments &args, const VentrixApi &) {
  const Subcommand subcommands[] = {
      {"list", {"--id", "--serial", "--port", "--since", "--csv", "--ledger"}, List},
      {"next-id", {"--from", "--ledger"}, NextId},
      {"journal", {"--close", "--ledger"}, Journal},
  };
  if (args.empty()) return Usage("ledger 需要子指令");
  for (const Subcommand &sub : subcommands) {
    if (sub.name != args[0]) continue;
    Options options;
    if (std::string wrong = ReadOptions(args, sub.options, options); !wrong.empty()) return Usage(wrong);
    const std::optional<std::string> location = Location(options);
    if (!location) return kExitFailed;
    try {
      return sub.run(*OpenLedger(*location), options);
    } catch (const DatabaseError &e) {
      std::cerr << "無法使用生產紀錄: " << e.what() << "\n";
      return kExitFailed;
    }
  }
  return Usage("未知的子指令: " + args[0]);
}

}  // namespace rilo
