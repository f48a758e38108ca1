// SHA-256 (FIPS 180-4), enough to check the access codes against their stored
// salted hashes without holding the codes themselves.
#pragma once

#include <string>
#include <string_view>

namespace rilo {

// Lower-case hexadecimal SHA-256 digest of `data`.
std::string Sha256Hex(std::string_view data);

}  // namespace rilo
