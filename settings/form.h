// The form the editor rules are written against: option lists and identity fields as
// plain data, named after the window's controls. The window mirrors this model after
// every handler; setting a field here never runs a handler.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace rilo {

// A drop-down list of entries with one chosen entry, or none (-1).
struct OptionList {
  std::string name;
  std::vector<std::string> entries;
  int index = -1;
  bool enabled = true;
  bool visible = true;

  int Count() const { return static_cast<int>(entries.size()); }
  // Chooses entry i; an index beyond the entries the list holds chooses none.
  void Select(int i) { index = (i >= 0 && i < Count()) ? i : -1; }
  bool Holds(std::string_view text) const;
  void Insert(int position, std::string_view text);
  // Removing the chosen entry leaves the list with none chosen.
  void Remove(int position);
};

// A one-line text field. `mask` is an edit mask in the notation of Delphi's masked
// edit ("12>999999<", "\2\0!00/00/00;1;_"), empty for free text; see edit_mask.h.
struct TextField {
  std::string name;
  std::string text;
  std::string mask;
  bool readOnly = true;
  int maxLength = 0;  // 0: no limit
  int caret = 0;      // position of the text cursor, in characters
};

struct Form {
  Form();

  // Transmitter functions
  OptionList CBOpenMode, CBTxMode, CBCountClose, CBProvinceMode, CBLEDOnTime, CBTxRemoteSet;
  // Receiver functions
  OptionList CBPassEMSAction, CBPassEMSTime, CBAutoOffTime, CBRxRemoteSet;
  // Key pairs: action, acceleration of both keys, emergency stop of both keys, interlock
  OptionList CBUDAction, CBUpAccTime, CBDownAccTime, CBUpEMS, CBDownEMS, CBUDInterLock;
  OptionList CBEWAction, CBEastAccTime, CBWestAccTime, CBEastEMS, CBWestEMS, CBEWInterLock;
  OptionList CBSNAction, CBSouthAccTime, CBNorthAccTime, CBSouthEMS, CBNorthEMS, CBSNInterLock;
  OptionList CBR12Action, CBR1AccTime, CBR2AccTime, CBR1EMS, CBR2EMS, CBR12InterLock;
  OptionList CBR34Action, CBR3AccTime, CBR4AccTime, CBR3EMS, CBR4EMS, CBR34InterLock;
  // Start key and F1 key
  OptionList CBR0Action, CBR0EMS, CBR0InchTime, CBR5Action, CBR5EMS, CBR5AccTime;
  // Transmitter special functions
  OptionList CBTxBattCont, CBTxEMSCont, CBTxLowBattAction, CBTxBattLowEMS;
  // Key special functions: first-speed delays
  OptionList CBUp1DelayTime, CBDown1DelayTime, CBEast1DelayTime, CBWest1DelayTime, CBSouth1DelayTime,
      CBNorth1DelayTime, CBR11DelayTime, CBR21DelayTime, CBR31DelayTime, CBR41DelayTime, CBR51DelayTime;

  TextField EEqupmentID, EEqupmentSN, EEqupmentDate;
  std::string EEqupmentType;  // read-only model name
  std::string Caption;        // the main window's caption
  bool LabelInchTimeVisible = false;

  // Every option list, panel by panel as the window lays them out.
  std::vector<OptionList *> Lists();
  std::vector<const OptionList *> Lists() const;
  // The option list called `name`, or nullptr.
  OptionList *Find(std::string_view name);
};

using FormList = OptionList Form::*;

// The option lists in form order.
inline constexpr std::array<FormList, 61> kFormOrder = {
    &Form::CBOpenMode,        &Form::CBTxMode,         &Form::CBCountClose,      &Form::CBProvinceMode,
    &Form::CBLEDOnTime,       &Form::CBTxRemoteSet,    &Form::CBPassEMSAction,   &Form::CBPassEMSTime,
    &Form::CBAutoOffTime,     &Form::CBRxRemoteSet,    &Form::CBUDAction,        &Form::CBUpAccTime,
    &Form::CBDownAccTime,     &Form::CBUpEMS,          &Form::CBDownEMS,         &Form::CBUDInterLock,
    &Form::CBEWAction,        &Form::CBEastAccTime,    &Form::CBWestAccTime,     &Form::CBEastEMS,
    &Form::CBWestEMS,         &Form::CBEWInterLock,    &Form::CBSNAction,        &Form::CBSouthAccTime,
    &Form::CBNorthAccTime,    &Form::CBSouthEMS,       &Form::CBNorthEMS,        &Form::CBSNInterLock,
    &Form::CBR12Action,       &Form::CBR1AccTime,      &Form::CBR2AccTime,       &Form::CBR1EMS,
    &Form::CBR2EMS,           &Form::CBR12InterLock,   &Form::CBR34Action,       &Form::CBR3AccTime,
    &Form::CBR4AccTime,       &Form::CBR3EMS,          &Form::CBR4EMS,           &Form::CBR34InterLock,
    &Form::CBR0Action,        &Form::CBR0EMS,          &Form::CBR0InchTime,      &Form::CBR5Action,
    &Form::CBR5EMS,           &Form::CBR5AccTime,      &Form::CBTxBattCont,      &Form::CBTxEMSCont,
    &Form::CBTxLowBattAction, &Form::CBTxBattLowEMS,   &Form::CBUp1DelayTime,    &Form::CBDown1DelayTime,
    &Form::CBEast1DelayTime,  &Form::CBWest1DelayTime, &Form::CBSouth1DelayTime, &Form::CBNorth1DelayTime,
    &Form::CBR11DelayTime,    &Form::CBR21DelayTime,   &Form::CBR31DelayTime,    &Form::CBR41DelayTime,
    &Form::CBR51DelayTime,
};

}  // namespace rilo
