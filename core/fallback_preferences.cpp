#include "core/fallback_preferences.h"

#include <stdexcept>
#include <utility>

namespace rilo {

FallbackPreferences::FallbackPreferences(std::unique_ptr<Preferences> machine,
                                         std::unique_ptr<Preferences> user)
    : machine_(std::move(machine)), user_(std::move(user)) {}

std::optional<int32_t> FallbackPreferences::ReadInteger(const std::string &name) {
  if (auto value = user_->ReadInteger(name)) return value;
  return machine_->ReadInteger(name);
}

std::optional<std::string> FallbackPreferences::ReadString(const std::string &name) {
  if (auto value = user_->ReadString(name)) return value;
  return machine_->ReadString(name);
}

template <typename Write>
void FallbackPreferences::WriteEither(const std::string &name, Write write) {
  try {
    write(*machine_);
  } catch (const std::runtime_error &) {
    write(*user_);
    return;
  }
  // A copy kept for this user earlier would hide the value just stored: keep it in step.
  if (user_->ReadInteger(name) || user_->ReadString(name)) write(*user_);
}

void FallbackPreferences::WriteInteger(const std::string &name, int32_t value) {
  WriteEither(name, [&](Preferences &store) { store.WriteInteger(name, value); });
}

void FallbackPreferences::WriteString(const std::string &name, const std::string &value) {
  WriteEither(name, [&](Preferences &store) { store.WriteString(name, value); });
}

}  // namespace rilo
