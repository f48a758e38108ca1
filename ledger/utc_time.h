// The time now, UTC, as records write it: 2026-12-10T03:04:27Z.
#pragma once

#include <string>

namespace rilo {

std::string UtcNow();

}  // namespace rilo
