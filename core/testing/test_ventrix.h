// The Ventrix library as tests use it: loaded once, by name, from beside the test
// program, exactly as the tool loads it.
#pragma once

#include <stdexcept>
#include <string>

#include "core/ventrix_api.h"

namespace rilo::testing {

inline const VentrixApi &Ventrix() {
  static const VentrixApi api = [] {
    std::string error;
    auto loaded = LoadVentrixBesideProgram(&error);
    if (!loaded) throw std::runtime_error(error);
    return *loaded;
  }();
  return api;
}

}  // namespace rilo::testing
