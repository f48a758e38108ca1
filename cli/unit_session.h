// One unit on the bench as the unit commands drive it: the window's Workbench started
// as the window starts it, with the stored flags and port mapping (read from the store
// before the run), the port of the command line and the person at the bench. The port
// closes with the session.
#pragma once

#include <cstdint>
#include <optional>

#include "cli/bench_operator.h"
#include "cli/commands.h"
#include "core/preferences.h"
#include "link/product_line.h"
#include "workbench/workbench.h"

namespace rilo {

struct UnitSession {
  // `preferences`: the session's own store (SessionPreferences).
  UnitSession(MemoryPreferences preferences, UnitLine unit, const VentrixApi &ventrix,
              const ProductLine &productLine, BenchOperator &person);
  ~UnitSession() { bench.NQuitClick(); }
  UnitSession(const UnitSession &) = delete;
  UnitSession &operator=(const UnitSession &) = delete;

  BenchOperator &person;
  MemoryPreferences preferences;
  Workbench bench;
  std::optional<int64_t> reservedId;  // the ID code the run reserved for this unit
};

}  // namespace rilo
