#include "settings/form.h"

#include <algorithm>

#include "settings/value_tables.h"

namespace rilo {

bool OptionList::Holds(std::string_view text) const {
  return std::find(entries.begin(), entries.end(), text) != entries.end();
}

void OptionList::Insert(int position, std::string_view text) {
  entries.insert(entries.begin() + position, std::string(text));
  if (index >= position) ++index;
}

void OptionList::Remove(int position) {
  entries.erase(entries.begin() + position);
  if (index == position)
    index = -1;
  else if (index > position)
    --index;
}

namespace {

template <size_t N>
OptionList List(std::string_view name, const std::array<std::string_view, N> &texts) {
  OptionList list;
  list.name = name;
  for (auto t : texts)
    list.entries.emplace_back(t);
  return list;
}

OptionList PairActionList(std::string_view name, int count) {
  OptionList list;
  list.name = name;
  for (int i = 0; i < count; ++i)
    list.entries.emplace_back(tables::kPairActionTexts[i]);
  return list;
}

// The starting state the main window's construction gives a companion list.
OptionList &Start(OptionList &list, bool enabled) {
  list.index = 0;
  list.enabled = enabled;
  return list;
}

}  // namespace

Form::Form()
    : CBOpenMode(List("CBOpenMode", tables::kOpenModeTexts)),
      CBTxMode(List("CBTxMode", tables::kTxModeTexts)),
      CBCountClose(List("CBCountClose", tables::kCountCloseTexts)),
      CBProvinceMode(List("CBProvinceMode", tables::kProvinceModeTexts)),
      CBLEDOnTime(List("CBLEDOnTime", tables::kLedTexts)),
      CBTxRemoteSet(List("CBTxRemoteSet", tables::kRemoteSetTexts)),
      CBPassEMSAction(List("CBPassEMSAction", tables::kPassEmsActionTexts)),
      CBPassEMSTime(List("CBPassEMSTime", tables::kInchPassTexts)),
      CBAutoOffTime(List("CBAutoOffTime", tables::kAutoOffTexts)),
      CBRxRemoteSet(List("CBRxRemoteSet", tables::kRemoteSetTexts)),
      CBUDAction(PairActionList("CBUDAction", tables::kUDActionCount)),
      CBUpAccTime(List("CBUpAccTime", tables::kAccTexts)),
      CBDownAccTime(List("CBDownAccTime", tables::kAccTexts)),
      CBUpEMS(List("CBUpEMS", tables::kEmsTexts)),
      CBDownEMS(List("CBDownEMS", tables::kEmsTexts)),
      CBUDInterLock(List("CBUDInterLock", tables::kInterlockTexts)),
      CBEWAction(PairActionList("CBEWAction", tables::kEWActionCount)),
      CBEastAccTime(List("CBEastAccTime", tables::kAccTexts)),
      CBWestAccTime(List("CBWestAccTime", tables::kAccTexts)),
      CBEastEMS(List("CBEastEMS", tables::kEmsTexts)),
      CBWestEMS(List("CBWestEMS", tables::kEmsTexts)),
      CBEWInterLock(List("CBEWInterLock", tables::kInterlockTexts)),
      CBSNAction(PairActionList("CBSNAction", tables::kSNActionCount - 1)),
      CBSouthAccTime(List("CBSouthAccTime", tables::kAccTexts)),
      CBNorthAccTime(List("CBNorthAccTime", tables::kAccTexts)),
      CBSouthEMS(List("CBSouthEMS", tables::kEmsTexts)),
      CBNorthEMS(List("CBNorthEMS", tables::kEmsTexts)),
      CBSNInterLock(List("CBSNInterLock", tables::kInterlockTexts)),
      CBR12Action(PairActionList("CBR12Action", tables::kRActionCount)),
      CBR1AccTime(List("CBR1AccTime", tables::kAccTexts)),
      CBR2AccTime(List("CBR2AccTime", tables::kAccTexts)),
      CBR1EMS(List("CBR1EMS", tables::kEmsTexts)),
      CBR2EMS(List("CBR2EMS", tables::kEmsTexts)),
      CBR12InterLock(List("CBR12InterLock", tables::kInterlockTexts)),
      CBR34Action(PairActionList("CBR34Action", tables::kRActionCount)),
      CBR3AccTime(List("CBR3AccTime", tables::kAccTexts)),
      CBR4AccTime(List("CBR4AccTime", tables::kAccTexts)),
      CBR3EMS(List("CBR3EMS", tables::kEmsTexts)),
      CBR4EMS(List("CBR4EMS", tables::kEmsTexts)),
      CBR34InterLock(List("CBR34InterLock", tables::kInterlockTexts)),
      CBR0Action(List("CBR0Action", tables::kR0ActionTexts)),
      CBR0EMS(List("CBR0EMS", tables::kEmsTexts)),
      CBR0InchTime(List("CBR0InchTime", tables::kInchPassTexts)),
      CBR5Action(List("CBR5Action", tables::kR5ActionTexts)),
      CBR5EMS(List("CBR5EMS", tables::kEmsTexts)),
      CBR5AccTime(List("CBR5AccTime", tables::kAccTexts)),
      CBTxBattCont(List("CBTxBattCont", tables::kBattCountTexts)),
      CBTxEMSCont(List("CBTxEMSCont", tables::kTxEmsCountTexts)),
      CBTxLowBattAction(List("CBTxLowBattAction", tables::kTxLowBattActionTexts)),
      CBTxBattLowEMS(List("CBTxBattLowEMS", tables::kTxBattLowEmsTexts)),
      CBUp1DelayTime(List("CBUp1DelayTime", tables::kOneSpeedTexts)),
      CBDown1DelayTime(List("CBDown1DelayTime", tables::kOneSpeedTexts)),
      CBEast1DelayTime(List("CBEast1DelayTime", tables::kOneSpeedTexts)),
      CBWest1DelayTime(List("CBWest1DelayTime", tables::kOneSpeedTexts)),
      CBSouth1DelayTime(List("CBSouth1DelayTime", tables::kOneSpeedTexts)),
      CBNorth1DelayTime(List("CBNorth1DelayTime", tables::kOneSpeedTexts)),
      CBR11DelayTime(List("CBR11DelayTime", tables::kOneSpeedTexts)),
      CBR21DelayTime(List("CBR21DelayTime", tables::kOneSpeedTexts)),
      CBR31DelayTime(List("CBR31DelayTime", tables::kOneSpeedTexts)),
      CBR41DelayTime(List("CBR41DelayTime", tables::kOneSpeedTexts)),
      CBR51DelayTime(List("CBR51DelayTime", tables::kOneSpeedTexts)) {
  CBSNAction.entries.emplace_back(tables::kSNGroupLatchText);

  // Companions wait, disabled, until their key's action is chosen.
  for (OptionList *l :
       {&CBUpAccTime,    &CBDownAccTime,  &CBUpEMS,       &CBDownEMS,     &CBUDInterLock,  &CBEastAccTime,
        &CBWestAccTime,  &CBEastEMS,      &CBWestEMS,     &CBEWInterLock, &CBSouthAccTime, &CBNorthAccTime,
        &CBSouthEMS,     &CBNorthEMS,     &CBSNInterLock, &CBR1AccTime,   &CBR2AccTime,    &CBR1EMS,
        &CBR2EMS,        &CBR12InterLock, &CBR3AccTime,   &CBR4AccTime,   &CBR3EMS,        &CBR4EMS,
        &CBR34InterLock, &CBR5AccTime,    &CBR5EMS,       &CBR0EMS,       &CBR0InchTime})
    Start(*l, false);
  for (OptionList *l : {&CBUp1DelayTime, &CBDown1DelayTime, &CBEast1DelayTime, &CBWest1DelayTime,
                        &CBSouth1DelayTime, &CBNorth1DelayTime, &CBR11DelayTime, &CBR21DelayTime,
                        &CBR31DelayTime, &CBR41DelayTime, &CBR51DelayTime})
    Start(*l, true);
  // The inching time shows only while the start key serves as acceleration key.
  CBR0InchTime.visible = false;

  EEqupmentID.name = "EEqupmentID";
  EEqupmentSN.name = "EEqupmentSN";
  EEqupmentDate.name = "EEqupmentDate";
  EEqupmentDate.mask = "\\2\\0!00/00/00;1;_";
  EEqupmentDate.maxLength = 10;
  EEqupmentDate.text = "20  /  /  ";
}

std::vector<OptionList *> Form::Lists() {
  std::vector<OptionList *> lists;
  for (FormList m : kFormOrder)
    lists.push_back(&(this->*m));
  return lists;
}

std::vector<const OptionList *> Form::Lists() const {
  std::vector<const OptionList *> lists;
  for (FormList m : kFormOrder)
    lists.push_back(&(this->*m));
  return lists;
}

OptionList *Form::Find(std::string_view name) {
  for (FormList m : kFormOrder)
    if ((this->*m).name == name) return &(this->*m);
  return nullptr;
}

}  // namespace rilo
