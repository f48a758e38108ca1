#include "core/ventrix_api.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <array>

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

std::string ProgramFolder() {
#if defined(_WIN32)
  std::array<char, MAX_PATH> buf{};
  DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  std::string path(buf.data(), n);
  return path.substr(0, path.find_last_of("\\/") + 1);
#else
  std::array<char, 4096> buf{};
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "./";
  std::string path(buf.data(), static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/') + 1);
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
