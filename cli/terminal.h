// Whether standard error is a terminal that can redraw lines in place: a terminal on
// POSIX systems; on Windows a console that takes the VT control sequences, which this
// switches on.
#pragma once

namespace rilo {

bool StandardErrorRedraws();

}  // namespace rilo
