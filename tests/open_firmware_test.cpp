// Firmware files opened into the Workbench's buffers: a text file into the single,
// transmitter and receiver images, a data file into both units', and a refused file
// into nothing at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/file_writers.h"
#include "files/testing/sample_images.h"
#include "tests/testing/file_bench.h"

namespace rilo {
namespace {

using testing::FileBench;
using testing::RunImage;
using testing::SampleSettings;
using testing::ShownMessage;

const ShownMessage kOpened{"開啟檔案", "檔案開啟完成!!", Icon::Information, false};
const ShownMessage kNotTheFormat{"Open file Error", "Open file format Error,please check your file!!",
                                 Icon::Error, false};

// A Q12 unit's settings with serial bytes 01 23 45 and the date 2026/01/31.
SettingsImage Q12Settings(uint8_t seed) {
  SettingsImage settings = SampleSettings(seed);
  B1(settings, 0) = 0x0F;
  B1(settings, 1) = 0x33;
  const uint8_t identity[] = {0x01, 0x23, 0x45, 0x26, 0x01, 0x31};
  std::copy(std::begin(identity), std::end(identity), settings.begin() + kBlock1 + 97);
  return settings;
}

VectorTable Vectors(uint8_t resetHigh) {
  VectorTable vectors;
  for (int i = 0; i < 32; ++i)
    vectors[i] = static_cast<uint8_t>(0x40 + i);
  vectors[31] = resetHigh;
  return vectors;
}

struct OpenFirmware : ::testing::Test {
  FileBench b{1};
  Workbench &bench = b.bench;

  std::string TextFile(const std::string &name, uint8_t resetHigh, uint16_t start = 0xF000) {
    const auto image = RunImage(start, 0xFF60, 3);
    const std::string path = b.folder.Path(name);
    testing::WriteBytes(path, JoinCrLf(FirmwareTextFileLines(Vectors(resetHigh), Q12Settings(5), *image)));
    return path;
  }
  std::string DataFile(const std::string &name) {
    const auto tx = RunImage(0xF000, 0xFF80, 1);
    const auto rx = RunImage(0xE000, 0xFF80, 2);
    const std::string path = b.folder.Path(name);
    testing::WriteBytes(
        path, JoinCrLf(FirmwareDataFileLines(Vectors(0xF0), Vectors(0xE0), Q12Settings(7), *tx, *rx)));
    return path;
  }
};

TEST_F(OpenFirmware, ATransmitterTextFileFillsAllThreeImagesAndShowsTheTransmitterControls) {
  const std::string path = TextFile("tx.txt", 0xF0);
  ASSERT_TRUE(bench.OpenFirmwareFile(FirmwareFile::Text, path).done);

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOpened});
  const auto expected = RunImage(0xF000, 0xFF60, 3);
  for (int i = 0; i < kImagePages; ++i) {
    const PageFrame &page = (*bench.firmware().SingleImage)[i];
    ASSERT_EQ(std::vector<uint8_t>(page.begin(), page.begin() + 136),
              std::vector<uint8_t>((*expected)[i].begin(), (*expected)[i].begin() + 136))
        << "page " << i;
  }
  EXPECT_EQ(*bench.firmware().TxImage, *bench.firmware().SingleImage);
  EXPECT_EQ(*bench.firmware().RxImage, *bench.firmware().SingleImage);
  EXPECT_EQ(bench.firmware().SingleVectors, Vectors(0xF0));
  EXPECT_EQ(bench.firmware().TxVectors, Vectors(0xF0));
  EXPECT_EQ(bench.firmware().RxVectors, Vectors(0xF0));
  EXPECT_EQ(bench.editor().LoadedImage, Q12Settings(5));
  EXPECT_EQ(bench.loadedSource(), LoadedSource::FirmwareTextFile);
  EXPECT_EQ(bench.lastFileName(), path);
  EXPECT_EQ(bench.editor().MachineType, "12");
  EXPECT_EQ(bench.editor().form.Caption, "RILO1-Q12 設定程式");
  EXPECT_EQ(bench.editor().form.EEqupmentSN.text, "12012345");
  EXPECT_EQ(bench.editor().form.EEqupmentDate.text, "2026/01/31");
  EXPECT_EQ(bench.editor().IdentityShown, 0);
  EXPECT_TRUE(bench.view().visible.at("NWriteTxPrg"));
  EXPECT_TRUE(bench.view().visible.at("BWriteTx"));
  EXPECT_FALSE(bench.view().visible.at("NWriteRxPrg"));
  EXPECT_FALSE(bench.view().visible.at("BWriteRx"));
  EXPECT_EQ(bench.view().saveDefaultExt, "txt");
  EXPECT_EQ(bench.view().saveFilter, "TXT Format [*.txt]");
}

TEST_F(OpenFirmware, AnyOtherResetVectorIsAReceiverFile) {
  ASSERT_TRUE(bench.OpenFirmwareFile(FirmwareFile::Text, TextFile("rx.txt", 0xF1, 0xE000)).done);
  EXPECT_FALSE(bench.view().visible.at("NWriteTxPrg"));
  EXPECT_FALSE(bench.view().visible.at("BWriteTx"));
  EXPECT_TRUE(bench.view().visible.at("NWriteRxPrg"));
  EXPECT_TRUE(bench.view().visible.at("BWriteRx"));
}

TEST_F(OpenFirmware, ADataFileFillsBothUnitsAndShowsAllWriteControls) {
  const std::string path = DataFile("both.dat");
  ASSERT_TRUE(bench.OpenFirmwareFile(FirmwareFile::Data, path).done);

  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kOpened});
  EXPECT_EQ(PageAddress((*bench.firmware().TxImage)[0]), 0xF000);
  EXPECT_EQ(PageAddress((*bench.firmware().TxImage)[31]), 0xFF60);
  EXPECT_EQ(PageAddress((*bench.firmware().RxImage)[0]), 0xE000);
  EXPECT_EQ(PageAddress((*bench.firmware().RxImage)[63]), 0xFF60);
  EXPECT_FALSE(IsUsed((*bench.firmware().SingleImage)[0]));
  EXPECT_EQ(bench.firmware().TxVectors, Vectors(0xF0));
  EXPECT_EQ(bench.firmware().RxVectors, Vectors(0xE0));
  EXPECT_EQ(bench.editor().LoadedImage, Q12Settings(7));
  EXPECT_EQ(bench.loadedSource(), LoadedSource::FirmwareDataFile);
  for (const char *control : {"BWriteTx", "BWriteRx", "NWriteRxPrg", "NWriteTxPrg"})
    EXPECT_TRUE(bench.view().visible.at(control)) << control;
  EXPECT_EQ(bench.view().saveDefaultExt, "dat");
  EXPECT_EQ(bench.view().saveFilter, "DAT Format [*.dat]");
}

TEST_F(OpenFirmware, ARefusedFileChangesNothing) {
  ASSERT_TRUE(bench.OpenFirmwareFile(FirmwareFile::Data, DataFile("both.dat")).done);
  b.Shown();
  const testing::Snapshot before(bench);

  const std::string good = testing::ReadBytes(b.folder.Path("both.dat"));
  struct Case {
    const char *what;
    FirmwareFile kind;
    std::string bytes;
  } cases[] = {
      {"a data file read as a text file", FirmwareFile::Text, good},
      {"a text file read as a data file", FirmwareFile::Data, testing::ReadBytes(TextFile("tx.txt", 0xF0))},
      {"a bad pair", FirmwareFile::Data, good.substr(0, 200) + "ZZ" + good.substr(202)},
      {"cut short", FirmwareFile::Data, good.substr(0, good.size() / 2)},
      {"a NUL byte", FirmwareFile::Data, good.substr(0, 100) + std::string(1, '\0') + good.substr(101)},
      {"empty", FirmwareFile::Data, ""},
      {"larger than any firmware file", FirmwareFile::Data, good + std::string(1 << 20, ' ')},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = b.folder.Path("refused");
    testing::WriteBytes(path, c.bytes);
    EXPECT_FALSE(bench.OpenFirmwareFile(c.kind, path).done);
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kNotTheFormat});
    EXPECT_TRUE(testing::Snapshot(bench) == before);
  }

  EXPECT_FALSE(bench.OpenFirmwareFile(FirmwareFile::Text, b.folder.Path("missing.txt")).done);
  const auto shown = b.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].icon, Icon::Error);
  EXPECT_NE(shown[0].text.find(b.folder.Path("missing.txt")), std::string::npos);
  EXPECT_TRUE(testing::Snapshot(bench) == before);
}

// The version display of an opened firmware file: the identity page's bytes 126 and 127,
// of each unit for a data file; a file without the page has none.
TEST_F(OpenFirmware, ShowsTheVersionOfTheOpenedFile) {
  auto version = [](const PageFrame &page) {
    return std::to_string(page[134]) + "." + std::to_string(page[135]);
  };
  ASSERT_TRUE(bench.OpenFirmwareFile(FirmwareFile::Text, TextFile("tx.txt", 0xF0)).done);
  b.person.shown.clear();
  const PageFrame *single = FindPage(*bench.firmware().SingleImage, 0xFF60);
  ASSERT_TRUE(single);
  EXPECT_TRUE(bench.NFirmwareVerClick().done);
  EXPECT_EQ(b.person.Texts(), std::vector<std::string>{"韌體版本：" + version(*single)});

  const auto tx = RunImage(0xF000, 0xFF60, 1);
  const auto rx = RunImage(0xE000, 0xFF60, 2);
  const std::string path = b.folder.Path("both.dat");
  testing::WriteBytes(
      path, JoinCrLf(FirmwareDataFileLines(Vectors(0xF0), Vectors(0xE0), Q12Settings(7), *tx, *rx)));
  ASSERT_TRUE(bench.OpenFirmwareFile(FirmwareFile::Data, path).done);
  b.person.shown.clear();
  EXPECT_TRUE(bench.NFirmwareVerClick().done);
  EXPECT_EQ(b.person.Texts(),
            std::vector<std::string>{"..... Tx Firmware Version：" + version(*FindPage(*tx, 0xFF60)) +
                                     " .....\r\n..... Rx Firmware Version：" +
                                     version(*FindPage(*rx, 0xFF60)) + " ....."});
}

}  // namespace
}  // namespace rilo
