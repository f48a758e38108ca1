// SHA-256 (FIPS 180-4): the access codes are checked against their stored salted
// hashes without holding the codes themselves, and shared data is pinned by its digest.
#pragma once

#include <string>
#include <string_view>

namespace rilo {

// Lower-case hexadecimal SHA-256 digest of `data`.
std::string Sha256Hex(std::string_view data);

}  // namespace rilo
