// The cascades of the key and option rules: companion lists, combination modes, the
// no-interlock entry and the start key.
#include <gtest/gtest.h>

#include "settings/testing/editor_bench.h"
#include "settings/value_tables.h"

namespace rilo {
namespace {

using testing::EditorBench;

constexpr std::string_view kNoInterlockText = "不         相         互         抑         制";

std::vector<uint8_t> Bytes(const EditorBench &b, int first, int count) {
  std::vector<uint8_t> v;
  for (int n = first; n < first + count; ++n)
    v.push_back(b.Byte(n));
  return v;
}

struct CompanionCase {
  int action;
  bool firstAcc, secondAcc, firstEms, secondEms, interlock;  // enabled
  int firstEmsIndex, secondEmsIndex, interlockIndex;
  int interlockEntries;
};

TEST(KeyRules, ActionSetsCompanionListsOfThePair) {
  const CompanionCase cases[] = {
      {0, true, true, false, false, true, 0, 0, 0, 9},    {1, false, false, true, true, true, 1, 1, 8, 9},
      {2, false, false, true, true, false, 1, 1, 8, 9},   {3, true, false, false, true, true, 0, 1, 8, 9},
      {4, false, false, true, true, false, 1, 1, 8, 9},   {5, true, true, false, false, true, 0, 0, 0, 9},
      {7, true, true, false, false, true, 0, 0, 0, 8},    {8, true, true, false, false, true, 0, 0, 0, 8},
      {11, false, true, true, false, false, 1, 0, 8, 9},  {12, false, true, true, false, false, 1, 0, 8, 9},
      {13, false, true, false, false, false, 0, 0, 8, 9}, {14, true, true, true, true, true, 1, 1, 0, 8},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("action " + std::to_string(c.action));
    EditorBench b;
    b.Pick("CBEWAction", c.action);
    const Form &f = b.editor.form;
    EXPECT_EQ(f.CBEastAccTime.enabled, c.firstAcc);
    EXPECT_EQ(f.CBWestAccTime.enabled, c.secondAcc);
    EXPECT_EQ(f.CBEastAccTime.index, 0);
    EXPECT_EQ(f.CBWestAccTime.index, 0);
    EXPECT_EQ(f.CBEastEMS.enabled, c.firstEms);
    EXPECT_EQ(f.CBWestEMS.enabled, c.secondEms);
    EXPECT_EQ(f.CBEWInterLock.enabled, c.interlock);
    EXPECT_EQ(f.CBEastEMS.index, c.firstEmsIndex);
    EXPECT_EQ(f.CBWestEMS.index, c.secondEmsIndex);
    EXPECT_EQ(f.CBEWInterLock.index, c.interlockIndex);
    EXPECT_EQ(f.CBEWInterLock.Count(), c.interlockEntries);
  }
}

TEST(KeyRules, AccelerationActionTakesTheStartKeyAndTheNoInterlockEntry) {
  EditorBench b;
  b.Pick("CBR0Action", 1);
  b.Pick("CBUDAction", 7);
  const Form &f = b.editor.form;
  EXPECT_EQ(f.CBUDInterLock.Count(), 8);
  EXPECT_FALSE(f.CBUDInterLock.Holds(kNoInterlockText));
  EXPECT_EQ(f.CBUDInterLock.index, 0);
  EXPECT_EQ(f.CBR0Action.index, 2);
  EXPECT_EQ(b.Byte(16), 0x02);
  EXPECT_TRUE(f.CBR0InchTime.visible);
  EXPECT_TRUE(f.CBR0InchTime.enabled);
  EXPECT_TRUE(f.LabelInchTimeVisible);
  EXPECT_FALSE(f.CBR0EMS.enabled);

  // While a pair accelerates, the start key stays the acceleration key whatever is picked.
  b.Pick("CBR0Action", 0);
  EXPECT_EQ(f.CBR0Action.index, 2);
  EXPECT_EQ(b.Byte(16), 0x02);

  b.Pick("CBUDAction", 0);
  ASSERT_EQ(f.CBUDInterLock.Count(), 9);
  EXPECT_EQ(f.CBUDInterLock.entries[8], kNoInterlockText);
  b.Pick("CBR0Action", 0);
  EXPECT_EQ(f.CBR0Action.index, 0);
  EXPECT_FALSE(f.CBR0InchTime.visible);
  EXPECT_FALSE(f.LabelInchTimeVisible);
}

TEST(KeyRules, StartKeyLatchExemptsFromEmergencyStop) {
  EditorBench b;
  b.Pick("CBR0Action", 1);
  EXPECT_EQ(b.Byte(16), 0x81);
  EXPECT_TRUE(b.editor.form.CBR0EMS.enabled);
  EXPECT_EQ(b.Index("CBR0EMS"), 1);
  b.Pick("CBR0EMS", 0);
  EXPECT_EQ(b.Byte(16), 0x01);
}

TEST(KeyRules, GroupLatchAndLeavingIt) {
  EditorBench b;
  b.editor.Image.fill(0x55);
  B1(b.editor.Image, 78) = 0;
  b.Pick("CBSNAction", 15);
  EXPECT_EQ(Bytes(b, 36, 6), (std::vector<uint8_t>{0x86, 0x00, 0x86, 0x00, 0x86, 0x00}));
  EXPECT_EQ(b.Byte(78), 2);
  EXPECT_EQ(b.Byte(79), 0);
  const Form &f = b.editor.form;
  EXPECT_EQ(f.CBSNAction.index, 15);
  EXPECT_EQ(f.CBR12Action.index, 17);
  EXPECT_EQ(f.CBR34Action.index, 17);
  for (const OptionList *l : {&f.CBSNInterLock, &f.CBR12InterLock, &f.CBR34InterLock}) {
    EXPECT_FALSE(l->enabled);
    EXPECT_EQ(l->index, 8);
  }
  for (const OptionList *l :
       {&f.CBSouthAccTime, &f.CBNorthAccTime, &f.CBR1AccTime, &f.CBR2AccTime, &f.CBR3AccTime, &f.CBR4AccTime})
    EXPECT_FALSE(l->enabled);
  // The latch codes carry the exemption bit; the six lists say so (they used to show
  // "受急停控制" here while the unit ignored the emergency stop).
  for (const OptionList *l : {&f.CBSouthEMS, &f.CBNorthEMS, &f.CBR1EMS, &f.CBR2EMS, &f.CBR3EMS, &f.CBR4EMS}) {
    EXPECT_TRUE(l->enabled);
    EXPECT_EQ(l->index, 1) << l->name;
  }

  // One EMS choice holds for all six keys.
  b.Pick("CBR2EMS", 0);
  EXPECT_EQ(Bytes(b, 36, 6), (std::vector<uint8_t>{0x06, 0x00, 0x06, 0x00, 0x06, 0x00}));
  for (const OptionList *l : {&f.CBSouthEMS, &f.CBNorthEMS, &f.CBR1EMS, &f.CBR3EMS, &f.CBR4EMS})
    EXPECT_EQ(l->index, 0) << l->name;

  // A pick in R1/R2 ends the mode: South/North and R3/R4 go back to normal / normal.
  b.Pick("CBR12Action", 0);
  EXPECT_EQ(Bytes(b, 36, 6), (std::vector<uint8_t>{0x38, 0x00, 0x38, 0x00, 0x38, 0x00}));
  EXPECT_EQ(b.Byte(78), 0);
  EXPECT_EQ(f.CBSNAction.index, 0);
  EXPECT_EQ(f.CBR34Action.index, 0);
}

TEST(KeyRules, ModeShowsNoInterlockEvenWhereAnAccelerationActionHadRemovedIt) {
  EditorBench b;
  b.Pick("CBR12Action", 8);
  ASSERT_EQ(b.List("CBR12InterLock").Count(), 8);
  b.Pick("CBSNAction", 15);
  const OptionList &interlock = b.List("CBR12InterLock");
  ASSERT_EQ(interlock.Count(), 9);
  EXPECT_EQ(interlock.index, 8);
  EXPECT_EQ(interlock.entries[8], kNoInterlockText);
}

TEST(KeyRules, GroupLatchChosenInEitherRListIsTheSame) {
  EditorBench fromSN, fromR12, fromR34;
  fromSN.Pick("CBSNAction", 15);
  fromR12.Pick("CBR12Action", 17);
  fromR34.Pick("CBR34Action", 17);
  for (EditorBench *b : {&fromR12, &fromR34}) {
    EXPECT_EQ(Bytes(*b, 36, 6), Bytes(fromSN, 36, 6));
    EXPECT_EQ(b->Byte(78), 2);
    EXPECT_EQ(b->Index("CBSNAction"), 15);
    EXPECT_EQ(b->Index("CBR12Action"), 17);
    EXPECT_EQ(b->Index("CBR34Action"), 17);
  }
}

TEST(KeyRules, R1ToR3LatchAndLeavingIt) {
  for (int entry : {15, 16}) {
    SCOPED_TRACE("entry " + std::to_string(entry));
    EditorBench b;
    b.Pick("CBR34Action", entry);
    const Form &f = b.editor.form;
    EXPECT_EQ(Bytes(b, 38, 4), (std::vector<uint8_t>{0x06, 0x40, uint8_t(entry == 15 ? 0x06 : 0x12), 0x00}));
    EXPECT_EQ(b.Byte(78), 1);
    EXPECT_EQ(f.CBR12Action.index, entry);
    EXPECT_EQ(f.CBR34Action.index, entry);
    EXPECT_EQ(f.CBR4EMS.enabled, entry == 15);
    EXPECT_EQ(f.CBR4AccTime.enabled, entry == 16);
    EXPECT_FALSE(f.CBR3AccTime.enabled);

    // R1 to R3 share one exemption, in bytes 38 and 40.
    b.Pick("CBR1EMS", 1);
    EXPECT_EQ(b.Byte(38) & 0x80, 0x80);
    EXPECT_EQ(b.Byte(40) & 0x80, 0x80);
    EXPECT_EQ(f.CBR2EMS.index, 1);
    EXPECT_EQ(f.CBR3EMS.index, 1);
    EXPECT_EQ(f.CBR4EMS.index, entry == 15 ? 1 : 0);

    // The disabled R4 list stands for nothing and leaves the exemption alone.
    if (entry == 16) {
      b.editor.CBR4EMSChange();
      EXPECT_EQ(b.Byte(38) & 0x80, 0x80);
      EXPECT_EQ(b.Byte(40) & 0x80, 0x80);
    }

    b.Pick("CBR12Action", 2);
    EXPECT_EQ(b.Byte(78), 0);
    EXPECT_EQ(f.CBR34Action.index, 0);
    EXPECT_EQ(Bytes(b, 38, 4), (std::vector<uint8_t>{0x81, 0x00, 0x38, 0x00}));
  }
}

TEST(KeyRules, EmergencyStopChoiceFollowsThePairsAction) {
  EditorBench b;
  b.Pick("CBUDAction", 1);
  b.Pick("CBUpEMS", 0);
  EXPECT_EQ(b.Byte(32), 0x06);
  EXPECT_EQ(b.Index("CBDownEMS"), 0);
  b.Pick("CBUpEMS", 1);
  EXPECT_EQ(b.Byte(32), 0x86);
  EXPECT_EQ(b.Index("CBDownEMS"), 1);

  // Normal / latch: only the second key's list counts; the first is held at entry 0.
  b.Pick("CBUDAction", 3);
  EXPECT_FALSE(b.editor.form.CBUpEMS.enabled);
  b.Pick("CBUpEMS", 1);
  EXPECT_EQ(b.Index("CBUpEMS"), 0);
  EXPECT_EQ(b.Byte(32), 0x8C);
  b.Pick("CBDownEMS", 0);
  EXPECT_EQ(b.Byte(32), 0x0C);
}

TEST(KeyRules, InterlockOfALatchPairSetsTheSecondBytesBit) {
  EditorBench b;
  b.Pick("CBR12Action", 3);
  b.Pick("CBR12InterLock", 2);
  EXPECT_EQ(b.Byte(38), 0xAC);
  EXPECT_EQ(b.Byte(39), 0x40);
  EXPECT_EQ(b.Byte(47), 22);
  b.Pick("CBR12InterLock", 8);
  EXPECT_EQ(b.Byte(38), 0x8C);
  EXPECT_EQ(b.Byte(39), 0x00);
  EXPECT_EQ(b.Byte(47), 1);
}

TEST(KeyRules, F1KeyCompanions) {
  EditorBench b;
  b.Pick("CBR5Action", 1);
  const Form &f = b.editor.form;
  EXPECT_TRUE(f.CBR5EMS.enabled);
  EXPECT_EQ(f.CBR5EMS.index, 1);
  EXPECT_FALSE(f.CBR5AccTime.enabled);
  b.Pick("CBR5Action", 2);
  EXPECT_FALSE(f.CBR5EMS.enabled);
  EXPECT_EQ(f.CBR5EMS.index, 0);
  EXPECT_TRUE(f.CBR5AccTime.enabled);
  EXPECT_EQ(f.CBR5AccTime.index, 0);
}

TEST(OptionRules, TransmitModeHoldsPassEmsActionAndIdleSwitchOff) {
  EditorBench b;
  b.Pick("CBPassEMSAction", 1);
  b.Pick("CBTxMode", 0);
  const Form &f = b.editor.form;
  EXPECT_FALSE(f.CBPassEMSAction.enabled);
  EXPECT_EQ(f.CBPassEMSAction.index, 0);
  EXPECT_EQ(b.Byte(18) & 0x04, 0);
  EXPECT_FALSE(f.CBCountClose.enabled);
  EXPECT_EQ(f.CBCountClose.index, 1);

  b.Pick("CBTxMode", 3);
  EXPECT_TRUE(f.CBPassEMSAction.enabled);
  EXPECT_EQ(f.CBPassEMSAction.index, 0);
  EXPECT_TRUE(f.CBCountClose.enabled);

  // Every transmit mode clears the idle switch-off bit; the list shows that rather than
  // the choice made before (it used to keep showing "關        機" over a clear bit).
  b.Pick("CBCountClose", 0);
  EXPECT_EQ(b.Byte(18) & 0x10, 0x10);
  b.Pick("CBTxMode", 5);
  EXPECT_EQ(b.Byte(18) & 0x10, 0);
  EXPECT_EQ(f.CBCountClose.index, 1);

  b.Pick("CBTxMode", 9);
  EXPECT_FALSE(f.CBCountClose.enabled);
  EXPECT_EQ(b.Byte(18) & 0x03, 0x03);
}

TEST(OptionRules, LowBatteryActionHoldsTheEmsSignal) {
  EditorBench b;
  b.Pick("CBTxLowBattAction", 1);
  b.Pick("CBTxBattLowEMS", 0);
  EXPECT_EQ(b.Byte(19) & 0x80, 0x80);
  b.Pick("CBTxLowBattAction", 0);
  EXPECT_EQ(b.Byte(19) & 0x80, 0);
  EXPECT_FALSE(b.editor.form.CBTxBattLowEMS.enabled);
  EXPECT_EQ(b.Index("CBTxBattLowEMS"), 1);
}

TEST(OptionRules, BatteryCounterMasks) {
  EditorBench b;
  b.Pick("CBTxBattCont", 1);
  EXPECT_EQ(Bytes(b, 12, 4), (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x00}));
  EXPECT_EQ(b.Byte(19) & 0x01, 0x01);
  b.Pick("CBTxBattCont", 9);
  EXPECT_EQ(Bytes(b, 12, 4), (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0x01}));
  b.Pick("CBTxBattCont", 32);
  EXPECT_EQ(Bytes(b, 12, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  b.Pick("CBTxBattCont", 0);
  EXPECT_EQ(Bytes(b, 12, 4), (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(b.Byte(19) & 0x01, 0);
}

TEST(Form, StartingStateOfTheLists) {
  Form f;
  for (const OptionList *l : {&f.CBUDAction, &f.CBEWAction, &f.CBSNAction, &f.CBR12Action, &f.CBR34Action,
                              &f.CBR5Action, &f.CBR0Action, &f.CBTxMode, &f.CBTxEMSCont}) {
    EXPECT_TRUE(l->enabled) << l->name;
    EXPECT_EQ(l->index, -1) << l->name;
  }
  for (const OptionList *l :
       {&f.CBUpAccTime, &f.CBR4EMS, &f.CBR34InterLock, &f.CBR5AccTime, &f.CBR0EMS, &f.CBR0InchTime}) {
    EXPECT_FALSE(l->enabled) << l->name;
    EXPECT_EQ(l->index, 0) << l->name;
  }
  EXPECT_TRUE(f.CBR51DelayTime.enabled);
  EXPECT_EQ(f.CBR51DelayTime.index, 0);
  EXPECT_EQ(f.CBSNAction.Count(), 16);
  EXPECT_EQ(f.CBSNAction.entries[15], "集體捺跳                        集體捺跳  ");
  EXPECT_EQ(f.CBR12Action.Count(), 18);
  EXPECT_FALSE(f.CBR0InchTime.visible);
  EXPECT_EQ(f.EEqupmentDate.text, "20  /  /  ");
  EXPECT_EQ(f.Lists().size(), 61u);
  EXPECT_EQ(f.Find("CBR41DelayTime"), &f.CBR41DelayTime);
  EXPECT_EQ(f.Find("CBNothing"), nullptr);
}

}  // namespace
}  // namespace rilo
