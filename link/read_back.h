// What was written to a unit, compared with what it gave back when read: a flash tool
// that does not read back cannot promise the unit holds what it was sent.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/operator.h"

namespace rilo {

// True when `readBack` holds exactly `written`. Otherwise tells the person, under
// `caption` with the error icon, the device address of the first byte that differs
// (`address` is that of written[0]) and answers false.
bool MatchesReadBack(Operator &person, const std::string &caption, uint16_t address,
                     std::span<const uint8_t> written, std::span<const uint8_t> readBack);

}  // namespace rilo
