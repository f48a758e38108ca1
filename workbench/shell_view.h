// What the window shows of the shell, as plain data the window mirrors after every
// handler: which named controls are visible, which port pair is checked and the file
// dialogs' filters.
#pragma once

#include <map>
#include <string>

namespace rilo {

// File dialog filters in the form's own notation: "description|pattern|description|pattern".
inline constexpr const char *kDesignOpenFilter =
    "Rilo File (*.rilo)|*.rilo|Txt File (*.txt)|*.txt|Dat File (*.dat)|*.dat";

struct ShellView {
  // Controls by name (labels, panels, menu items, buttons, the pages TabSpecialSetting
  // and TabCustomerInformation). A control not named here keeps its look from the form;
  // the option lists and identity fields are the settings form's.
  std::map<std::string, bool> visible = {
      {"BWriteTx", false}, {"BWriteRx", false}, {"NWriteTxPrg", false}, {"NWriteRxPrg", false}};
  int checkedPort = 0;        // the NCOMn / PopCOMn pair that carries the check mark; 0 for none
  bool verifyBurn = true;     // the check mark of NVerifyBurn
  bool fastTransfer = false;  // the check mark of NFastTransfer
  std::string openFilter = kDesignOpenFilter;
  std::string saveFilter;
  std::string saveDefaultExt;
};

}  // namespace rilo
