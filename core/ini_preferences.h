// The preference store on systems without a registry: one file in the user's
// configuration folder, written in the registry's own export syntax so values keep
// their types ("Left"=dword:00000064, "COM"="COM1").
#pragma once

#include <memory>
#include <string>

#include "core/file_system.h"
#include "core/preferences.h"

namespace rilo {

class IniPreferences : public MemoryPreferences {
 public:
  // Reads `path` if it exists; a missing file, or one that cannot be read, is an empty
  // store.
  explicit IniPreferences(std::string path, FileSystem &files = SystemFileSystem());

  // Every write goes to the file at once, whole or not at all, so a crash never leaves
  // half a file. A failed write throws std::runtime_error, and so does a write while
  // the file is there but cannot be read: writing it would lose the values it holds.
  void WriteInteger(const std::string &name, int32_t value) override;
  void WriteString(const std::string &name, const std::string &value) override;

  const std::string &path() const { return path_; }
  // Why the file could not be read when the store was made, though it is there (a
  // folder or a pipe in its place, say); nothing otherwise.
  std::error_code unreadable() const { return unreadable_; }

 private:
  std::error_code Load();
  void Save(std::error_code unread) const;
  std::string path_;
  FileSystem &files_;
  std::error_code unreadable_;
};

// "$XDG_CONFIG_HOME/RILO1Q12/preferences.ini", or "~/.config/RILO1Q12/preferences.ini".
std::string DefaultPreferencesPath();

// The store of this platform: the registry key on Windows, the INI file elsewhere.
std::unique_ptr<Preferences> OpenPreferenceStore();

// The same, for a command that must not go on with values it could not read: null, with
// "無法讀取設定檔 PATH: REASON" in *error, when the file is there but cannot be read.
// The registry has no such state.
std::unique_ptr<Preferences> OpenReadablePreferenceStore(std::string *error);

}  // namespace rilo
