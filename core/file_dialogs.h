// The open and save dialogs: the person picks a file. The window shows its own file
// dialogs; tests answer from a script.
#pragma once

#include <optional>
#include <string>

namespace rilo {

class FileDialogs {
 public:
  struct Chosen {
    std::string path;     // UTF-8
    int filterIndex = 1;  // 1-based, of the filter shown when the person confirmed
  };

  virtual ~FileDialogs() = default;

  // `filter` in the form's notation: "description|pattern|description|pattern...", or
  // a description alone ("RILO Format [*.rilo]"), followed by "所有檔案 (*)", whose index
  // is one past the filter's own. Starts in `folder` (empty: the dialog's own choice).
  // Nothing when the person cancels.
  virtual std::optional<Chosen> ChooseFileToOpen(const std::string &filter, const std::string &folder) = 0;

  // `filter` as for opening; `defaultExtension` ("rilo") is added to a name typed
  // without one; `proposed` is the path offered at first. Nothing when cancelled.
  virtual std::optional<std::string> ChooseFileToSave(const std::string &filter,
                                                      const std::string &defaultExtension,
                                                      const std::string &proposed) = 0;
};

}  // namespace rilo
