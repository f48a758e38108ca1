// Writing the working settings into a unit: the unit's model checked against the
// window's, an interrupted identity update finished first, the ID code guarded by a
// question, both blocks erased, written and read back, and on the factory path the
// serial number and date brought into the identity page.
#pragma once

#include <string>

#include "settings/settings_image.h"
#include "workbench/unit_steps.h"

namespace rilo {

class SettingsWrite {
 public:
  // `unitSettings` receives what is read of the unit's own blocks on the way.
  SettingsWrite(UnitSteps &steps, SettingsImage &unitSettings) : steps_(steps), unitSettings_(unitSettings) {}

  // The steps up to the last exchange. `factory` takes the identity fields into the
  // identity page; `askBeforeIdChange` asks before the unit's ID code is written over;
  // `keepUnitBlock0` writes the unit's own block 0 back (nothing loaded carries one).
  // False when the command ends without its success message; its messages are shown.
  bool Run(bool factory, bool askBeforeIdChange, bool keepUnitBlock0);

 private:
  bool EraseAndWriteBlocks(bool keepUnitBlock0, const std::string &idText, const std::string &serialText);
  bool BlocksTook(const SettingsImage &written);

  UnitSteps &steps_;
  SettingsImage &unitSettings_;
};

}  // namespace rilo
