// Putting an image in front of the person: the control set of each machine family, the
// manual model choice, and the decoding of a loaded image into the lists.
#include <algorithm>
#include <array>
#include <optional>

#include "settings/editor.h"
#include "settings/image_fields.h"
#include "settings/key_pairs.h"
#include "settings/value_tables.h"

namespace rilo {
namespace {

using namespace tables;

// The entry whose code is `value`, if one is.
template <typename T, size_t N>
std::optional<int> Match(const std::array<T, N> &codes, uint32_t value, size_t first = 0, size_t end = N) {
  for (size_t i = first; i < end; ++i)
    if (codes[i] == value) return static_cast<int>(i);
  return std::nullopt;
}

// The action entry that bytes A, B of a pair encode.
std::optional<int> DecodeAction(uint8_t a, uint8_t b) {
  auto all = [&](uint8_t bits) { return (a & bits) == bits; };
  if (all(0x18) && b == 0x00 && !all(0x78)) return 0;
  if (all(0x06)) return 1;
  if (all(0x01) && b == 0x00) return 2;
  if (all(0x0C)) return 3;
  if (all(0x01) && b == 0x80) return 4;
  if (all(0x18) && b == 0x03) return 5;
  if (all(0x18) && b == 0x33) return 6;
  if (all(0x58) && b == 0x08) return 7;
  if (all(0x58) && b == 0x04) return 8;
  if (all(0x18) && b == 0x02) return 9;
  if (all(0x18) && b == 0x22) return 10;
  if (all(0x12) && b == 0x02) return 11;
  if (all(0x12) && b == 0x22) return 12;
  if (all(0x12) && b == 0x08) return 13;
  if (all(0x78) && b == 0x00) return 14;
  return std::nullopt;
}

// CBTxMode: the timer off is entry 0; a timer value names its entry, else the never-off
// flag or the power-saving value decide.
std::optional<int> TxModeEntry(const SettingsImage &image) {
  if (!Bit(image, kFlagsA, kTimerOnBit)) return 0;
  const uint32_t value = Get32(image, 26);
  const std::optional<int> entry = Match(kTxModeValues, value, 1, 9);
  if (!entry && Bit(image, kFlagsA, kNeverOffBit)) return kTxModeNeverOff;
  if (!entry && value == kTxModePowerSaving) return 0;
  return entry;
}

// CBR5Action: the F1 key's action from its two action bytes.
std::optional<int> F1ActionEntry(const SettingsImage &image) {
  const uint8_t f1 = B1(image, 42), f1Second = B1(image, 43);
  if ((f1 & 0x08) && f1Second == 0x00) return 0;
  if ((f1 & 0x02) && f1Second == 0x00) return 1;
  if ((f1 & 0x08) && f1Second == 0x03) return 2;
  if ((f1 & 0x08) && f1Second == 0x33) return 3;
  return std::nullopt;
}

// CBTxBattCont: with the battery counter on, the number of low bits set in the mask.
int BatteryCountEntry(const SettingsImage &image) {
  if (!Bit(image, kFlagsB, kBattCounterBit)) return 0;
  const uint32_t mask = Get32(image, 12);
  for (int k = 0; k < 32; ++k)
    if (!((mask >> k) & 1)) return k;
  return 32;
}

void RestoreEntries(OptionList &list, int count) {
  for (int i = list.Count(); i < count; ++i)
    list.Insert(i, kPairActionTexts[i]);
}

void CutToQ10(OptionList &list) {
  if (!list.Holds(kPairActionTexts[kCombinedEntry])) return;
  for (int i = list.Count() - 1; i >= kQ10ActionCount; --i)
    list.Remove(i);
}

}  // namespace

void Editor::MachineTypeChange() {
  if (MachineType == "12") {
    RestoreEntries(form.CBEWAction, kEWActionCount);
    if (form.CBSNAction.Count() < kSNActionCount) {
      RestoreEntries(form.CBSNAction, kSNActionCount - 1);
      form.CBSNAction.Insert(kSNGroupLatch, kSNGroupLatchText);
    }
    RestoreEntries(form.CBR12Action, kRActionCount);
    form.CBR34Action.enabled = true;
    form.CBR5Action.enabled = true;
    if (form.CBR5Action.index != 0) form.CBR5EMS.enabled = true;
    form.CBR5AccTime.enabled = form.CBR5Action.index != 1;
    form.EEqupmentType = "RILO1-Q12";
    form.Caption = "RILO1-Q12 設定程式";
  } else if (MachineType == "10") {
    CutToQ10(form.CBEWAction);
    CutToQ10(form.CBSNAction);
    CutToQ10(form.CBR12Action);
    form.CBR34Action.index = 0;
    form.CBR34Action.enabled = false;
    for (OptionList *l :
         {&form.CBR3AccTime, &form.CBR4AccTime, &form.CBR3EMS, &form.CBR4EMS, &form.CBR34InterLock})
      l->enabled = false;
    form.CBR5Action.index = 0;
    form.CBR5Action.enabled = false;
    form.CBR5EMS.enabled = false;
    form.CBR5AccTime.enabled = false;
    form.EEqupmentType = "RILO1-Q10";
    form.Caption = "RILO1-Q10 設定程式";
  } else {
    // The unit or file named no model we know: say so and leave everything as it is.
    op_.Message("機型錯誤", "機器型號錯誤,請確認您的機器型號是否正確!!", Icon::Error);
    return;
  }
  // A code keeps its six digits and takes the new model code.
  for (TextField *field : {&form.EEqupmentID, &form.EEqupmentSN}) {
    if (field->mask.empty() && field->text.size() >= 8) SetText(*field, field->text.substr(2));
    SetFieldMask(*field, ModelMask());
  }
}

void Editor::LabelEqupmentTypeDblClick() {
  if (flags_.Factory != 1 || !MachineType.empty()) return;
  MachineType =
      op_.Ask("機型選擇", "請選擇機型,[確定]=RILO1-Q12  [取消]=RILO1-Q10", Icon::None) ? "12" : "10";
  // Unmasked first, so that the new model's mask takes all six zeros.
  for (TextField *field : {&form.EEqupmentID, &form.EEqupmentSN}) {
    SetFieldMask(*field, "");
    SetText(*field, "000000");
  }
  MachineTypeChange();
  EEqupmentDateClick();
}

void Editor::Present(OptionList &list, std::optional<int> index) {
  if (index) list.Select(*index);
  RunChange(list);
}

void Editor::PresentPair(Pair p) {
  const SettingsImage &L = LoadedImage;
  const KeyPair &k = kKeyPairs[p];
  const uint8_t a = B1(L, k.actionByte);
  const uint8_t b = B1(L, k.actionByte + 1);

  std::optional<int> action;
  if ((p == kR12 || p == kR34) && Bit(L, kModeFlagsByte, 0)) {
    if ((B1(L, 40) & 0x06) == 0x06)
      action = kR1ToR3LatchR4Latch;
    else if ((B1(L, 40) & 0x12) == 0x12)
      action = kR1ToR3LatchR4Normal;
  }
  if (!action) action = DecodeAction(a, b);
  Present(form.*k.action, action);

  Present(form.*k.firstAcc, Match(kAccCodes, B1(L, k.accByte)));
  Present(form.*k.secondAcc, Match(kAccCodes, B1(L, k.accByte + 1)));
  if (p == kUD || p == kEW) {
    OptionList &first = form.*k.firstEms;
    OptionList &second = form.*k.secondEms;
    first.Select(first.enabled && (a & kEmsExemptBit) ? 1 : 0);
    RunChange(first);
    second.Select(second.enabled && (a & kEmsExemptBit) ? 1 : 0);
    RunChange(second);
  }
  std::optional<int> interlock = kNoInterlock;
  if (a & kInterlockBit) interlock = Match(kInterlockCodes, B1(L, k.delayByte));
  Present(form.*k.interlock, interlock);
}

void Editor::ShowValue() {
  const SettingsImage &L = LoadedImage;
  auto bit = [&](int n, int b) { return Bit(L, n, b) ? 1 : 0; };

  Present(form.CBOpenMode, bit(kFlagsA, kStartKeyPowersOnBit) | bit(kFlagsA, kPowerOnModeHighBit) << 1);

  Present(form.CBTxMode, TxModeEntry(L));

  Present(form.CBCountClose, bit(kFlagsA, kIdleSwitchOffBit) ? 0 : 1);

  std::optional<int> led = kLedNoFlashing;
  if (bit(kFlagsB, kLedFlashesBit)) led = Match(kLedValues, Get16(L, 30), 0, kLedNoFlashing);
  Present(form.CBLEDOnTime, led);

  Present(form.CBProvinceMode, bit(kFlagsB, kPowerSavingBit) ? 0 : 1);
  Present(form.CBTxRemoteSet, bit(kFlagsB, kTxRemoteOffBit));
  Present(form.CBPassEMSAction, bit(kFlagsA, kPassEmsSwitchOffBit));
  Present(form.CBPassEMSTime, Match(kPassEmsCodes, B1(L, 63)));

  std::optional<int> autoOff = 0;
  if (bit(kFlagsB, kAutoOffBit)) autoOff = Match(kAutoOffValues, Get32(L, 22), 1);
  Present(form.CBAutoOffTime, autoOff);

  Present(form.CBRxRemoteSet, bit(kFlagsB, kRxRemoteOffBit));

  for (Pair p : {kUD, kEW, kSN, kR12, kR34})
    PresentPair(p);

  const uint8_t startKey = B1(L, 16);
  Present(form.CBR0Action, (startKey & 0x01) ? 1 : (startKey & 0x02) ? 2 : 0);
  Present(form.CBR0EMS, bit(16, 7));
  Present(form.CBR0InchTime, Match(kInchCodes, B1(L, 62)));

  Present(form.CBR5Action, F1ActionEntry(L));
  Present(form.CBR5AccTime, Match(kAccCodes, B1(L, kR5AccByte)));
  Present(form.CBR5EMS, bit(42, 7));

  Present(form.CBTxLowBattAction, bit(kFlagsA, kLowBattSwitchOffBit));
  Present(form.CBTxBattLowEMS, bit(kFlagsB, kLowBattEmsBit) ? 0 : 1);

  Present(form.CBTxEMSCont, Match(kTxEmsCounts, B1(L, 21)));

  Present(form.CBTxBattCont, BatteryCountEntry(L));

  const std::array<FormList, 11> oneSpeed = {
      &Form::CBUp1DelayTime,    &Form::CBDown1DelayTime,  &Form::CBEast1DelayTime, &Form::CBWest1DelayTime,
      &Form::CBSouth1DelayTime, &Form::CBNorth1DelayTime, &Form::CBR11DelayTime,   &Form::CBR21DelayTime,
      &Form::CBR31DelayTime,    &Form::CBR41DelayTime,    &Form::CBR51DelayTime};
  for (int i = 0; i < 11; ++i)
    Present(form.*oneSpeed[i], Match(kOneSpeedCodes, B1(L, kOneSpeedByte + i)));

  FillIdentity();

  if (bit(kModeFlagsByte, 1)) Present(form.CBSNAction, kSNGroupLatch);

  for (Pair p : {kSN, kR12, kR34}) {
    const KeyPair &k = kKeyPairs[p];
    const bool exempt = B1(L, k.actionByte) & kEmsExemptBit;
    OptionList &first = form.*k.firstEms;
    OptionList &second = form.*k.secondEms;
    first.Select(first.enabled && exempt ? 1 : 0);
    second.Select(second.enabled && exempt ? 1 : 0);
    RunChange(first);
    RunChange(second);
  }
}

}  // namespace rilo
