// The faults of rilo-unit-sim's command line, so a person can try each by hand:
//   --fault KIND[:REQUEST[:SKIP[:TIMES]]]   e.g. flip-bit:14:2 strikes the third read once
//   --stuck-bit ADDRESS:BIT=LEVEL           e.g. 1091:1=0, the address in hexadecimal
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sim/fault.h"

namespace rilo::sim {

// KIND: no-answer, refuse, garble, late (300 ms), noise (300 bytes), lose-byte,
// flip-bit, wrong-length. REQUEST: a command code in hexadecimal (14 read, 12 write,
// 16 erase, 10 password), sync, or any (the default). SKIP: matching requests answered
// normally first (default 0). TIMES: how many are struck then, or forever (default 1).
std::optional<Fault> ParseFault(const std::string &text);

struct StuckBitOption {
  uint32_t address = 0;
  int bit = 0;
  bool level = false;
};
std::optional<StuckBitOption> ParseStuckBit(const std::string &text);

}  // namespace rilo::sim
