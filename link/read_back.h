// What was written to a unit, compared with what it gave back when read: a flash tool
// that does not read back cannot promise the unit holds what it was sent.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace rilo {

// The device address of the first byte where `readBack` differs from `written`
// (`address` is that of written[0]); nothing when it holds exactly `written`. Only data
// that arrived whole is compared: a lost reply is the caller's to tell apart.
[[nodiscard]] std::optional<uint16_t> FirstDifference(uint16_t address, std::span<const uint8_t> written,
                                                      std::span<const uint8_t> readBack);

}  // namespace rilo
