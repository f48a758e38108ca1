// What the open command shows of an opened file's identity: its model, and the serial
// number and date code stored in block 1.
#pragma once

#include <string_view>

#include "settings/editor.h"

namespace rilo {

// Model "10" or "12" as MachineType, with its type name and window caption.
void SetFileModel(Editor &editor, std::string_view model);

// The serial number field from block 1 bytes 97..99 of the working image (the field's
// mask supplies the two leading characters) and the date field, unmasked, from bytes
// 100..102 as 20YY/MM/DD ("2" alone before a year byte above 0x99).
void ShowFileIdentity(Editor &editor);

}  // namespace rilo
