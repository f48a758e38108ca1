// Firmware files as the open command reads them, parsed into plain buffers first so a
// refused file leaves the tool as it was. Workbench::OpenFirmwareFile puts a parsed
// file into the window's buffers; rilo-cli converts between the two kinds with them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/ventrix_api.h"
#include "firmware/firmware_image.h"
#include "settings/settings_image.h"

namespace rilo {

// The two firmware file kinds: a text file (.txt) holds one unit, a data file (.dat)
// both units of a set.
enum class FirmwareFile { Text, Data };

// One unit's firmware: its pages and its vector table.
struct UnitFirmware {
  std::unique_ptr<FirmwareImage> image;  // 70 KB: kept off the stack
  VectorTable vectors{};
};

// What a firmware file holds. A text file fills `single` (the unit of the file); a
// data file fills `tx` and `rx`. `settings` is the file's two settings blocks, zero
// where the file has none.
struct FirmwareFileContent {
  UnitFirmware single, tx, rx;
  SettingsImage settings{};
};

// Parses `text` (every line ending in CR LF, as ParserText makes it) as a file of
// `kind`. The vector tables start as `vectorsBefore` gives them (single for a text
// file, tx and rx for a data file), since a file need not supply every vector byte;
// every page starts unused. Nothing when the parser refuses the file.
std::optional<FirmwareFileContent> ParseFirmwareFile(const VentrixApi &ventrix, FirmwareFile kind,
                                                     const std::string &text,
                                                     const FirmwareFileContent &vectorsBefore);

// True when a unit's vector table marks transmitter firmware: the reset vector at
// 0xFFFE points into 0xF0xx.
inline bool IsTransmitterFirmware(const VectorTable &vectors) {
  return vectors[31] == 0xF0;
}

}  // namespace rilo
