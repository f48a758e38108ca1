// Today's local date in the system's short date format, for the date prompt.
#pragma once

#include <string>

namespace rilo {

// Windows: the user's short date format. Elsewhere there is no such setting, and the
// format the units' home locale uses, yyyy/M/d, stands in.
std::string SystemShortDate();

}  // namespace rilo
