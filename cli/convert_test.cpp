// rilo-cli convert as a program: two text files into a data file and back, the unit
// kinds checked, and nothing written when it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "files/testing/sample_images.h"

namespace rilo {
namespace {

using testing::ReadWholeFile;
using testing::RunImage;

VectorTable Vectors(uint8_t resetHigh) {
  VectorTable vectors;
  for (int i = 0; i < 32; ++i)
    vectors[i] = static_cast<uint8_t>(0x40 + i);
  vectors[31] = resetHigh;
  return vectors;
}

class ConvertTest : public ::testing::Test {
 protected:
  ConvertTest() {
    // As the window saves a unit right after reading it: its top page 0xFF80, its
    // vectors the password it took, its own settings.
    Write("tx.txt", JoinCrLf(FirmwareTextFileLines(Vectors(0xF0), testing::SampleSettings(1), *tx_)));
    Write("rx.txt", JoinCrLf(FirmwareTextFileLines(Vectors(0xC0), testing::SampleSettings(2), *rx_)));
  }
  std::string Path(const std::string &name) const { return scratch_.Path(name); }
  void Write(const std::string &name, const std::string &bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  testing::ProgramResult Run(const std::string &args) const {
    return testing::RunProgram("rilo-cli", "convert " + args, scratch_);
  }
  std::string Quoted(const std::string &name) const { return "\"" + Path(name) + "\""; }

  std::unique_ptr<FirmwareImage> tx_ = RunImage(0xF000, 0xFF80, 1);
  std::unique_ptr<FirmwareImage> rx_ = RunImage(0xC000, 0xFF80, 2);
  testing::ScratchFolder scratch_{"rilo-cli-convert"};
};

TEST_F(ConvertTest, TwoTextFilesMakeTheDataFileTheWindowSavesAfterReadingBothUnits) {
  const auto r = Run(Quoted("tx.txt") + " " + Quoted("rx.txt") + " -o " + Quoted("both.dat"));
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(
      ReadWholeFile(Path("both.dat")),
      JoinCrLf(FirmwareDataFileLines(Vectors(0xF0), Vectors(0xC0), testing::SampleSettings(2), *tx_, *rx_)));

  // And back: each unit of the data file as a text file, which make the same data file.
  for (const char *unit : {"tx", "rx"}) {
    const auto back =
        Run(Quoted("both.dat") + " --" + unit + " -o " + Quoted(std::string("back-") + unit + ".txt"));
    ASSERT_EQ(back.exit, 0) << back.err;
  }
  ASSERT_EQ(Run(Quoted("back-tx.txt") + " " + Quoted("back-rx.txt") + " -o " + Quoted("again.dat")).exit, 0);
  EXPECT_EQ(ReadWholeFile(Path("again.dat")), ReadWholeFile(Path("both.dat")));
  EXPECT_TRUE(ReadWholeFile(Path("back-tx.txt")).starts_with("@FFE0\r\n40 41 42"));
}

TEST_F(ConvertTest, RefusesAndWritesNothing) {
  Write("settings.rilo", "Setup\r\n");
  // Malformed text files are named as such, not as pages that do not follow on.
  Write("odd.txt", "@F000\r\n01 0\r\n@FFE0\r\n00 F0\r\nq\r\n");
  Write("twice.txt", "@F000\r\n01 02\r\n@F001\r\n03\r\n@FFFE\r\n00 F0\r\nq\r\n");
  const struct {
    std::string args;
    int exit;
    std::string err;
  } cases[] = {
      {Quoted("rx.txt") + " " + Quoted("tx.txt") + " -o " + Quoted("out"), 1,
       Path("rx.txt") + ": 重置向量為 0xC05E,是接收機的程式,不能當作發射機的程式\n"},
      {Quoted("tx.txt") + " " + Quoted("tx.txt") + " -o " + Quoted("out"), 1,
       Path("tx.txt") + ": 重置向量為 0xF05E,是發射機的程式,不能當作接收機的程式\n"},
      {Quoted("settings.rilo") + " --tx -o " + Quoted("out"), 1,
       Path("settings.rilo") + ": 不是韌體資料檔 (.dat)\n"},
      {Quoted("tx.txt") + " " + Quoted("settings.rilo") + " -o " + Quoted("out"), 1,
       Path("settings.rilo") + ": 不是韌體文字檔 (.txt)\n"},
      {Quoted("odd.txt") + " " + Quoted("rx.txt") + " -o " + Quoted("out"), 1,
       Path("odd.txt") + ": 不是韌體文字檔 (.txt)\n"},
      {Quoted("twice.txt") + " " + Quoted("rx.txt") + " -o " + Quoted("out"), 1,
       Path("twice.txt") + ": 不是韌體文字檔 (.txt)\n"},
      {Quoted("missing.txt") + " " + Quoted("rx.txt") + " -o " + Quoted("out"), 1,
       "無法讀取檔案 " + Path("missing.txt") + ": No such file or directory\n"},
      {Quoted("tx.txt") + " " + Quoted("rx.txt"), 2, ""},
      {Quoted("tx.txt") + " -o " + Quoted("out"), 2, ""},
      {Quoted("tx.txt") + " " + Quoted("rx.txt") + " --tx -o " + Quoted("out"), 2, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.args);
    const auto r = Run(c.args);
    EXPECT_EQ(r.exit, c.exit);
    if (c.exit == 1) {
      EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out")));
  }
}

}  // namespace
}  // namespace rilo
