// The registry store against a real registry (Wine's, in the tests' own prefix): the
// types the values are kept in, reads that never create or need write access, and a
// key the user may only read.
#include "core/registry_preferences.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <random>
#include <stdexcept>

namespace rilo {
namespace {

// A key of its own under HKEY_CURRENT_USER for each test, removed afterwards.
class RegistryPreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = "SOFTWARE\\RILO1 Q10/Q12 test " + std::to_string(std::random_device{}()); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }

  // The key exists and lets everyone read it, change its permissions and delete it,
  // but not store values: the machine-wide key as a standard user meets it.
  void MakeReadOnly() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRWDSD;;;WD)", SDDL_REVISION_1,
                                                                     &sd, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
    LocalFree(sd);
    RegCloseKey(key);
  }

  // The raw value as the registry keeps it: its type and bytes.
  std::pair<DWORD, std::string> Raw(const char *name) const {
    DWORD type = 0, size = 64;
    char data[64] = {};
    if (RegGetValueA(HKEY_CURRENT_USER, path_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) !=
        ERROR_SUCCESS)
      return {REG_NONE, ""};
    return {type, std::string(data, size)};
  }

  bool KeyExists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  std::string path_;
};

TEST_F(RegistryPreferencesTest, IntegersAreDwordsAndTextsAreStrings) {
  RegistryPreferences store(HKEY_CURRENT_USER, path_);
  store.WriteInteger("Left", -12);
  store.WriteBool("Factory", true);
  store.WriteString("COM", "COM12");

  EXPECT_EQ(Raw("Left"), (std::pair<DWORD, std::string>{REG_DWORD, std::string("\xF4\xFF\xFF\xFF", 4)}));
  EXPECT_EQ(Raw("Factory"), (std::pair<DWORD, std::string>{REG_DWORD, std::string("\x01\0\0\0", 4)}));
  EXPECT_EQ(Raw("COM"), (std::pair<DWORD, std::string>{REG_SZ, std::string("COM12\0", 6)}));

  RegistryPreferences again(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(again.ReadInteger("Left"), -12);
  EXPECT_EQ(again.ReadBool("Factory"), true);
  EXPECT_EQ(again.ReadString("COM"), "COM12");
  // Another type, or no value, reads as nothing.
  EXPECT_FALSE(again.ReadString("Left"));
  EXPECT_FALSE(again.ReadInteger("COM"));
  EXPECT_FALSE(again.ReadInteger("Top"));
}

TEST_F(RegistryPreferencesTest, ReadingAMissingKeyCreatesNothing) {
  RegistryPreferences store(HKEY_CURRENT_USER, path_);
  EXPECT_FALSE(store.ReadInteger("Left"));
  EXPECT_FALSE(store.ReadString("COM"));
  EXPECT_FALSE(KeyExists());
}

TEST_F(RegistryPreferencesTest, KeyThatMayOnlyBeReadIsReadAndRefusesWrites) {
  {
    RegistryPreferences store(HKEY_CURRENT_USER, path_);
    store.WriteInteger("Top", 40);
    store.WriteString("COM", "COM2");
  }
  MakeReadOnly();
  RegistryPreferences store(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(store.ReadInteger("Top"), 40);
  EXPECT_EQ(store.ReadString("COM"), "COM2");
  EXPECT_THROW(store.WriteInteger("Top", 41), std::runtime_error);
  EXPECT_THROW(store.WriteString("COM", "COM3"), std::runtime_error);
  EXPECT_EQ(store.ReadInteger("Top"), 40);
}

}  // namespace
}  // namespace rilo
