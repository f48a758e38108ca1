// File dialogs for tests: every showing is recorded, and the answers come from a queue
// (a dialog shown with nothing queued is a test error, not a cancel).
#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/file_dialogs.h"

namespace rilo::testing {

struct ShownDialog {
  bool save;
  std::string filter;
  std::string folderOrProposed;
  std::string defaultExtension;  // save dialogs only
  bool operator==(const ShownDialog &) const = default;
};

class ScriptedDialogs : public FileDialogs {
 public:
  std::vector<ShownDialog> shown;
  std::deque<std::optional<Chosen>> opens;  // nothing: the person cancels
  std::deque<std::optional<std::string>> saves;

  std::optional<Chosen> ChooseFileToOpen(const std::string &filter, const std::string &folder) override {
    shown.push_back({false, filter, folder, ""});
    if (opens.empty()) throw std::logic_error("unexpected open dialog");
    auto answer = opens.front();
    opens.pop_front();
    return answer;
  }
  std::optional<std::string> ChooseFileToSave(const std::string &filter, const std::string &defaultExtension,
                                              const std::string &proposed) override {
    shown.push_back({true, filter, proposed, defaultExtension});
    if (saves.empty()) throw std::logic_error("unexpected save dialog");
    auto answer = saves.front();
    saves.pop_front();
    return answer;
  }
};

}  // namespace rilo::testing
