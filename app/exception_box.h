// The application's exception box: whatever a handler throws (a store that cannot be
// written, a file that cannot be opened, a printer error) is shown to the person as an
// error message, and the program goes on.
#pragma once

#include <functional>

#include "core/operator.h"

namespace rilo {

inline constexpr const char *kExceptionCaption = "RILO1Q12";

// Runs `handler`; anything it throws is shown in the exception box. True when it
// returned normally.
bool RunGuarded(Operator &person, const std::function<void()> &handler);

}  // namespace rilo
