// The open command's way with a settings file: the parse, and, with the factory flag
// off, the file must name a model and the identity fields come from the file itself.
#pragma once

#include <optional>
#include <string>

#include "core/operator.h"
#include "core/ventrix_api.h"
#include "files/customer_record.h"
#include "settings/editor.h"

namespace rilo {

struct SettingsFileContent {
  SettingsImage image{};     // block 1 from the file; block 0 zero
  std::string customerText;  // what follows the hexadecimal lines: "q", the customer block
};

// Parses `text` (the whole file, every line ending in CR LF). Nothing when the file
// does not begin as a settings file or its data cannot be converted.
std::optional<SettingsFileContent> ParseSettingsFile(const VentrixApi &ventrix, const std::string &text);

// When the file names a model, it becomes the loaded and working image and is
// presented with its model, the serial number and date code taken from block 1 bytes
// 96..102, `customer` (when given) receives its customer block, and the person is told
// the file is open. A file the parser refuses, or that names no model, is told to the
// person and changes nothing; false then.
bool OpenSettingsFile(Editor &editor, const VentrixApi &ventrix, Operator &op, const std::string &text,
                      CustomerRecord *customer = nullptr);

}  // namespace rilo
