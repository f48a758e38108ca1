// The key rules: what each key pair's action, emergency-stop and interlock choice
// writes, and how a choice moves the companion lists and the other pairs.
#include <array>

#include "settings/editor.h"
#include "settings/image_fields.h"
#include "settings/key_pairs.h"
#include "settings/value_tables.h"

namespace rilo {
namespace {

using namespace tables;

struct Companion {
  bool enabled;
  int index;
};

// What choosing action entry 0..14 does to the pair's other lists.
struct ActionRule {
  bool firstAccEnabled, secondAccEnabled;
  Companion firstEms, secondEms, interlock;
  bool removeNoInterlock;
  bool startKeyAccelerates;  // the start key becomes the acceleration key
};

constexpr ActionRule kNormal = {true, true, {false, 0}, {false, 0}, {true, 0}, false, false};
constexpr ActionRule kLatch = {false, false, {true, 1}, {true, 1}, {true, kNoInterlock}, false, false};
constexpr ActionRule kOnOff = {false, false, {true, 1}, {true, 1}, {false, kNoInterlock}, false, false};
constexpr ActionRule kNormalLatch = {true, false, {false, 0}, {true, 1}, {true, kNoInterlock}, false, false};
constexpr ActionRule kAcceleration = {true, true, {false, 0}, {false, 0}, {true, 0}, true, true};
constexpr ActionRule kLatchDualMotor = {false, true, {true, 1}, {false, 0}, {false, kNoInterlock},
                                        false, false};
constexpr ActionRule kLatchThreeSpeed = {false, true, {false, 0}, {false, 0}, {false, kNoInterlock},
                                         false, true};
constexpr ActionRule kCombined = {true, true, {true, 1}, {true, 1}, {true, 0}, true, false};

constexpr std::array<ActionRule, 15> kActionRules = {
    kNormal, kLatch,          kOnOff,          kNormalLatch,     kOnOff,
    kNormal, kNormal,         kAcceleration,   kAcceleration,    kNormal,
    kNormal, kLatchDualMotor, kLatchDualMotor, kLatchThreeSpeed, kCombined,
};

bool IsAccelerationAction(int entry) {
  return entry == 7 || entry == 8 || entry == 13;
}

// Shows the no-interlock entry, putting it back first where an action had removed it.
void SelectNoInterlock(OptionList &interlock) {
  if (!interlock.Holds(kInterlockTexts[kNoInterlock]))
    interlock.Insert(kNoInterlock, kInterlockTexts[kNoInterlock]);
  interlock.index = kNoInterlock;
}

}  // namespace

void Editor::PairActionChange(Pair p) {
  const KeyPair &k = kKeyPairs[p];
  OptionList &interlock = form.*k.interlock;
  if (!interlock.Holds(kInterlockTexts[kNoInterlock]))
    interlock.Insert(kNoInterlock, kInterlockTexts[kNoInterlock]);

  if (p == kSN || p == kR12 || p == kR34) {
    for (FormList m : {k.firstAcc, k.secondAcc, k.firstEms, k.secondEms, k.interlock})
      (form.*m).enabled = false;
    LeaveCombinationMode(p);
  }

  B(k.accByte) = 1;
  B(k.accByte + 1) = 1;
  (form.*k.firstAcc).index = 0;
  (form.*k.secondAcc).index = 0;
  B(k.delayByte) = 1;

  const int entry = (form.*k.action).index;
  if (entry < 0) return;
  if (entry >= static_cast<int>(kActionCodes.size())) {
    if (p == kSN || entry == kRGroupLatch)
      StartGroupLatch();
    else
      StartR1ToR3Latch(entry);
    return;
  }

  B(k.actionByte) = kActionCodes[entry].first;
  B(k.actionByte + 1) = kActionCodes[entry].second;
  const ActionRule &rule = kActionRules[entry];
  (form.*k.firstAcc).enabled = rule.firstAccEnabled;
  (form.*k.secondAcc).enabled = rule.secondAccEnabled;
  for (auto [m, c] : {std::pair{k.firstEms, rule.firstEms}, std::pair{k.secondEms, rule.secondEms},
                      std::pair{k.interlock, rule.interlock}}) {
    (form.*m).enabled = c.enabled;
    (form.*m).index = c.index;
  }
  if (rule.removeNoInterlock) interlock.Remove(kNoInterlock);
  if (rule.startKeyAccelerates) Pick(form.CBR0Action, kR0Acceleration);
}

// A pick in a list that takes part in a combination mode ends the mode: the other
// pairs of the mode go back to normal / normal.
void Editor::LeaveCombinationMode(Pair p) {
  uint8_t &mode = B(kModeFlagsByte);
  auto toNormal = [&](Pair other) {
    B(kKeyPairs[other].actionByte) = kActionCodes[0].first;
    B(kKeyPairs[other].actionByte + 1) = kActionCodes[0].second;
    Pick(form.*kKeyPairs[other].action, 0);
  };
  if (p == kSN) {
    if (mode & kModeGroupLatch) {
      mode = 0;
      toNormal(kR12);
      toNormal(kR34);
    }
    return;
  }
  const Pair otherR = p == kR12 ? kR34 : kR12;
  if (mode & kModeR1ToR3Latch) {
    mode = 0;
    toNormal(otherR);
  } else if (mode & kModeGroupLatch) {
    mode = 0;
    toNormal(kSN);
    toNormal(otherR);
  }
}

// Group latch of South/North, R1/R2 and R3/R4, shown in all three action lists.
void Editor::StartGroupLatch() {
  B(79) = 0;
  B(kModeFlagsByte) = kModeGroupLatch;
  for (Pair p : {kSN, kR12, kR34}) {
    const KeyPair &k = kKeyPairs[p];
    B(k.actionByte) = kActionCodes[1].first;
    B(k.actionByte + 1) = kActionCodes[1].second;
    // The latch code carries the exemption bit, so the lists show "不受急停控制"; showing
    // the other choice would hide that these keys ignore the emergency stop.
    for (FormList m : {k.firstEms, k.secondEms}) {
      (form.*m).enabled = true;
      (form.*m).index = 1;
    }
    (form.*k.interlock).enabled = false;
    SelectNoInterlock(form.*k.interlock);
    (form.*k.firstAcc).enabled = false;
    (form.*k.secondAcc).enabled = false;
  }
  form.CBR34Action.Select(kRGroupLatch);
  form.CBR12Action.Select(kRGroupLatch);
  form.CBSNAction.Select(kSNGroupLatch);
}

// R1 to R3 latch: R1, R2 and R3 latch together; R4 latches (entry 15) or not (16).
void Editor::StartR1ToR3Latch(int entry) {
  const bool r4Latches = entry == kR1ToR3LatchR4Latch;
  B(79) = 0;
  B(kModeFlagsByte) = kModeR1ToR3Latch;
  B(38) = 0x06;
  B(39) = 0x40;
  B(40) = r4Latches ? 0x06 : 0x12;
  B(41) = 0x00;
  for (OptionList *l : {&form.CBR1EMS, &form.CBR2EMS, &form.CBR3EMS, &form.CBR4EMS}) {
    l->enabled = true;
    l->index = 0;
  }
  form.CBR4EMS.enabled = r4Latches;
  for (OptionList *l : {&form.CBR12InterLock, &form.CBR34InterLock}) {
    l->enabled = false;
    SelectNoInterlock(*l);
  }
  form.CBR1AccTime.enabled = false;
  form.CBR2AccTime.enabled = false;
  form.CBR3AccTime.enabled = false;
  form.CBR4AccTime.enabled = !r4Latches;
  form.CBR12Action.Select(entry);
  form.CBR34Action.Select(entry);
}

void Editor::PairEmsChange(Pair p, Key key) {
  const KeyPair &k = kKeyPairs[p];
  OptionList &list = form.*(key == kFirst ? k.firstEms : k.secondEms);
  OptionList &partner = form.*(key == kFirst ? k.secondEms : k.firstEms);
  const int index = list.index;
  if (index < 0) return;
  const bool exempt = index == 1;
  const int action = (form.*k.action).index;
  const bool rPair = p == kR12 || p == kR34;

  if (action == 1 || action == 2 || action == 4 || action == 14) {
    SetBit(Image, k.actionByte, 7, exempt);
    partner.index = index;
  } else if ((p == kSN && action == kSNGroupLatch) || (rPair && action == kRGroupLatch)) {
    for (Pair q : {kSN, kR12, kR34}) {
      SetBit(Image, kKeyPairs[q].actionByte, 7, exempt);
      (form.*kKeyPairs[q].firstEms).index = index;
      (form.*kKeyPairs[q].secondEms).index = index;
    }
  } else if (rPair && (action == kR1ToR3LatchR4Latch || action == kR1ToR3LatchR4Normal)) {
    // With R4 normal its list is disabled and stands for nothing: it must not undo the
    // exemption of R1 to R3 when the presentation runs it after a load.
    if (&list == &form.CBR4EMS && !list.enabled) {
      list.index = 0;
      return;
    }
    SetBit(Image, 38, 7, exempt);
    SetBit(Image, 40, 7, exempt);
    form.CBR1EMS.index = form.CBR2EMS.index = form.CBR3EMS.index = index;
    form.CBR4EMS.index = form.CBR4EMS.enabled ? index : 0;
  } else if (list.enabled) {
    SetBit(Image, k.actionByte, 7, exempt);
  } else {
    list.index = 0;
  }
}

void Editor::PairInterlockChange(Pair p) {
  const KeyPair &k = kKeyPairs[p];
  const int index = (form.*k.interlock).index;
  if (index < 0) return;
  const int action = (form.*k.action).index;
  SetBit(Image, k.actionByte + 1, 6, action == 1 || action == 3);
  if (index < kNoInterlock) {
    SetBit(Image, k.actionByte, 5, true);
    B(k.delayByte) = kInterlockCodes[index];
  } else {
    SetBit(Image, k.actionByte, 5, false);
    SetBit(Image, k.actionByte + 1, 6, false);
    B(k.delayByte) = 1;
  }
}

void Editor::StoreCode(const OptionList &list, int byte, const uint8_t *codes) {
  if (list.index >= 0) B(byte) = codes[list.index];
}

void Editor::CBR0ActionChange() {
  for (const KeyPair &k : kKeyPairs) {
    if (IsAccelerationAction((form.*k.action).index)) {
      form.CBR0Action.index = kR0Acceleration;
      break;
    }
  }
  const int index = form.CBR0Action.index;
  if (index < 0) return;
  B(16) = kR0ActionCodes[index];
  const bool inching = index == kR0Acceleration;
  form.CBR0EMS.enabled = index == 1;
  form.CBR0EMS.index = index == 1 ? 1 : 0;
  form.CBR0InchTime.visible = inching;
  form.LabelInchTimeVisible = inching;
  if (inching) form.CBR0InchTime.enabled = true;
}

void Editor::CBR0EMSChange() {
  if (form.CBR0EMS.index >= 0) SetBit(Image, 16, 7, form.CBR0EMS.index == 1);
}

void Editor::CBR0InchTimeChange() {
  StoreCode(form.CBR0InchTime, 62, kInchCodes.data());
}

void Editor::CBR5ActionChange() {
  const int index = form.CBR5Action.index;
  if (index < 0) return;
  B(kR5AccByte) = 1;
  form.CBR5AccTime.index = 0;
  B(42) = kR5ActionCodes[index].first;
  B(43) = kR5ActionCodes[index].second;
  form.CBR5EMS.enabled = index == 1;
  form.CBR5EMS.index = index == 1 ? 1 : 0;
  form.CBR5AccTime.enabled = index != 1;
}

void Editor::CBR5EMSChange() {
  if (form.CBR5EMS.index >= 0) SetBit(Image, 42, 7, form.CBR5EMS.index == 1);
}

void Editor::CBR5AccTimeChange() {
  StoreCode(form.CBR5AccTime, kR5AccByte, kAccCodes.data());
}

void Editor::CBUDActionChange() {
  PairActionChange(kUD);
}
void Editor::CBEWActionChange() {
  PairActionChange(kEW);
}
void Editor::CBSNActionChange() {
  PairActionChange(kSN);
}
void Editor::CBR12ActionChange() {
  PairActionChange(kR12);
}
void Editor::CBR34ActionChange() {
  PairActionChange(kR34);
}

void Editor::CBUpEMSChange() {
  PairEmsChange(kUD, kFirst);
}
void Editor::CBDownEMSChange() {
  PairEmsChange(kUD, kSecond);
}
void Editor::CBEastEMSChange() {
  PairEmsChange(kEW, kFirst);
}
void Editor::CBWestEMSChange() {
  PairEmsChange(kEW, kSecond);
}
void Editor::CBSouthEMSChange() {
  PairEmsChange(kSN, kFirst);
}
void Editor::CBNorthEMSChange() {
  PairEmsChange(kSN, kSecond);
}
void Editor::CBR1EMSChange() {
  PairEmsChange(kR12, kFirst);
}
void Editor::CBR2EMSChange() {
  PairEmsChange(kR12, kSecond);
}
void Editor::CBR3EMSChange() {
  PairEmsChange(kR34, kFirst);
}
void Editor::CBR4EMSChange() {
  PairEmsChange(kR34, kSecond);
}

void Editor::CBUDInterLockChange() {
  PairInterlockChange(kUD);
}
void Editor::CBEWInterLockChange() {
  PairInterlockChange(kEW);
}
void Editor::CBSNInterLockChange() {
  PairInterlockChange(kSN);
}
void Editor::CBR12InterLockChange() {
  PairInterlockChange(kR12);
}
void Editor::CBR34InterLockChange() {
  PairInterlockChange(kR34);
}

void Editor::CBUpAccTimeChange() {
  StoreCode(form.CBUpAccTime, 50, kAccCodes.data());
}
void Editor::CBDownAccTimeChange() {
  StoreCode(form.CBDownAccTime, 51, kAccCodes.data());
}
void Editor::CBEastAccTimeChange() {
  StoreCode(form.CBEastAccTime, 52, kAccCodes.data());
}
void Editor::CBWestAccTimeChange() {
  StoreCode(form.CBWestAccTime, 53, kAccCodes.data());
}
void Editor::CBSouthAccTimeChange() {
  StoreCode(form.CBSouthAccTime, 54, kAccCodes.data());
}
void Editor::CBNorthAccTimeChange() {
  StoreCode(form.CBNorthAccTime, 55, kAccCodes.data());
}
void Editor::CBR1AccTimeChange() {
  StoreCode(form.CBR1AccTime, 56, kAccCodes.data());
}
void Editor::CBR2AccTimeChange() {
  StoreCode(form.CBR2AccTime, 57, kAccCodes.data());
}
void Editor::CBR3AccTimeChange() {
  StoreCode(form.CBR3AccTime, 58, kAccCodes.data());
}
void Editor::CBR4AccTimeChange() {
  StoreCode(form.CBR4AccTime, 59, kAccCodes.data());
}

void Editor::CBUp1DelayTimeChange() {
  StoreCode(form.CBUp1DelayTime, kOneSpeedByte + 0, kOneSpeedCodes.data());
}
void Editor::CBDown1DelayTimeChange() {
  StoreCode(form.CBDown1DelayTime, kOneSpeedByte + 1, kOneSpeedCodes.data());
}
void Editor::CBEast1DelayTimeChange() {
  StoreCode(form.CBEast1DelayTime, kOneSpeedByte + 2, kOneSpeedCodes.data());
}
void Editor::CBWest1DelayTimeChange() {
  StoreCode(form.CBWest1DelayTime, kOneSpeedByte + 3, kOneSpeedCodes.data());
}
void Editor::CBSouth1DelayTimeChange() {
  StoreCode(form.CBSouth1DelayTime, kOneSpeedByte + 4, kOneSpeedCodes.data());
}
void Editor::CBNorth1DelayTimeChange() {
  StoreCode(form.CBNorth1DelayTime, kOneSpeedByte + 5, kOneSpeedCodes.data());
}
void Editor::CBR11DelayTimeChange() {
  StoreCode(form.CBR11DelayTime, kOneSpeedByte + 6, kOneSpeedCodes.data());
}
void Editor::CBR21DelayTimeChange() {
  StoreCode(form.CBR21DelayTime, kOneSpeedByte + 7, kOneSpeedCodes.data());
}
void Editor::CBR31DelayTimeChange() {
  StoreCode(form.CBR31DelayTime, kOneSpeedByte + 8, kOneSpeedCodes.data());
}
void Editor::CBR41DelayTimeChange() {
  StoreCode(form.CBR41DelayTime, kOneSpeedByte + 9, kOneSpeedCodes.data());
}
void Editor::CBR51DelayTimeChange() {
  StoreCode(form.CBR51DelayTime, kOneSpeedByte + 10, kOneSpeedCodes.data());
}

}  // namespace rilo
