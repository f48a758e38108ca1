// Where the running program lives: its data files (product-line.txt) and the Ventrix
// library sit beside it, installed or in the build tree alike.
#pragma once

#include <string>

namespace rilo {

// Folder of the running program, with a trailing separator; "./" when it cannot be told.
std::string ProgramFolder();

}  // namespace rilo
