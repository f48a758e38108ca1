#if defined(_WIN32)

#include "core/registry_preferences.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace rilo {
namespace {

constexpr const char *kKey = "SOFTWARE\\RILO1 Q10/Q12";

// The key, created when missing; closed when the holder goes.
class Key {
 public:
  Key() {
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key &) = delete;
  Key &operator=(const Key &) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

void Check(LONG status, const std::string &name) {
  if (status != ERROR_SUCCESS)
    throw std::runtime_error("無法寫入登錄值 " + name + " (錯誤 " + std::to_string(status) + ")");
}

}  // namespace

std::optional<int32_t> RegistryPreferences::ReadInteger(const std::string &name) {
  Key key;
  DWORD type = 0, value = 0, size = sizeof value;
  if (!key.get() ||
      RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<std::string> RegistryPreferences::ReadString(const std::string &name) {
  Key key;
  DWORD type = 0, size = 0;
  if (!key.get() ||
      RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::vector<char> buf(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(buf.data()),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buf.data());
}

void RegistryPreferences::WriteInteger(const std::string &name, int32_t value) {
  Key key;
  if (!key.get()) Check(ERROR_ACCESS_DENIED, name);
  DWORD v = static_cast<DWORD>(value);
  Check(RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), sizeof v),
        name);
}

void RegistryPreferences::WriteString(const std::string &name, const std::string &value) {
  Key key;
  if (!key.get()) Check(ERROR_ACCESS_DENIED, name);
  Check(RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)),
        name);
}

}  // namespace rilo

#endif
