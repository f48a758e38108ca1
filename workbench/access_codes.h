// The twenty access codes of the unlock dialog and what each one switches. The codes
// are not kept in the program: each is held as SHA-256 of its salt followed by the code.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace rilo {

struct FlagWrite {
  const char *name;  // preference value
  bool value;
};

inline constexpr int8_t kEntryKept = -1;

struct AccessCode {
  const char *salt;
  const char *hash;
  std::vector<FlagWrite> writes;         // in the order they are written
  std::array<int8_t, 5> specialEntries;  // new SpecialGroupFlags entries, or kEntryKept
};

// In the order they are tried.
const std::vector<AccessCode> &AccessCodes();

// The first code equal to `typed` (exact: case and blanks count), or nullptr.
const AccessCode *MatchAccessCode(std::string_view typed);

}  // namespace rilo
