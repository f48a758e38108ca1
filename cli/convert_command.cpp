// convert: firmware files from one kind into the other, through the parsers and the
// writers of the window's open and save commands.
//   convert TX.txt RX.txt -o BOTH.dat   a data file from a transmitter and a receiver
//   convert BOTH.dat --tx|--rx -o ONE.txt   one unit of a data file as a text file
#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "files/file_text.h"
#include "files/file_writers.h"
#include "workbench/open_firmware.h"

namespace rilo {
namespace {

constexpr const char *kUsage =
    "用法: rilo-cli convert TX.txt RX.txt -o BOTH.dat | convert BOTH.dat --tx|--rx -o ONE.txt";

int UsageError(const std::string &message) {
  std::cerr << message << "\n" << kUsage << "\n";
  return kExitUsage;
}

std::optional<FirmwareFileContent> ReadFirmware(const std::string &path, FirmwareFile kind,
                                                const VentrixApi &ventrix) {
  std::string reason;
  const auto bytes = ReadFileBytes(path, &reason);
  if (!bytes) {
    std::cerr << "無法讀取檔案 " << path << ": " << reason << "\n";
    return std::nullopt;
  }
  const auto text = ParserText(*bytes);
  auto file = text ? ParseFirmwareFile(ventrix, kind, *text, {}) : std::nullopt;
  if (!file)
    std::cerr << path << ": 不是" << (kind == FirmwareFile::Text ? "韌體文字檔 (.txt)" : "韌體資料檔 (.dat)")
              << "\n";
  return file;
}

// A text file's unit is told by the reset vector at 0xFFFE: 0xF0xx for a transmitter.
bool RightUnit(const std::string &path, const UnitFirmware &unit, bool transmitter) {
  if (IsTransmitterFirmware(unit.vectors) == transmitter) return true;
  char vector[5];
  std::snprintf(vector, sizeof vector, "%02X%02X", unit.vectors[31], unit.vectors[30]);
  std::cerr << path << ": 重置向量為 0x" << vector << ",是" << (transmitter ? "接收機" : "發射機")
            << "的程式,不能當作" << (transmitter ? "發射機" : "接收機") << "的程式\n";
  return false;
}

int Write(const std::string &path, const TextLines &lines) {
  std::string reason;
  if (!WriteFileAtomically(path, JoinCrLf(lines), &reason)) {
    std::cerr << "無法寫入檔案 " << path << ": " << reason << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int RunConvert(const Arguments &args, const VentrixApi &ventrix) {
  std::vector<std::string> inputs;
  std::string out, unit;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      out = args[++i];
    } else if (args[i] == "--tx" || args[i] == "--rx") {
      if (!unit.empty()) return UsageError("--tx 與 --rx 只能擇一");
      unit = args[i];
    } else if (args[i].starts_with("-")) {
      return UsageError("無法辨識的參數: " + args[i]);
    } else {
      inputs.push_back(args[i]);
    }
  }
  if (out.empty() || inputs.empty() || inputs.size() > 2) return UsageError("需要一或兩個輸入檔與 -o 輸出檔");

  if (inputs.size() == 2) {
    if (!unit.empty()) return UsageError("由兩個文字檔組成資料檔時不用 --tx 或 --rx");
    const auto tx = ReadFirmware(inputs[0], FirmwareFile::Text, ventrix);
    if (!tx || !RightUnit(inputs[0], tx->single, true)) return kExitFailed;
    const auto rx = ReadFirmware(inputs[1], FirmwareFile::Text, ventrix);
    if (!rx || !RightUnit(inputs[1], rx->single, false)) return kExitFailed;
    for (const auto &[path, file] : {std::pair{inputs[0], &*tx}, std::pair{inputs[1], &*rx}}) {
      if (!FitsDataFile(*file->single.image)) {
        std::cerr << path << ": 程式頁面不連續,無法存成資料檔\n";
        return kExitFailed;
      }
    }
    // As the window after reading the transmitter, then the receiver: the settings
    // blocks are the receiver's, the last one read.
    return Write(out, FirmwareDataFileLines(tx->single.vectors, rx->single.vectors, rx->settings,
                                            *tx->single.image, *rx->single.image));
  }

  if (unit.empty()) return UsageError("由資料檔取出文字檔時需指定 --tx 或 --rx");
  const auto both = ReadFirmware(inputs[0], FirmwareFile::Data, ventrix);
  if (!both) return kExitFailed;
  const UnitFirmware &one = unit == "--tx" ? both->tx : both->rx;
  return Write(out, FirmwareTextFileLines(one.vectors, both->settings, *one.image));
}

}  // namespace rilo
