#include "core/fallback_preferences.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace rilo {
namespace {

// The machine-wide place as a standard user meets it: readable, every write refused.
class ReadOnlyPreferences : public MemoryPreferences {
 public:
  bool refuse = true;
  void WriteInteger(const std::string &name, int32_t value) override {
    if (refuse) throw std::runtime_error("access denied: " + name);
    MemoryPreferences::WriteInteger(name, value);
  }
  void WriteString(const std::string &name, const std::string &value) override {
    if (refuse) throw std::runtime_error("access denied: " + name);
    MemoryPreferences::WriteString(name, value);
  }
};

class FallbackPreferencesTest : public ::testing::Test {
 protected:
  FallbackPreferencesTest() {
    auto m = std::make_unique<ReadOnlyPreferences>();
    auto u = std::make_unique<MemoryPreferences>();
    machine = m.get();
    user = u.get();
    store = std::make_unique<FallbackPreferences>(std::move(m), std::move(u));
  }
  ReadOnlyPreferences *machine;
  MemoryPreferences *user;
  std::unique_ptr<FallbackPreferences> store;
};

TEST_F(FallbackPreferencesTest, RefusedWritesAreKeptForTheUserAndWinWhenRead) {
  machine->values = {{"Left", 10}, {"COM", "COM1"}, {"Factory", 0}, {"Language", "English"}};

  store->WriteInteger("Left", 250);
  store->WriteString("COM", "COM7");
  store->WriteBool("Factory", true);

  // The machine-wide values stay as an administrator left them.
  EXPECT_EQ(machine->ReadInteger("Left"), 10);
  EXPECT_EQ(machine->ReadString("COM"), "COM1");
  EXPECT_EQ(user->values.size(), 3u);
  // The user's values win; what the user never wrote comes from the machine.
  EXPECT_EQ(store->ReadInteger("Left"), 250);
  EXPECT_EQ(store->ReadString("COM"), "COM7");
  EXPECT_EQ(store->ReadBool("Factory"), true);
  EXPECT_EQ(store->ReadString("Language"), "English");
  EXPECT_FALSE(store->ReadInteger("Top"));
}

TEST_F(FallbackPreferencesTest, WritableMachineStoreTakesTheWriteAndNoUserCopyHidesIt) {
  machine->refuse = false;
  store->WriteInteger("Top", 5);
  EXPECT_EQ(machine->ReadInteger("Top"), 5);
  EXPECT_TRUE(user->values.empty());

  // A copy kept for this user while the machine refused (say, before an administrator
  // ran the tool) would shadow the new machine-wide value unless it follows.
  user->values["COM"] = std::string("COM3");
  store->WriteString("COM", "COM9");
  EXPECT_EQ(machine->ReadString("COM"), "COM9");
  EXPECT_EQ(store->ReadString("COM"), "COM9");
}

TEST_F(FallbackPreferencesTest, ValueOfAnotherTypeForTheUserDoesNotHideTheMachineOne) {
  machine->values["Width"] = 800;
  user->values["Width"] = std::string("wide");
  EXPECT_EQ(store->ReadInteger("Width"), 800);
  EXPECT_EQ(store->ReadString("Width"), "wide");
}

TEST_F(FallbackPreferencesTest, WriteRefusedInBothPlacesThrows) {
  class Refusing : public ReadOnlyPreferences {};
  FallbackPreferences both(std::make_unique<Refusing>(), std::make_unique<Refusing>());
  EXPECT_THROW(both.WriteInteger("Left", 1), std::runtime_error);
  EXPECT_THROW(both.WriteString("COM", "COM2"), std::runtime_error);
  EXPECT_FALSE(both.ReadInteger("Left"));
}

}  // namespace
}  // namespace rilo
