// Every entry of every list, picked once over an image of all zeros and once over an
// image of all ones: the bytes and bits it must write, and nothing else. The codes
// here are written out from the product tables, apart from the editor's own tables.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/testing/editor_bench.h"

namespace rilo {
namespace {

struct Write {
  int byte;
  uint8_t mask;  // bits the pick decides
  uint8_t value;
};

struct EntryCase {
  std::string list;
  int index;
  std::vector<std::pair<std::string, int>> context;  // picks made before the image is laid
  std::vector<Write> writes;
};

std::string Describe(const EntryCase &c) {
  std::string s = c.list + "=" + std::to_string(c.index);
  for (const auto &[name, index] : c.context)
    s += " after " + name + "=" + std::to_string(index);
  return s;
}

std::vector<Write> Bytes(int first, std::initializer_list<uint8_t> values) {
  std::vector<Write> w;
  for (uint8_t v : values)
    w.push_back({first++, 0xFF, v});
  return w;
}

std::vector<Write> operator+(std::vector<Write> a, const std::vector<Write> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// 32-bit value stored as the high word then the low word, each least significant byte first.
std::vector<Write> Split32(int first, uint32_t v) {
  return Bytes(first, {uint8_t(v >> 16), uint8_t(v >> 24), uint8_t(v), uint8_t(v >> 8)});
}

void AddDelayLists(std::vector<EntryCase> &cases, const std::vector<std::pair<std::string, int>> &lists,
                   const std::vector<uint8_t> &codes) {
  for (const auto &[name, byte] : lists)
    for (int i = 0; i < static_cast<int>(codes.size()); ++i)
      cases.push_back({name, i, {}, Bytes(byte, {codes[i]})});
}

struct PairInfo {
  std::string action, firstAcc, secondAcc, firstEms, secondEms, interlock;
  int actionByte, delayByte, accByte, entries;
};
const std::vector<PairInfo> kPairs = {
    {"CBUDAction", "CBUpAccTime", "CBDownAccTime", "CBUpEMS", "CBDownEMS", "CBUDInterLock", 32, 44, 50, 15},
    {"CBEWAction", "CBEastAccTime", "CBWestAccTime", "CBEastEMS", "CBWestEMS", "CBEWInterLock", 34, 45, 52,
     15},
    {"CBSNAction", "CBSouthAccTime", "CBNorthAccTime", "CBSouthEMS", "CBNorthEMS", "CBSNInterLock", 36, 46,
     54, 16},
    {"CBR12Action", "CBR1AccTime", "CBR2AccTime", "CBR1EMS", "CBR2EMS", "CBR12InterLock", 38, 47, 56, 18},
    {"CBR34Action", "CBR3AccTime", "CBR4AccTime", "CBR3EMS", "CBR4EMS", "CBR34InterLock", 40, 48, 58, 18},
};

std::vector<EntryCase> AllCases() {
  std::vector<EntryCase> cases;
  const std::vector<uint8_t> acc = {1, 30, 44, 59, 74, 148, 222, 0};
  AddDelayLists(cases,
                {{"CBUpAccTime", 50},
                 {"CBDownAccTime", 51},
                 {"CBEastAccTime", 52},
                 {"CBWestAccTime", 53},
                 {"CBSouthAccTime", 54},
                 {"CBNorthAccTime", 55},
                 {"CBR1AccTime", 56},
                 {"CBR2AccTime", 57},
                 {"CBR3AccTime", 58},
                 {"CBR4AccTime", 59},
                 {"CBR5AccTime", 60}},
                acc);
  AddDelayLists(cases,
                {{"CBUp1DelayTime", 64},
                 {"CBDown1DelayTime", 65},
                 {"CBEast1DelayTime", 66},
                 {"CBWest1DelayTime", 67},
                 {"CBSouth1DelayTime", 68},
                 {"CBNorth1DelayTime", 69},
                 {"CBR11DelayTime", 70},
                 {"CBR21DelayTime", 71},
                 {"CBR31DelayTime", 72},
                 {"CBR41DelayTime", 73},
                 {"CBR51DelayTime", 74}},
                {1, 15, 37, 74, 148, 222, 0});
  AddDelayLists(cases, {{"CBR0InchTime", 62}}, {7, 22, 37, 52, 74, 148, 222, 0});
  AddDelayLists(cases, {{"CBPassEMSTime", 63}}, {7, 22, 44, 52, 74, 148, 222, 0});
  AddDelayLists(cases, {{"CBTxEMSCont", 21}},
                {5, 10, 20, 30, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200});

  for (int n = 0; n <= 32; ++n)
    cases.push_back({"CBTxBattCont",
                     n,
                     {},
                     Split32(12, n == 32 ? 0xFFFFFFFFu : (1u << n) - 1) +
                         std::vector<Write>{{19, 0x01, uint8_t(n ? 0x01 : 0)}}});

  // Transmit mode; entry 0 also picks "關   動   作" in CBPassEMSAction.
  const std::vector<Write> passEmsStop = {{18, 0x04, 0x00}, {19, 0x40, 0x40}};
  cases.push_back({"CBTxMode",
                   0,
                   {},
                   Bytes(26, {0x01, 0x00, 0x00, 0x7D}) + passEmsStop + std::vector<Write>{{18, 0x13, 0}}});
  cases.push_back({"CBTxMode",
                   0,
                   {{"CBProvinceMode", 0}},
                   Bytes(26, {0x01, 0x00, 0x7A, 0x11}) + passEmsStop + std::vector<Write>{{18, 0x13, 0x01}}});
  const std::vector<std::vector<uint8_t>> timeouts = {
      {0x02, 0x00, 0xC0, 0xD4}, {0x04, 0x00, 0x80, 0xA9}, {0x08, 0x00, 0x00, 0x53}, {0x0F, 0x00, 0x00, 0xA6},
      {0x16, 0x00, 0x00, 0xF9}, {0x25, 0x00, 0x00, 0x9F}, {0x4A, 0x00, 0x00, 0x3E}, {0xDC, 0x00, 0x00, 0xBA}};
  for (int i = 1; i <= 8; ++i) {
    const auto &t = timeouts[i - 1];
    cases.push_back(
        {"CBTxMode", i, {}, Bytes(26, {t[0], t[1], t[2], t[3]}) + std::vector<Write>{{18, 0x13, 0x01}}});
  }
  cases.push_back({"CBTxMode", 9, {}, Bytes(26, {0, 0, 0, 0}) + std::vector<Write>{{18, 0x13, 0x03}}});

  cases.push_back({"CBOpenMode", 0, {}, {{18, 0x60, 0x00}}});
  cases.push_back({"CBOpenMode", 1, {}, {{18, 0x60, 0x20}}});
  cases.push_back({"CBCountClose", 0, {}, {{18, 0x10, 0x10}}});
  cases.push_back({"CBCountClose", 1, {}, {{18, 0x10, 0x00}}});
  cases.push_back({"CBProvinceMode", 0, {}, {{19, 0x10, 0x10}}});
  cases.push_back({"CBProvinceMode", 1, {}, {{19, 0x10, 0x00}}});
  cases.push_back(
      {"CBProvinceMode",
       0,
       {{"CBTxMode", 0}},
       Bytes(26, {0x01, 0x00, 0x7A, 0x11}) + std::vector<Write>{{19, 0x10, 0x10}, {18, 0x13, 0x01}}});
  cases.push_back(
      {"CBProvinceMode",
       1,
       {{"CBTxMode", 0}},
       Bytes(26, {0x01, 0x00, 0x00, 0x7D}) + std::vector<Write>{{19, 0x10, 0x00}, {18, 0x13, 0x00}}});
  const std::vector<std::pair<uint8_t, uint8_t>> led = {{0x01, 0x00}, {0x40, 0x1F}, {0x80, 0x3E},
                                                        {0xC0, 0x5D}, {0x00, 0x7D}, {0x01, 0x00}};
  for (int i = 0; i < 6; ++i)
    cases.push_back({"CBLEDOnTime",
                     i,
                     {},
                     Bytes(30, {led[i].first, led[i].second}) +
                         std::vector<Write>{{19, 0x20, uint8_t(i < 5 ? 0x20 : 0)}}});
  for (int i = 0; i < 2; ++i) {
    cases.push_back({"CBTxRemoteSet", i, {}, {{19, 0x04, uint8_t(i ? 0x04 : 0)}}});
    cases.push_back({"CBRxRemoteSet", i, {}, {{19, 0x02, uint8_t(i ? 0x02 : 0)}}});
    cases.push_back({"CBTxBattLowEMS", i, {}, {{19, 0x80, uint8_t(i ? 0 : 0x80)}}});
    cases.push_back({"CBR0EMS", i, {}, {{16, 0x80, uint8_t(i ? 0x80 : 0)}}});
    cases.push_back({"CBR5EMS", i, {}, {{42, 0x80, uint8_t(i ? 0x80 : 0)}}});
  }
  cases.push_back({"CBTxLowBattAction", 0, {}, {{18, 0x08, 0x00}, {19, 0x80, 0x00}}});
  cases.push_back({"CBTxLowBattAction", 1, {}, {{18, 0x08, 0x08}}});

  // Pass-EMS action and auto-off share byte 19 bit 6: set unless both are at entry 0.
  cases.push_back({"CBPassEMSAction", 0, {}, {{18, 0x04, 0x00}, {19, 0x40, 0x40}}});
  cases.push_back({"CBPassEMSAction", 1, {}, {{18, 0x04, 0x04}, {19, 0x40, 0x40}}});
  cases.push_back({"CBPassEMSAction", 0, {{"CBAutoOffTime", 0}}, {{18, 0x04, 0x00}, {19, 0x40, 0x00}}});
  cases.push_back({"CBPassEMSAction", 1, {{"CBAutoOffTime", 0}}, {{18, 0x04, 0x04}, {19, 0x40, 0x40}}});
  const std::vector<std::vector<uint8_t>> autoOff = {
      {0x01, 0x00, 0x01, 0x00}, {0x01, 0x00, 0x9C, 0xAD}, {0x02, 0x00, 0x39, 0x5B}, {0x03, 0x00, 0xD5, 0x08},
      {0x05, 0x00, 0xAB, 0x11}, {0x09, 0x00, 0x55, 0x23}, {0x0D, 0x00, 0x00, 0x35}, {0x11, 0x00, 0xAB, 0x46}};
  for (int i = 0; i < 8; ++i) {
    const auto &t = autoOff[i];
    cases.push_back(
        {"CBAutoOffTime",
         i,
         {},
         Bytes(22, {t[0], t[1], t[2], t[3]}) + std::vector<Write>{{19, 0x48, uint8_t(i ? 0x48 : 0x40)}}});
  }
  cases.push_back({"CBAutoOffTime",
                   0,
                   {{"CBPassEMSAction", 0}},
                   Bytes(22, {1, 0, 1, 0}) + std::vector<Write>{{19, 0x48, 0}}});

  cases.push_back({"CBR0Action", 0, {}, {{16, 0xFF, 0x00}}});
  cases.push_back({"CBR0Action", 1, {}, {{16, 0xFF, 0x81}}});
  cases.push_back({"CBR0Action", 2, {}, {{16, 0xFF, 0x02}}});
  const std::vector<std::pair<uint8_t, uint8_t>> f1 = {
      {0x38, 0x00}, {0x86, 0x00}, {0x38, 0x03}, {0x38, 0x33}};
  for (int i = 0; i < 4; ++i)
    cases.push_back({"CBR5Action", i, {}, Bytes(42, {f1[i].first, f1[i].second}) + Bytes(60, {1})});

  const std::vector<std::pair<uint8_t, uint8_t>> codes = {
      {0x38, 0x00}, {0x86, 0x00}, {0x81, 0x00}, {0x8C, 0x00}, {0x81, 0x80},
      {0x38, 0x03}, {0x38, 0x33}, {0x78, 0x08}, {0x78, 0x04}, {0x38, 0x02},
      {0x38, 0x22}, {0x92, 0x02}, {0x92, 0x22}, {0x52, 0x08}, {0xF8, 0x00}};
  const std::vector<uint8_t> interlock = {1, 7, 22, 37, 52, 67, 74, 148};
  for (const PairInfo &p : kPairs) {
    // Every action resets both acceleration delays and the interlock delay.
    const std::vector<Write> reset = Bytes(p.accByte, {1, 1}) + Bytes(p.delayByte, {1});
    for (int i = 0; i < 15; ++i) {
      std::vector<Write> w = Bytes(p.actionByte, {codes[i].first, codes[i].second}) + reset;
      if (i == 7 || i == 8 || i == 13) w.push_back({16, 0xFF, 0x02});  // the start key accelerates
      cases.push_back({p.action, i, {}, w});
    }
    if (p.entries >= 16) {
      // Group latch (South/North 15, R lists 17): three pairs latch together.
      const std::vector<Write> group =
          Bytes(36, {0x86, 0x00, 0x86, 0x00, 0x86, 0x00}) + Bytes(78, {2, 0}) + reset;
      cases.push_back({p.action, p.entries == 16 ? 15 : 17, {}, group});
    }
    if (p.entries == 18) {
      cases.push_back({p.action, 15, {}, Bytes(38, {0x06, 0x40, 0x06, 0x00}) + Bytes(78, {1, 0}) + reset});
      cases.push_back({p.action, 16, {}, Bytes(38, {0x06, 0x40, 0x12, 0x00}) + Bytes(78, {1, 0}) + reset});
    }
    // Emergency stop under latch / latch: bit 7 of the first action byte.
    for (const std::string &ems : {p.firstEms, p.secondEms})
      for (int i = 0; i < 2; ++i)
        cases.push_back({ems, i, {{p.action, 1}}, {{p.actionByte, 0x80, uint8_t(i ? 0x80 : 0)}}});
    // Interlock: bit 5 of the first byte and the delay; bit 6 of the second byte with latch.
    for (int action : {0, 1}) {
      for (int i = 0; i < 9; ++i) {
        const bool on = i < 8;
        cases.push_back({p.interlock,
                         i,
                         {{p.action, action}},
                         {{p.actionByte, 0x20, uint8_t(on ? 0x20 : 0)},
                          {p.actionByte + 1, 0x40, uint8_t(on && action == 1 ? 0x40 : 0)},
                          {p.delayByte, 0xFF, on ? interlock[i] : uint8_t(1)}}});
      }
    }
  }
  return cases;
}

TEST(EntryCodes, EveryEntryWritesItsBitsAndNothingElse) {
  const auto cases = AllCases();
  for (const uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
    for (const EntryCase &c : cases) {
      SCOPED_TRACE(Describe(c) + (fill ? " over 0xFF" : " over 0x00"));
      testing::EditorBench bench;
      for (const auto &[name, index] : c.context)
        bench.Pick(name, index);
      SettingsImage laid;
      laid.fill(fill);
      B1(laid, 78) = 0;  // no combination mode to leave
      bench.editor.Image = laid;

      bench.Pick(c.list, c.index);

      SettingsImage expected = laid;
      for (const Write &w : c.writes)
        B1(expected, w.byte) = static_cast<uint8_t>((B1(expected, w.byte) & ~w.mask) | w.value);
      for (int n = 0; n < 256; ++n)
        EXPECT_EQ(bench.editor.Image[n], expected[n])
            << "image offset " << n << " (block 1 byte " << n - 128 << ")";
    }
  }
}

TEST(EntryCodes, EveryListOfTheFormIsCovered) {
  const auto cases = AllCases();
  testing::EditorBench bench;
  for (const OptionList *list : bench.editor.form.Lists()) {
    for (int i = 0; i < list->Count(); ++i) {
      bool covered = false;
      for (const EntryCase &c : cases)
        covered |= c.list == list->name && c.index == i;
      EXPECT_TRUE(covered) << list->name << " entry " << i;
    }
  }
}

}  // namespace
}  // namespace rilo
