// The preference store on Windows: HKEY_LOCAL_MACHINE\SOFTWARE\RILO1 Q10/Q12, opened
// with creation allowed at each use. The key name holds a "/", which the registry
// API keeps as part of the name (a settings library would split it into a subkey).
#pragma once

#if defined(_WIN32)

#include "core/preferences.h"

namespace rilo {

class RegistryPreferences : public Preferences {
 public:
  std::optional<int32_t> ReadInteger(const std::string &name) override;
  std::optional<std::string> ReadString(const std::string &name) override;
  void WriteInteger(const std::string &name, int32_t value) override;
  void WriteString(const std::string &name, const std::string &value) override;
};

}  // namespace rilo

#endif
