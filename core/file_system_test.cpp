// The file seam: the system's files as the tool reads and writes them, and the
// whole-or-nothing write on a disk that fails.
#include "core/file_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "core/testing/fake_file_system.h"
#include "core/testing/programs.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;

class SystemFiles : public ::testing::Test {
 protected:
  std::string Put(const std::string &name, const std::string &bytes) {
    std::ofstream(scratch.path() / name, std::ios::binary) << bytes;
    return scratch.Path(name);
  }
  std::optional<std::string> Read(const std::string &path) {
    error.clear();
    return files.ReadFile(path, &error);
  }

  testing::ScratchFolder scratch{"rilo-file-system"};
  FileSystem &files = SystemFileSystem();
  std::error_code error;
};

TEST_F(SystemFiles, ReadsAWholeFileUpToTheCap) {
  const std::string sizes[] = {"", "Setup\r\n", std::string(kMaxFileSize, 'a')};
  for (const std::string &bytes : sizes) {
    EXPECT_EQ(Read(Put("file", bytes)), bytes) << bytes.size();
    EXPECT_FALSE(error) << error.message();
  }
  EXPECT_EQ(Read(Put("file", std::string(kMaxFileSize + 1, 'a'))), std::nullopt);
  EXPECT_EQ(error, std::errc::file_too_large);
}

// A pipe would hold a plain read up and a device may never end: each is refused unread,
// as what it is.
TEST_F(SystemFiles, RefusesWhatIsNotARegularFileSayingWhatItIs) {
  struct Case {
    std::string path;
    std::error_code reason;
  };
  std::vector<Case> cases = {
      {scratch.path().string(), NotRegular::Folder},
      {scratch.Path("missing"), std::make_error_code(std::errc::no_such_file_or_directory)},
  };
#if defined(_WIN32)
  cases.push_back({"NUL", NotRegular::Device});
#else
  ASSERT_EQ(mkfifo(scratch.Path("pipe").c_str(), 0600), 0);
  cases.push_back({scratch.Path("pipe"), NotRegular::Pipe});
  cases.push_back({"/dev/zero", NotRegular::Device});
#endif
  for (const Case &c : cases) {
    EXPECT_EQ(Read(c.path), std::nullopt) << c.path;
    EXPECT_EQ(error, c.reason) << c.path << ": " << error.message();
  }
  EXPECT_EQ(std::error_code(NotRegular::Folder).message(), "是資料夾");
}

TEST_F(SystemFiles, PathsAreUtf8OnEveryPlatform) {
  const std::string path = scratch.path().string() + "/設定 ü.rilo";
  ASSERT_FALSE(files.WriteAtomically(path, "Setup\r\n"));
  EXPECT_TRUE(fs::is_regular_file(scratch.path() / PathFromUtf8("設定 ü.rilo")));
  EXPECT_EQ(Read(path), "Setup\r\n");
}

#if !defined(_WIN32)
TEST_F(SystemFiles, ALinkAtTheTargetIsReplacedNotWrittenThrough) {
  const std::string elsewhere = Put("elsewhere", "keep");
  fs::create_symlink(elsewhere, scratch.path() / "set.rilo");
  ASSERT_FALSE(files.WriteAtomically(scratch.Path("set.rilo"), "new"));
  EXPECT_FALSE(fs::is_symlink(scratch.path() / "set.rilo"));
  EXPECT_EQ(Read(scratch.Path("set.rilo")), "new");
  EXPECT_EQ(Read(elsewhere), "keep");
}
#endif

// Appending starts a missing file or adds to a regular one; a pipe nothing reads would
// hold the open for ever, and a folder or a device is no record: each is refused as
// what it is, and left as it was.
TEST_F(SystemFiles, AppendsOnlyToARegularFile) {
  const auto append = [&](const std::string &path, const char *line) {
    error.clear();
    std::FILE *file = OpenToAppend(path, &error);
    if (file) {
      std::fputs(line, file);
      std::fclose(file);
    }
    return file != nullptr;
  };
  ASSERT_TRUE(append(scratch.Path("run.csv"), "one\n")) << error.message();
  ASSERT_TRUE(append(scratch.Path("run.csv"), "two\n")) << error.message();
  EXPECT_EQ(Read(scratch.Path("run.csv")), "one\ntwo\n");

  std::vector<std::pair<std::string, std::error_code>> refused = {
      {scratch.path().string(), NotRegular::Folder}};
#if defined(_WIN32)
  refused.push_back({"NUL", NotRegular::Device});
#else
  ASSERT_EQ(mkfifo(scratch.Path("pipe").c_str(), 0600), 0);
  refused.push_back({scratch.Path("pipe"), NotRegular::Pipe});
  refused.push_back({"/dev/null", NotRegular::Device});
#endif
  for (const auto &[path, reason] : refused) {
    EXPECT_FALSE(append(path, "three\n")) << path;
    EXPECT_EQ(error, reason) << path << ": " << error.message();
  }
  EXPECT_EQ(Read(scratch.Path("run.csv")), "one\ntwo\n");
}

// A folder or a pipe where a file is to be written is never replaced, and nothing is
// made beside it.
TEST_F(SystemFiles, AWriteOverWhatIsNotAFileIsRefusedSayingWhatItIs) {
  fs::create_directory(scratch.path() / "folder");
  EXPECT_EQ(files.WriteAtomically(scratch.Path("folder"), "new"), NotRegular::Folder);
  EXPECT_TRUE(fs::is_empty(scratch.path() / "folder"));
#if !defined(_WIN32)
  ASSERT_EQ(mkfifo(scratch.Path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(files.WriteAtomically(scratch.Path("pipe"), "new"), NotRegular::Pipe);
  EXPECT_TRUE(fs::is_fifo(scratch.path() / "pipe"));
#endif
  for (const auto &entry : fs::directory_iterator(scratch.path()))
    EXPECT_TRUE(entry.path().filename() == "folder" || entry.path().filename() == "pipe") << entry.path();
}

TEST(WriteAtomically, EitherTheWholeNewFileOrTheOldOneAndNothingBeside) {
  const std::string path = "/work/set.rilo";
  const struct {
    const char *fault;
    bool testing::FakeFileSystem::*flag;
    std::error_code reason;
    std::string left;
  } cases[] = {
      {"none", nullptr, {}, "new"},
      {"disk full", &testing::FakeFileSystem::diskFull, std::make_error_code(std::errc::no_space_on_device),
       "old"},
      {"rename refused", &testing::FakeFileSystem::renameRefused,
       std::make_error_code(std::errc::permission_denied), "old"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.fault);
    testing::FakeFileSystem files;
    files.files[path] = "old";
    if (c.flag) files.*c.flag = true;
    EXPECT_EQ(files.WriteAtomically(path, "new"), c.reason);
    EXPECT_EQ(files.files, (std::map<std::string, std::string>{{path, c.left}}));
  }
}

}  // namespace
}  // namespace rilo
