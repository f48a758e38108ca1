// The product line as the tool holds it: the reader on the ground floor, its passwords
// taken as the vector tables the loader compares them with.
#pragma once

#include <type_traits>

#include "base/product_line.h"
#include "firmware/firmware_image.h"

namespace rilo {

static_assert(std::is_same_v<decltype(ProductLine::PasswordA), VectorTable>,
              "a password is sent and stored as a vector table");

}  // namespace rilo
