#if defined(_WIN32)

#include "core/registry_preferences.h"

#include <stdexcept>
#include <utility>
#include <vector>

namespace rilo {
namespace {

// Earlier releases were 32-bit programs, whose HKEY_LOCAL_MACHINE\SOFTWARE is the
// registry's 32-bit view: a 64-bit build asks for that view to find their values.
// (HKEY_CURRENT_USER\SOFTWARE is one view for both.)
constexpr REGSAM kView = KEY_WOW64_32KEY;

// An open key, closed when the holder goes; empty when it could not be opened.
class Key {
 public:
  Key(HKEY root, const std::string &path, REGSAM access, bool create) {
    status_ =
        create ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access | kView, nullptr, &key_, nullptr)
               : RegOpenKeyExA(root, path.c_str(), 0, access | kView, &key_);
    if (status_ != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key &) = delete;
  Key &operator=(const Key &) = delete;
  HKEY get() const { return key_; }
  LONG status() const { return status_; }

 private:
  HKEY key_ = nullptr;
  LONG status_ = ERROR_SUCCESS;
};

}  // namespace

RegistryPreferences::RegistryPreferences(HKEY root, std::string path) : root_(root), path_(std::move(path)) {}

std::optional<int32_t> RegistryPreferences::ReadInteger(const std::string &name) {
  Key key(root_, path_, KEY_QUERY_VALUE, false);
  DWORD type = 0, value = 0, size = sizeof value;
  if (!key.get() ||
      RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<std::string> RegistryPreferences::ReadString(const std::string &name) {
  Key key(root_, path_, KEY_QUERY_VALUE, false);
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
  const DWORD v = static_cast<DWORD>(value);
  Write(name, REG_DWORD, &v, sizeof v);
}

void RegistryPreferences::WriteString(const std::string &name, const std::string &value) {
  Write(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void RegistryPreferences::Write(const std::string &name, DWORD type, const void *data, DWORD size) {
  Key key(root_, path_, KEY_SET_VALUE, true);
  LONG status = key.get()
                    ? RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE *>(data), size)
                    : key.status();
  if (status != ERROR_SUCCESS)
    throw std::runtime_error("無法寫入登錄值 " + name + " (錯誤 " + std::to_string(status) + ")");
}

}  // namespace rilo

#endif
