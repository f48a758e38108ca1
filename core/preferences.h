// The preference store: the registry key "SOFTWARE\RILO1 Q10/Q12" on Windows, an INI
// file elsewhere. Reads answer nothing for a missing value or one stored with
// another type; writes that fail throw std::runtime_error.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace rilo {

class Preferences {
 public:
  virtual ~Preferences() = default;
  virtual std::optional<int32_t> ReadInteger(const std::string &name) = 0;
  virtual std::optional<std::string> ReadString(const std::string &name) = 0;
  virtual void WriteInteger(const std::string &name, int32_t value) = 0;
  virtual void WriteString(const std::string &name, const std::string &value) = 0;

  // Booleans are integers: 0 false, anything else true.
  std::optional<bool> ReadBool(const std::string &name) {
    auto v = ReadInteger(name);
    if (!v) return std::nullopt;
    return *v != 0;
  }
  void WriteBool(const std::string &name, bool value) { WriteInteger(name, value ? 1 : 0); }
};

// In-memory store for tests; `values` can be inspected and prepared directly.
class MemoryPreferences : public Preferences {
 public:
  std::map<std::string, std::variant<int32_t, std::string>> values;

  std::optional<int32_t> ReadInteger(const std::string &name) override {
    auto it = values.find(name);
    if (it == values.end() || !std::holds_alternative<int32_t>(it->second)) return std::nullopt;
    return std::get<int32_t>(it->second);
  }
  std::optional<std::string> ReadString(const std::string &name) override {
    auto it = values.find(name);
    if (it == values.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
    return std::get<std::string>(it->second);
  }
  void WriteInteger(const std::string &name, int32_t value) override { values[name] = value; }
  void WriteString(const std::string &name, const std::string &value) override { values[name] = value; }
};

}  // namespace rilo
