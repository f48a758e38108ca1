// The transmitter and receiver options: what each choice writes into bytes 12..31,
// 63 and the option flag bytes 18 and 19, and how the choices hold each other.
#include "settings/editor.h"
#include "settings/image_fields.h"
#include "settings/value_tables.h"

namespace rilo {

using namespace tables;

void Editor::CBOpenModeChange() {
  const int index = form.CBOpenMode.index;
  if (index < 0) return;
  SetBit(Image, kFlagsA, kStartKeyPowersOnBit, index == 1);
  SetBit(Image, kFlagsA, kPowerOnModeHighBit, false);
}

void Editor::CBTxModeChange() {
  const int index = form.CBTxMode.index;
  if (index < 0) return;
  form.CBPassEMSAction.enabled = true;
  SetBit(Image, kFlagsA, kIdleSwitchOffBit, false);
  if (index == 0) {
    SetBit(Image, kFlagsA, kTimerOnBit, false);
    SetBit(Image, kFlagsA, kNeverOffBit, false);
    Put32(Image, 26, kTxModeValues[0]);
    if (form.CBProvinceMode.index == 0) {
      SetBit(Image, kFlagsA, kTimerOnBit, true);
      Put32(Image, 26, kTxModePowerSaving);
    }
    form.CBCountClose.index = 1;
    form.CBCountClose.enabled = false;
    Pick(form.CBPassEMSAction, 0);
    form.CBPassEMSAction.enabled = false;
  } else {
    SetBit(Image, kFlagsA, kTimerOnBit, true);
    SetBit(Image, kFlagsA, kNeverOffBit, index == kTxModeNeverOff);
    Put32(Image, 26, kTxModeValues[index]);
    // Every transmit mode clears the idle switch-off, so the list shows "不  關  機"
    // rather than a choice the unit will not get.
    form.CBCountClose.index = 1;
    form.CBCountClose.enabled = index != kTxModeNeverOff;
  }
}

void Editor::CBCountCloseChange() {
  if (form.CBCountClose.index >= 0) SetBit(Image, kFlagsA, kIdleSwitchOffBit, form.CBCountClose.index == 0);
}

void Editor::CBProvinceModeChange() {
  const int index = form.CBProvinceMode.index;
  if (index < 0) return;
  SetBit(Image, kFlagsB, kPowerSavingBit, index == 0);
  if (form.CBTxMode.index == 0) {
    SetBit(Image, kFlagsA, kTimerOnBit, index == 0);
    SetBit(Image, kFlagsA, kNeverOffBit, false);
    SetBit(Image, kFlagsA, kIdleSwitchOffBit, false);
    Put32(Image, 26, index == 0 ? kTxModePowerSaving : kTxModeValues[0]);
  }
}

void Editor::CBLEDOnTimeChange() {
  const int index = form.CBLEDOnTime.index;
  if (index < 0) return;
  SetBit(Image, kFlagsB, kLedFlashesBit, index != kLedNoFlashing);
  Put16(Image, 30, kLedValues[index]);
}

void Editor::CBTxRemoteSetChange() {
  if (form.CBTxRemoteSet.index >= 0) SetBit(Image, kFlagsB, kTxRemoteOffBit, form.CBTxRemoteSet.index == 1);
}

void Editor::CBTxLowBattActionChange() {
  const int index = form.CBTxLowBattAction.index;
  if (index < 0) return;
  SetBit(Image, kFlagsA, kLowBattSwitchOffBit, index == 1);
  if (index == 0) {
    SetBit(Image, kFlagsB, kLowBattEmsBit, false);
    form.CBTxBattLowEMS.index = 1;
    form.CBTxBattLowEMS.enabled = false;
  } else {
    form.CBTxBattLowEMS.enabled = true;
  }
}

void Editor::CBTxBattLowEMSChange() {
  const int index = form.CBTxBattLowEMS.index;
  if (index < 0) return;
  SetBit(Image, kFlagsB, kLowBattEmsBit, index == 0);
  if (index == 0) form.CBTxLowBattAction.index = 1;
}

void Editor::CBTxEMSContChange() {
  if (form.CBTxEMSCont.index >= 0) B(21) = kTxEmsCounts[form.CBTxEMSCont.index];
}

void Editor::CBTxBattContChange() {
  const int index = form.CBTxBattCont.index;
  if (index < 0) return;
  SetBit(Image, kFlagsB, kBattCounterBit, index > 0);
  Put32(Image, 12, index == 0 ? 0 : static_cast<uint32_t>((uint64_t{1} << index) - 1));
}

void Editor::CBPassEMSActionChange() {
  const int index = form.CBPassEMSAction.index;
  if (index < 0) return;
  SetBit(Image, kFlagsB, kPassEmsOrAutoOffBit, true);
  SetBit(Image, kFlagsA, kPassEmsSwitchOffBit, index == 1);
  if (index == 0 && form.CBAutoOffTime.index == 0) SetBit(Image, kFlagsB, kPassEmsOrAutoOffBit, false);
}

void Editor::CBPassEMSTimeChange() {
  StoreCode(form.CBPassEMSTime, 63, kPassEmsCodes.data());
}

void Editor::CBAutoOffTimeChange() {
  const int index = form.CBAutoOffTime.index;
  if (index < 0) return;
  SetBit(Image, kFlagsB, kPassEmsOrAutoOffBit, true);
  SetBit(Image, kFlagsB, kAutoOffBit, index > 0);
  if (index == 0 && form.CBPassEMSAction.index == 0) SetBit(Image, kFlagsB, kPassEmsOrAutoOffBit, false);
  Put32(Image, 22, kAutoOffValues[index]);
}

void Editor::CBRxRemoteSetChange() {
  if (form.CBRxRemoteSet.index >= 0) SetBit(Image, kFlagsB, kRxRemoteOffBit, form.CBRxRemoteSet.index == 1);
}

}  // namespace rilo
