// What the save command does to the working settings before any file is written:
// the identity fields folded into block 1, so the file carries the unit's identity.
#pragma once

#include "core/feature_flags.h"
#include "core/operator.h"
#include "core/ventrix_api.h"
#include "settings/editor.h"

namespace rilo {

// Completes the identity fields, then writes into block 1 of the working image the ID
// code (bytes 0..7, as codewords), the serial number (96..99) and the date code
// (100..102, its decimal digits read as hexadecimal), the check word (8, 9) and the
// unit's check routine (104..121). With the factory flag an empty date is first filled
// with today's; without it an empty date, like an unknown model, is told to the person
// and answers false. What was folded in before a refusal stays in the image. A field
// that is not a number throws ConversionError.
bool PrepareSettingsSave(Editor &editor, const FeatureFlags &flags, const VentrixApi &ventrix, Operator &op);

}  // namespace rilo
