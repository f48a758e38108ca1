#include "core/ini_preferences.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/testing/fake_file_system.h"

namespace rilo {
namespace {

class IniPreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("rilo-prefs-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    path_ = (dir_ / "sub" / "preferences.ini").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(IniPreferencesTest, ValuesKeepTheirTypesAcrossRuns) {
  {
    IniPreferences store(path_);
    EXPECT_FALSE(store.ReadInteger("Left"));
    store.WriteInteger("Left", -12);
    store.WriteString("COM", "COM3");
    store.WriteString("Quoted", "a \"b\" \\c");
    store.WriteBool("Factory", true);
  }
  IniPreferences again(path_);
  EXPECT_EQ(again.ReadInteger("Left"), -12);
  EXPECT_EQ(again.ReadString("COM"), "COM3");
  EXPECT_EQ(again.ReadString("Quoted"), "a \"b\" \\c");
  EXPECT_EQ(again.ReadBool("Factory"), true);
  // A value stored with another type reads as missing, as the registry would answer.
  EXPECT_FALSE(again.ReadString("Left"));
  EXPECT_FALSE(again.ReadInteger("COM"));
}

// A line break in a value (a folder's name may hold one) would end its line, and what
// followed would read as a value of its own.
TEST_F(IniPreferencesTest, ALineBreakInAValueStaysInIt) {
  const std::string folder = "/home/a\nb\r\n\"Factory\"=dword:00000001";
  IniPreferences(path_).WriteString("LastFolder", folder);
  IniPreferences again(path_);
  EXPECT_EQ(again.ReadString("LastFolder"), folder);
  EXPECT_FALSE(again.ReadInteger("Factory"));
}

TEST_F(IniPreferencesTest, ReadsHandWrittenFileAndSkipsGarbage) {
  std::filesystem::create_directories(dir_ / "sub");
  std::ofstream(path_) << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\RILO1 Q10/Q12]\r\n"
                          "\"SN\"=dword:00000002\r\n"
                          "\"PortDevice.COM1\"=\"/dev/ttyUSB0\"\r\n"
                          "garbage line\n"
                          "\"Broken\"=dword:zz\n";
  IniPreferences store(path_);
  EXPECT_EQ(store.ReadBool("SN"), true);
  EXPECT_EQ(store.ReadString("PortDevice.COM1"), "/dev/ttyUSB0");
  EXPECT_FALSE(store.ReadInteger("Broken"));
}

TEST_F(IniPreferencesTest, WritesKeepWhatAnotherProgramStoredMeanwhile) {
  IniPreferences window(path_);
  window.WriteString("COM", "COM1");
  IniPreferences cli(path_);
  cli.WriteString("PortDevice.COM1", "/dev/ttyUSB0");
  window.WriteInteger("Left", 3);  // the window closing, long after it read the file
  IniPreferences next(path_);
  EXPECT_EQ(next.ReadString("PortDevice.COM1"), "/dev/ttyUSB0");
  EXPECT_EQ(next.ReadInteger("Left"), 3);
}

TEST_F(IniPreferencesTest, UnwritableFolderThrows) {
  std::filesystem::create_directories(dir_);
  std::ofstream(dir_ / "sub") << "a file where the folder should be";
  IniPreferences store(path_);
  EXPECT_THROW(store.WriteInteger("Left", 1), std::runtime_error);
}

TEST(IniPreferencesOnAFailingDisk, ARefusedWriteThrowsNamingTheFileAndLeavesItAsItWas) {
  const std::string path = "/config/RILO1Q12/preferences.ini";
  const struct {
    const char *fault;
    bool testing::FakeFileSystem::*flag;
    std::errc reason;
  } cases[] = {
      {"disk full", &testing::FakeFileSystem::diskFull, std::errc::no_space_on_device},
      {"rename refused", &testing::FakeFileSystem::renameRefused, std::errc::permission_denied},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.fault);
    testing::FakeFileSystem files;
    IniPreferences store(path, files);
    store.WriteInteger("Left", 1);
    const auto before = files.files;
    files.*c.flag = true;
    try {
      store.WriteInteger("Left", 2);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error &e) {
      EXPECT_EQ(e.what(), "無法寫入設定檔 " + path + ": " + std::make_error_code(c.reason).message());
    }
    EXPECT_EQ(files.files, before);
    EXPECT_EQ(store.ReadInteger("Left"), 2);  // the program runs on with the value in hand
  }
}

TEST(IniPreferencesOnAFailingDisk, AFileThatCannotBeReadIsNeverWrittenOver) {
  const std::string path = "/config/RILO1Q12/preferences.ini";
  testing::FakeFileSystem files;
  files.files[path] = "\"COM\"=\"COM3\"\r\n";
  files.unreadable.insert(path);
  IniPreferences store(path, files);
  EXPECT_FALSE(store.ReadString("COM"));
  EXPECT_EQ(store.unreadable(), std::errc::permission_denied);
  try {
    store.WriteInteger("Left", 1);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error &e) {
    EXPECT_EQ(e.what(),
              "無法讀取設定檔 " + path + ": " + std::make_error_code(std::errc::permission_denied).message());
  }
  EXPECT_EQ(files.files, (std::map<std::string, std::string>{{path, "\"COM\"=\"COM3\"\r\n"}}));

  files.unreadable.clear();
  EXPECT_EQ(IniPreferences(path, files).ReadString("COM"), "COM3");
  EXPECT_FALSE(IniPreferences(path, files).unreadable());
  EXPECT_FALSE(IniPreferences("/config/missing.ini", files).unreadable())
      << "a missing file is an empty store";
}

}  // namespace
}  // namespace rilo
