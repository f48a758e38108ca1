// The subcommands of rilo-cli. Each takes its own arguments (the words after its
// name), writes its data to standard output and its complaints to standard error,
// and answers the program's exit code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ventrix_api.h"

namespace rilo {

using Arguments = std::vector<std::string>;

struct Command {
  std::string_view name;
  std::string_view usage;  // the arguments, as the usage text shows them
  int (*run)(const Arguments &args, const VentrixApi &ventrix);
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the command could not do its work
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

int RunShow(const Arguments &args, const VentrixApi &ventrix);
int RunSet(const Arguments &args, const VentrixApi &ventrix);
int RunRead(const Arguments &args, const VentrixApi &ventrix);
int RunWrite(const Arguments &args, const VentrixApi &ventrix);
int RunPort(const Arguments &args, const VentrixApi &ventrix);

}  // namespace rilo
