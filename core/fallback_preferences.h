// A store in two places: the machine-wide one, read always and written where the
// user may, and the user's own, which takes each write the machine-wide one refuses
// and whose values win when reading. A standard user on Windows may not change
// HKEY_LOCAL_MACHINE; without the second place every start would find its flags
// unwritten and go back to the defaults.
#pragma once

#include <memory>

#include "core/preferences.h"

namespace rilo {

class FallbackPreferences : public Preferences {
 public:
  FallbackPreferences(std::unique_ptr<Preferences> machine, std::unique_ptr<Preferences> user);

  std::optional<int32_t> ReadInteger(const std::string &name) override;
  std::optional<std::string> ReadString(const std::string &name) override;
  // Throws only when both places refuse the value.
  void WriteInteger(const std::string &name, int32_t value) override;
  void WriteString(const std::string &name, const std::string &value) override;

 private:
  template <typename Write>
  void WriteEither(const std::string &name, Write write);

  std::unique_ptr<Preferences> machine_;
  std::unique_ptr<Preferences> user_;
};

}  // namespace rilo
