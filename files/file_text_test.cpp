// Files as the parsers take them, and files written whole or not at all.
#include "files/file_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace rilo {
namespace {

namespace fs = std::filesystem;

TEST(ParserText, EveryLineBreakBecomesCrLf) {
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"@F000\n01 02\nq\n", "@F000\r\n01 02\r\nq\r\n"},       {"@F000\r01 02\rq", "@F000\r\n01 02\r\nq"},
      {"@F000\r\n01 02\r\nq\r\n", "@F000\r\n01 02\r\nq\r\n"}, {"a\n\r\nb\r\rc", "a\r\n\r\nb\r\n\r\nc"},
      {"tab\there \xE5\xAE\xA2", "tab\there \xE5\xAE\xA2"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ParserText(c.bytes), c.text) << c.bytes;
}

TEST(ParserText, RefusesWhatIsNotATextFileOfOurSize) {
  EXPECT_EQ(ParserText(""), std::nullopt);
  EXPECT_EQ(ParserText(std::string("S\0tup", 5)), std::nullopt);
  EXPECT_EQ(ParserText("Setup\x1A"), std::nullopt);
  EXPECT_NE(ParserText(std::string(kMaxFileSize, 'a')), std::nullopt);
  EXPECT_EQ(ParserText(std::string(kMaxFileSize + 1, 'a')), std::nullopt);
}

struct InAFolder : ::testing::Test {
  fs::path folder = fs::temp_directory_path() / ("rilo-atomic-" + std::to_string(std::random_device{}()));
  void SetUp() override { fs::create_directories(folder); }
  void TearDown() override {
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(folder);
  }
  std::string Read(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(InAFolder, AWriteReplacesTheFileAndLeavesNothingElse) {
  const std::string path = (folder / "set.rilo").string();
  std::string reason;
  ASSERT_TRUE(WriteFileAtomically(path, "old", &reason)) << reason;
  ASSERT_TRUE(WriteFileAtomically(path, "new\r\n", &reason)) << reason;
  EXPECT_EQ(Read(path), "new\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(InAFolder, AFolderItCannotWriteKeepsTheOldFileAndSaysWhy) {
  const std::string path = (folder / "set.rilo").string();
  std::string reason;
  ASSERT_TRUE(WriteFileAtomically(path, "old", &reason));
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(folder / "probe")) GTEST_SKIP() << "running with rights that ignore folder permissions";

  EXPECT_FALSE(WriteFileAtomically(path, "new", &reason));
  EXPECT_EQ(reason, std::make_error_code(std::errc::permission_denied).message());
  EXPECT_EQ(Read(path), "old");
}

TEST_F(InAFolder, ATargetItCannotReplaceStaysAndNoTemporaryFileIsLeft) {
  fs::create_directories(folder / "set.rilo" / "inside");
  std::string reason;
  EXPECT_FALSE(WriteFileAtomically((folder / "set.rilo").string(), "new", &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(fs::is_directory(folder / "set.rilo" / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  EXPECT_FALSE(WriteFileAtomically((folder / "no-folder" / "set.rilo").string(), "new", &reason));
  EXPECT_EQ(reason, std::make_error_code(std::errc::no_such_file_or_directory).message());
}

TEST_F(InAFolder, ReadFileBytesNamesWhatItCannotRead) {
  const struct {
    fs::path path;
    std::string reason;
  } cases[] = {
      {folder / "missing", std::make_error_code(std::errc::no_such_file_or_directory).message()},
      {folder, "是資料夾"},
  };
  for (const auto &c : cases) {
    std::string reason;
    EXPECT_EQ(ReadFileBytes(c.path.string(), &reason), std::nullopt) << c.path;
    EXPECT_EQ(reason, c.reason);
  }
}

// Too large for any format is the parsers' refusal, not a file that could not be read.
TEST_F(InAFolder, AFileTooLargeForAnyFormatReadsAsBytesTheParsersRefuse) {
  const std::string path = (folder / "huge.dat").string();
  std::ofstream(path, std::ios::binary) << std::string(kMaxFileSize + 1, 'a');
  std::string reason;
  const std::optional<std::string> bytes = ReadFileBytes(path, &reason);
  ASSERT_NE(bytes, std::nullopt) << reason;
  EXPECT_EQ(ParserText(*bytes), std::nullopt);
}

}  // namespace
}  // namespace rilo
