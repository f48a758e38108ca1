// The six Ventrix exports, bound by name at run time. The tool never links the
// library directly: a missing or older library must be a clear message at start-up,
// not a loader error before main().
#pragma once

#include <optional>
#include <string>

#include "formats/ventrix.h"

namespace rilo {

struct VentrixApi {
  decltype(&::DeHamming) DeHamming = nullptr;
  decltype(&::ReHamming) ReHamming = nullptr;
  decltype(&::CheckSum) CheckSum = nullptr;
  decltype(&::ArrangeRilo) ArrangeRilo = nullptr;
  decltype(&::ArrangeTxt) ArrangeTxt = nullptr;
  decltype(&::ArrangeDat) ArrangeDat = nullptr;
};

// File name of the library on this platform ("libventrix.so", "ventrix.dll").
const char *VentrixFileName();

// Loads the library from `path` and resolves the six names. On failure returns
// nothing and puts a message naming the library or the missing export in *error.
// The library stays loaded for the rest of the process.
std::optional<VentrixApi> LoadVentrix(const std::string &path, std::string *error);

// LoadVentrix on the copy beside the running program.
std::optional<VentrixApi> LoadVentrixBesideProgram(std::string *error);

}  // namespace rilo
