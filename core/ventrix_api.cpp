#include "core/ventrix_api.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "base/program_folder.h"

namespace rilo {
namespace {

#if defined(_WIN32)
using Handle = HMODULE;
Handle Open(const std::string &path) {
  return LoadLibraryA(path.c_str());
}
void *Find(Handle h, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(h, name));
}
std::string LastError() {
  return "error " + std::to_string(GetLastError());
}
#else
using Handle = void *;
Handle Open(const std::string &path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void *Find(Handle h, const char *name) {
  return dlsym(h, name);
}
std::string LastError() {
  const char *e = dlerror();
  return e ? e : "unknown error";
}
#endif

template <typename Fn>
bool Bind(Handle h, const char *name, Fn *slot, std::string *error) {
  void *p = Find(h, name);
  if (!p) {
    *error = "Ventrix 程式庫缺少 " + std::string(name) + " 函式";
    return false;
  }
  *slot = reinterpret_cast<Fn>(p);
  return true;
}

}  // namespace

const char *VentrixFileName() {
#if defined(_WIN32)
  return "ventrix.dll";
#else
  return "libventrix.so";
#endif
}

std::optional<VentrixApi> LoadVentrix(const std::string &path, std::string *error) {
  Handle h = Open(path);
  if (!h) {
    *error = "無法載入 Ventrix 程式庫 " + path + ": " + LastError();
    return std::nullopt;
  }
  VentrixApi api;
  if (!Bind(h, "DeHamming", &api.DeHamming, error) || !Bind(h, "ReHamming", &api.ReHamming, error) ||
      !Bind(h, "CheckSum", &api.CheckSum, error) || !Bind(h, "ArrangeRilo", &api.ArrangeRilo, error) ||
      !Bind(h, "ArrangeTxt", &api.ArrangeTxt, error) || !Bind(h, "ArrangeDat", &api.ArrangeDat, error)) {
    return std::nullopt;
  }
  return api;
}

std::optional<VentrixApi> LoadVentrixBesideProgram(std::string *error) {
  return LoadVentrix(ProgramFolder() + VentrixFileName(), error);
}

}  // namespace rilo
