// rilo-cli's commands run in-process, as the tests and the benchmarks run them: the
// one unit behind a command's only port, and what the command says to the person
// (standard error) caught instead of shown.
#pragma once

#include <cstddef>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/commands.h"

namespace rilo::testing {

// The one unit behind a command's only port.
struct OneLine : UnitLines {
  explicit OneLine(UnitLine unit) : only(unit) {}
  UnitLine Line(size_t) override { return only; }
  UnitLine only;
};

struct CommandResult {
  int exit;
  std::string err;
};

// Standard error into a string while this lives; the terminal gets it back even when
// the command throws.
class CaughtErr {
 public:
  CaughtErr() : terminal_(std::cerr.rdbuf(said_.rdbuf())) {}
  ~CaughtErr() { std::cerr.rdbuf(terminal_); }
  CaughtErr(const CaughtErr &) = delete;
  CaughtErr &operator=(const CaughtErr &) = delete;

  std::string str() const { return said_.str(); }

 private:
  std::ostringstream said_;
  std::streambuf *terminal_;
};

inline CommandResult RunCommand(int (*command)(const Arguments &, const VentrixApi &, UnitLines &),
                                const Arguments &args, const VentrixApi &ventrix, UnitLines &lines) {
  CaughtErr err;
  const int exit = command(args, ventrix, lines);
  return {exit, err.str()};
}

// A command that needs no unit.
inline CommandResult RunCommand(int (*command)(const Arguments &, const VentrixApi &), const Arguments &args,
                                const VentrixApi &ventrix) {
  CaughtErr err;
  const int exit = command(args, ventrix);
  return {exit, err.str()};
}

}  // namespace rilo::testing
