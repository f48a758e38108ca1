#include "cli/unit_session.h"

#include <utility>

namespace rilo {

UnitSession::UnitSession(MemoryPreferences preferences_, UnitLine unit, const VentrixApi &ventrix,
                         const ProductLine &productLine, BenchOperator &person_)
    : person(person_),
      preferences(std::move(preferences_)),
      bench(preferences, person, unit.port, unit.clock, ventrix, productLine) {
  bench.FormMenuCreate({});
  bench.FormMenuShow();
}

}  // namespace rilo
