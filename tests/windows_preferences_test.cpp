// The window's preferences in the real registry (Wine's, in the tests' own prefix):
// the default set written on a first run with the registry's types and read back at
// the next start, and a standard user, who may only read the machine-wide key,
// keeping the unlocked flags and the window's place in a key of their own.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include "core/ini_preferences.h"
#include "core/registry_preferences.h"
#include "core/testing/scripted_operator.h"
#include "workbench/testing/test_workbench.h"

namespace rilo {
namespace {

constexpr WindowGeometry kFirst{100, 50, 600, 820};
constexpr WindowGeometry kOther{0, 0, 300, 400};
constexpr const char *kFactoryCode = "04kmty6e";

// One start of the tool on the platform's own store, shown, as the window runs it.
struct Start {
  Start() { shown = bench.FormMenuCreate(kOther); }
  std::unique_ptr<Preferences> store = OpenPreferenceStore();
  testing::ScriptedOperator op;
  testing::TestWorkbench rig{*store, op};
  Workbench &bench = rig.bench;
  WindowGeometry shown;
};

// The raw value: its registry type and bytes, or REG_NONE when it is missing.
std::pair<DWORD, std::string> Raw(HKEY root, const char *name) {
  DWORD type = 0, size = 64;
  char data[64] = {};
  if (RegGetValueA(root, kPreferencesKey, name, RRF_RT_ANY | RRF_NOEXPAND | RRF_SUBKEY_WOW6432KEY, &type,
                   data, &size) != ERROR_SUCCESS)
    return {REG_NONE, ""};
  return {type, std::string(data, size)};
}

std::pair<DWORD, std::string> Dword(uint32_t v) {
  return {REG_DWORD, std::string(reinterpret_cast<const char *>(&v), sizeof v)};
}

std::pair<DWORD, std::string> Text(const std::string &s) {
  return {REG_SZ, std::string(s.c_str(), s.size() + 1)};
}

class WindowsPreferences : public ::testing::Test {
 protected:
  void SetUp() override { Remove(); }
  void TearDown() override { Remove(); }

  static void Remove() {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kPreferencesKey, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_CURRENT_USER, kPreferencesKey, 0, 0);
  }

  // The machine-wide key as a standard user meets it: everyone may read it (and, for
  // the clean-up, delete it), nobody may store a value in it.
  static void MakeMachineKeyReadOnly() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPreferencesKey, 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRSD;;;WD)", SDDL_REVISION_1,
                                                                     &sd, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
    LocalFree(sd);
    RegCloseKey(key);
  }
};

TEST_F(WindowsPreferences, FirstRunWritesTypedDefaultsForTheMachineAndTheNextStartReadsThem) {
  {
    Start first;
    first.bench.FormMenuShow();
    EXPECT_EQ(first.shown, kOther);
    first.bench.FormMenuClose(kFirst);
  }
  const std::pair<const char *, std::pair<DWORD, std::string>> expected[] = {
      {"Left", Dword(100)},       {"Top", Dword(50)},          {"Height", Dword(600)},
      {"Width", Dword(820)},      {"COM", Text("COM1")},       {"Language", Text("English")},
      {"BattLow", Dword(0)},      {"BattLowAction", Dword(0)}, {"TxEMSCount", Dword(0)},
      {"BattCount", Dword(0)},    {"Key1Time", Dword(0)},      {"SpecialFunc", Dword(0)},
      {"CustomerInfo", Dword(1)}, {"IDCODE", Dword(0)},        {"DateCode", Dword(0)},
      {"SN", Dword(0)},           {"Factory", Dword(0)}};
  for (const auto &[name, value] : expected) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, name), value);
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, name).first, static_cast<DWORD>(REG_NONE));
  }
  // Where a 32-bit build of the tool keeps them, on a 64-bit system too.
  HKEY view = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\RILO1 Q10/Q12", 0, KEY_READ, &view),
            ERROR_SUCCESS);
  if (view) RegCloseKey(view);

  {
    Start second;
    EXPECT_EQ(second.shown, kFirst);
    EXPECT_TRUE(second.bench.BPasswordOKClick(kFactoryCode));
  }
  Start third;
  EXPECT_EQ(third.bench.flags().Factory, 1);
  EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, "Factory"), Dword(1));
}

TEST_F(WindowsPreferences, StandardUserKeepsFlagsAndPlaceInTheirOwnKey) {
  MakeMachineKeyReadOnly();
  {
    // No values to read, none may be written there: the defaults go to the user's key
    // and the start goes on without a word.
    Start first;
    EXPECT_EQ(first.bench.flags().CustomerInfo, 1);
    EXPECT_TRUE(first.op.shown.empty());
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, "COM"), Text("COM1"));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, "CustomerInfo"), Dword(1));
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, "COM").first, static_cast<DWORD>(REG_NONE));
    first.bench.FormMenuShow();
    EXPECT_TRUE(first.bench.BPasswordOKClick(kFactoryCode));
    first.bench.FormMenuClose(kFirst);
  }
  Start second;
  EXPECT_EQ(second.shown, kFirst);
  EXPECT_EQ(second.bench.flags().Factory, 1);
  EXPECT_EQ(second.bench.flags().IDCODE, 1);
  EXPECT_TRUE(second.op.shown.empty());
  EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, "Factory").first, static_cast<DWORD>(REG_NONE));
}

}  // namespace
}  // namespace rilo
