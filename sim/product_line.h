// The product line the simulated units are built from: the tool's own data file
// (product-line.txt beside the program), read by the reader the tool uses.
#pragma once

#include <array>
#include <cstdint>

#include "base/product_line.h"

namespace rilo::sim {

// A loader password, which is also the unit's vector table.
using Password = std::array<uint8_t, 32>;

}  // namespace rilo::sim
