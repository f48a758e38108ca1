// Where the ledger is kept: a `postgresql://` URL names a server that several benches
// share, `sqlite:PATH` a file, and nothing the file in the user's data folder.
#pragma once

#include <memory>
#include <string>

#include "ledger/ledger.h"

namespace rilo {

// The file the ledger is kept in when nothing else is named:
// $XDG_DATA_HOME/rilo1q12/ledger.sqlite (~/.local/share by default), or on Windows
// %LOCALAPPDATA%\RILO1 Q10-Q12\ledger.sqlite.
std::string DefaultLedgerFile();

// This host's name, as records name the bench a command ran on.
std::string ThisBench();

// Opens the ledger at `location` (empty for the default file, whose folder is made).
// Throws DatabaseError, saying which store and why, when it cannot be used.
std::unique_ptr<Ledger> OpenLedger(const std::string &location);

}  // namespace rilo
