// A preference store in the Windows registry: one key under a root, here
// "SOFTWARE\RILO1 Q10/Q12". The key name holds a "/", which the registry API keeps as
// part of the name (a settings library would split it into a subkey). Reads open the
// key for reading only, so a user who may not change it still reads it; writes open
// it with creation allowed and throw std::runtime_error when refused.
#pragma once

#if defined(_WIN32)

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "core/preferences.h"

namespace rilo {

// The tool's key below HKEY_LOCAL_MACHINE, and below HKEY_CURRENT_USER for values a
// standard user may not store for the whole machine.
inline constexpr const char *kPreferencesKey = "SOFTWARE\\RILO1 Q10/Q12";

class RegistryPreferences : public Preferences {
 public:
  RegistryPreferences(HKEY root, std::string path);

  std::optional<int32_t> ReadInteger(const std::string &name) override;
  std::optional<std::string> ReadString(const std::string &name) override;
  void WriteInteger(const std::string &name, int32_t value) override;
  void WriteString(const std::string &name, const std::string &value) override;

 private:
  void Write(const std::string &name, DWORD type, const void *data, DWORD size);

  HKEY root_;
  std::string path_;
};

}  // namespace rilo

#endif
