// The open command's way with a settings file when the factory flag is off: the file
// must name a model, and the identity fields come from the file itself.
#pragma once

#include <string>

#include "core/operator.h"
#include "core/ventrix_api.h"
#include "settings/editor.h"

namespace rilo {

// Parses `text` (the whole file, every line ending in CR LF) into block 1 of a zeroed
// image. When its model code names a model, the image becomes the loaded and working
// image and is presented with its model, the serial number and date code taken from
// block 1 bytes 96..102, and the person is told the file is open. Otherwise the person
// is told the file is not a settings file and the editor keeps what it held. A file
// whose data cannot be converted throws std::runtime_error, again changing nothing.
bool OpenSettingsFile(Editor &editor, const VentrixApi &ventrix, Operator &op, const std::string &text);

}  // namespace rilo
