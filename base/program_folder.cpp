#include "base/program_folder.h"

#if defined(_WIN32)
#include <windows.h>

#include <array>
#else
#include <filesystem>
#include <system_error>
#endif

namespace rilo {

std::string ProgramFolder() {
#if defined(_WIN32)
  std::array<char, MAX_PATH> buf{};
  const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  const std::string path(buf.data(), n);
  return path.substr(0, path.find_last_of("\\/") + 1);
#else
  std::error_code failed;
  const std::string path = std::filesystem::read_symlink("/proc/self/exe", failed).string();
  if (failed || path.empty()) return "./";
  return path.substr(0, path.find_last_of('/') + 1);
#endif
}

}  // namespace rilo
