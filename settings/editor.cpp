#include "settings/editor.h"

#include <array>
#include <utility>

#include "settings/value_tables.h"

namespace rilo {
namespace {

using Handler = void (Editor::*)();

// The change handler of every list, in form order.
constexpr std::array<std::pair<FormList, Handler>, 61> kChangeHandlers = {{
    {&Form::CBOpenMode, &Editor::CBOpenModeChange},
    {&Form::CBTxMode, &Editor::CBTxModeChange},
    {&Form::CBCountClose, &Editor::CBCountCloseChange},
    {&Form::CBProvinceMode, &Editor::CBProvinceModeChange},
    {&Form::CBLEDOnTime, &Editor::CBLEDOnTimeChange},
    {&Form::CBTxRemoteSet, &Editor::CBTxRemoteSetChange},
    {&Form::CBPassEMSAction, &Editor::CBPassEMSActionChange},
    {&Form::CBPassEMSTime, &Editor::CBPassEMSTimeChange},
    {&Form::CBAutoOffTime, &Editor::CBAutoOffTimeChange},
    {&Form::CBRxRemoteSet, &Editor::CBRxRemoteSetChange},
    {&Form::CBUDAction, &Editor::CBUDActionChange},
    {&Form::CBUpAccTime, &Editor::CBUpAccTimeChange},
    {&Form::CBDownAccTime, &Editor::CBDownAccTimeChange},
    {&Form::CBUpEMS, &Editor::CBUpEMSChange},
    {&Form::CBDownEMS, &Editor::CBDownEMSChange},
    {&Form::CBUDInterLock, &Editor::CBUDInterLockChange},
    {&Form::CBEWAction, &Editor::CBEWActionChange},
    {&Form::CBEastAccTime, &Editor::CBEastAccTimeChange},
    {&Form::CBWestAccTime, &Editor::CBWestAccTimeChange},
    {&Form::CBEastEMS, &Editor::CBEastEMSChange},
    {&Form::CBWestEMS, &Editor::CBWestEMSChange},
    {&Form::CBEWInterLock, &Editor::CBEWInterLockChange},
    {&Form::CBSNAction, &Editor::CBSNActionChange},
    {&Form::CBSouthAccTime, &Editor::CBSouthAccTimeChange},
    {&Form::CBNorthAccTime, &Editor::CBNorthAccTimeChange},
    {&Form::CBSouthEMS, &Editor::CBSouthEMSChange},
    {&Form::CBNorthEMS, &Editor::CBNorthEMSChange},
    {&Form::CBSNInterLock, &Editor::CBSNInterLockChange},
    {&Form::CBR12Action, &Editor::CBR12ActionChange},
    {&Form::CBR1AccTime, &Editor::CBR1AccTimeChange},
    {&Form::CBR2AccTime, &Editor::CBR2AccTimeChange},
    {&Form::CBR1EMS, &Editor::CBR1EMSChange},
    {&Form::CBR2EMS, &Editor::CBR2EMSChange},
    {&Form::CBR12InterLock, &Editor::CBR12InterLockChange},
    {&Form::CBR34Action, &Editor::CBR34ActionChange},
    {&Form::CBR3AccTime, &Editor::CBR3AccTimeChange},
    {&Form::CBR4AccTime, &Editor::CBR4AccTimeChange},
    {&Form::CBR3EMS, &Editor::CBR3EMSChange},
    {&Form::CBR4EMS, &Editor::CBR4EMSChange},
    {&Form::CBR34InterLock, &Editor::CBR34InterLockChange},
    {&Form::CBR0Action, &Editor::CBR0ActionChange},
    {&Form::CBR0EMS, &Editor::CBR0EMSChange},
    {&Form::CBR0InchTime, &Editor::CBR0InchTimeChange},
    {&Form::CBR5Action, &Editor::CBR5ActionChange},
    {&Form::CBR5EMS, &Editor::CBR5EMSChange},
    {&Form::CBR5AccTime, &Editor::CBR5AccTimeChange},
    {&Form::CBTxBattCont, &Editor::CBTxBattContChange},
    {&Form::CBTxEMSCont, &Editor::CBTxEMSContChange},
    {&Form::CBTxLowBattAction, &Editor::CBTxLowBattActionChange},
    {&Form::CBTxBattLowEMS, &Editor::CBTxBattLowEMSChange},
    {&Form::CBUp1DelayTime, &Editor::CBUp1DelayTimeChange},
    {&Form::CBDown1DelayTime, &Editor::CBDown1DelayTimeChange},
    {&Form::CBEast1DelayTime, &Editor::CBEast1DelayTimeChange},
    {&Form::CBWest1DelayTime, &Editor::CBWest1DelayTimeChange},
    {&Form::CBSouth1DelayTime, &Editor::CBSouth1DelayTimeChange},
    {&Form::CBNorth1DelayTime, &Editor::CBNorth1DelayTimeChange},
    {&Form::CBR11DelayTime, &Editor::CBR11DelayTimeChange},
    {&Form::CBR21DelayTime, &Editor::CBR21DelayTimeChange},
    {&Form::CBR31DelayTime, &Editor::CBR31DelayTimeChange},
    {&Form::CBR41DelayTime, &Editor::CBR41DelayTimeChange},
    {&Form::CBR51DelayTime, &Editor::CBR51DelayTimeChange},
}};

}  // namespace

Editor::Editor(const FeatureFlags &flags, Operator &op, const VentrixApi &ventrix, const PageFrame &infoPage,
               TodayText today)
    : flags_(flags), op_(op), ventrix_(ventrix), infoPage_(infoPage), today_(std::move(today)) {}

void Editor::RunChange(const OptionList &list) {
  for (const auto &[member, handler] : kChangeHandlers) {
    if (&(form.*member) == &list) {
      (this->*handler)();
      return;
    }
  }
}

void Editor::Pick(OptionList &list, int index) {
  list.Select(index);
  RunChange(list);
}

void Editor::ApplyFeatureFlags() {
  form.CBTxLowBattAction.visible = flags_.BattLow == 1;
  form.CBTxBattLowEMS.visible = flags_.BattLowAction == 1;
  form.CBTxEMSCont.visible = flags_.TxEMSCount == 1;
  form.CBTxBattCont.visible = flags_.BattCount == 1;
  form.EEqupmentID.readOnly = flags_.IDCODE != 1;
  form.EEqupmentDate.readOnly = flags_.DateCode != 1;
  form.EEqupmentSN.readOnly = flags_.SN != 1;
}

}  // namespace rilo
