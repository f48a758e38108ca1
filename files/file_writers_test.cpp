#include "files/file_writers.h"

#include <gtest/gtest.h>

#include <functional>

#include "files/testing/sample_images.h"
#include "files/text_lines.h"

namespace rilo {
namespace {

using testing::BlankImage;
using testing::FillPage;
using testing::RunImage;
using testing::SampleSettings;

std::string HexOf(int value) {
  return HexByte(static_cast<uint8_t>(value));
}

CustomerRecord SampleCustomer() {
  CustomerRecord c;
  for (int f = 0; f < kCustomerFieldCount; ++f)
    c.texts[f] = "v" + std::to_string(f);
  return c;
}

TEST(JoinCrLf, EndsEveryLineTheLastIncluded) {
  EXPECT_EQ(JoinCrLf({"Setup", "", "q"}), "Setup\r\n\r\nq\r\n");
  EXPECT_EQ(JoinCrLf({}), "");
}

TEST(CustomerBlockLines, KeysInBlockOrderThenEnd) {
  const TextLines lines = CustomerBlockLines(SampleCustomer());
  const TextLines expected = {"Customer No:v0",    "Company Name:v1",
                              "Company Fax No:v2", "Company Tel:v3",
                              "Company E-Mail:v4", "Company Address:v5",
                              "Contect Man:v6",    "Contect Tel:v7",
                              "Contect Mobile:v8", "Contect E-mail:v9",
                              "Remark:v10",        "Chanel:v11",
                              "Frequency:v12",     "End"};
  EXPECT_EQ(lines, expected);
}

TEST(CustomerBlockLines, MemoLinesAndEmptyFields) {
  CustomerRecord c;
  c.texts[5] = "No. 1\r\nRoad 5";
  c.texts[10] = "first\r\n";
  const std::string text = JoinCrLf(CustomerBlockLines(c));
  EXPECT_NE(text.find("Company E-Mail:\r\nCompany Address:No. 1\r\nRoad 5\r\nContect Man:\r\n"),
            std::string::npos);
  // A memo that ends in a line break keeps it: an empty file line follows.
  EXPECT_NE(text.find("Remark:first\r\n\r\nChanel:\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("Chanel:\r\nFrequency:\r\nEnd\r\n"));
}

// What ArrangeRilo hands back after a settings file's hexadecimal lines.
std::string CustomerText(const CustomerRecord &c) {
  return "\r\nq\r\n" + JoinCrLf(CustomerBlockLines(c));
}

TEST(ReadCustomerBlock, GivesBackWhatWasWrittenAndTheSameBytesAgain) {
  const CustomerRecord records[] = {
      SampleCustomer(),
      CustomerRecord{},
      [] {
        CustomerRecord c = SampleCustomer();
        c.texts[5] = "No. 1\r\nRoad 5";          // the address over two lines
        c.texts[10] = "first\r\n\r\nthird\r\n";  // a remark ending in a line break
        c.texts[1] = "客戶公司";
        return c;
      }(),
      [] {
        CustomerRecord c;
        c.texts[10] = "Chanel: 3 was busy, Frequency: moved\r\nEnd of the remark";
        c.texts[11] = "5";
        return c;
      }(),
  };
  for (const CustomerRecord &written : records) {
    const CustomerRecord read = ReadCustomerBlock(CustomerText(written));
    EXPECT_EQ(read.texts, written.texts);
    EXPECT_EQ(CustomerText(read), CustomerText(written));
  }
}

TEST(ReadCustomerBlock, KeysOnlyAtALineStart) {
  const std::string text =
      "\r\nq\r\nCustomer No:C-7\r\nCompany Name:ACME\r\nCompany Fax No:\r\nCompany Tel:\r\n"
      "Company E-Mail:\r\nCompany Address:No. 1\r\nRoad 5\r\nContect Man:Lin\r\nContect Tel:\r\n"
      "Contect Mobile:\r\nContect E-mail:\r\nRemark:ask for Chanel: 4\r\nChanel:Chanel:\r\n"
      "Frequency:433.92\r\nEnd\r\n";
  const CustomerRecord c = ReadCustomerBlock(text);
  EXPECT_EQ(c.texts[0], "C-7");
  EXPECT_EQ(c.texts[1], "ACME");
  EXPECT_EQ(c.texts[2], "");
  EXPECT_EQ(c.texts[5], "No. 1\r\nRoad 5");
  EXPECT_EQ(c.texts[6], "Lin");
  EXPECT_EQ(c.texts[10], "ask for Chanel: 4");
  EXPECT_EQ(c.texts[11], "Chanel:");
  EXPECT_EQ(c.texts[12], "433.92");
}

TEST(ReadCustomerBlock, AKeyThatNeverFollowsEndsTheReading) {
  CustomerRecord c = ReadCustomerBlock("\r\nq\r\nCustomer No:C-7\r\nCompany Name:ACME\r\nCompany Tel:1\r\n");
  EXPECT_EQ(c.texts[0], "C-7");
  EXPECT_EQ(c.texts[1], "ACMECompany Tel:1");  // a single-line field: its lines joined
  for (int f = 2; f < kCustomerFieldCount; ++f)
    EXPECT_EQ(c.texts[f], "") << f;
  for (const char *cut : {"", "\r\n", "\r\nq\r\n", "\r\nq\r\nCustomer No:"})
    EXPECT_EQ(ReadCustomerBlock(cut).texts, CustomerRecord{}.texts) << cut;
}

TEST(SettingsFileLines, KeyZeroWritesPlainBytesAndByte127AsZero) {
  SettingsImage image{};
  for (int i = 0; i < 128; ++i)
    B1(image, i) = static_cast<uint8_t>(i + 1);
  B1(image, 7) = 0x00;
  const TextLines lines = SettingsFileLines(image, SampleCustomer());
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[0], "Setup");
  EXPECT_EQ(lines[1], "01 02 03 04 05 06 07 00 09 0A 0B 0C 0D 0E 0F 10");
  EXPECT_EQ(lines[8], "71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F 00");
  EXPECT_EQ(lines[9], "q");
  EXPECT_EQ(lines[10], "Customer No:v0");
  EXPECT_EQ(lines[23], "End");
}

TEST(SettingsFileLines, ScramblesWithByte7AndStoresTheKeyAtItsPosition) {
  SettingsImage image = SampleSettings(3);
  B1(image, 7) = 0xA5;
  const TextLines lines = SettingsFileLines(image, {});
  for (int r = 0; r < 8; ++r)
    ASSERT_EQ(lines[1 + r].size(), 47u);
  EXPECT_EQ(lines[1].substr(0, 2), HexOf(B1(image, 0) ^ 0xA5));
  EXPECT_EQ(lines[1].substr(21, 2), "00");  // byte 7 XOR itself
  // The reader finds the key by position: character 396 of the file, 1-based.
  EXPECT_EQ(JoinCrLf(lines).substr(395, 2), "A5");
}

TEST(FirmwareTextFileLines, NoPageInUseGivesVectorsBlocksAndQ) {
  VectorTable vectors{};
  vectors[0] = 0x12;
  vectors[31] = 0xAB;
  SettingsImage settings{};
  settings[0] = 0x01;
  settings[128] = 0x0F;
  auto image = BlankImage();
  const TextLines lines = FirmwareTextFileLines(vectors, settings, *image);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "@FFE0");
  EXPECT_EQ(lines[1].substr(0, 3), "12 ");
  EXPECT_EQ(lines[2].substr(45), "AB");
  EXPECT_EQ(lines[3], "@1000");
  EXPECT_EQ(lines[4].substr(0, 3), "01 ");
  EXPECT_EQ(lines[12], "@1080");
  EXPECT_EQ(lines[13].substr(0, 3), "0F ");
  EXPECT_EQ(lines[21], "q");
}

TEST(FirmwareTextFileLines, EachUsedPageUnderItsOwnAddress) {
  auto image = BlankImage();
  FillPage(*image, 0, 0xF000, 1);
  FillPage(*image, 2, 0x1234, 1);  // an unused page between is skipped
  const TextLines lines = FirmwareTextFileLines({}, {}, *image);
  ASSERT_EQ(lines.size(), 22u + 18u);
  EXPECT_EQ(lines[21], "@F000");
  EXPECT_EQ(lines[22].substr(0, 2), HexOf((*image)[0][8]));
  EXPECT_EQ(lines[30], "@1234");
  EXPECT_EQ(lines[38].substr(45), HexOf((*image)[2][135]));
  EXPECT_EQ(lines[39], "q");
}

TEST(FirmwareDataFileLines, LayoutWithBothTopPageForms) {
  VectorTable tx{}, rx{};
  tx.fill(0x11);
  rx.fill(0x22);
  auto txImage = RunImage(0xFE00, 0xFF80, 1);  // FE00 FE80 FF00 + FF80
  auto rxImage = RunImage(0xFF00, 0xFF60, 2);  // FF00 + FF60
  const TextLines lines = FirmwareDataFileLines(tx, rx, SampleSettings(0), *txImage, *rxImage);
  size_t i = 0;
  EXPECT_EQ(lines[i], "TX");
  EXPECT_EQ(lines[i + 1], "11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11");
  i += 3;
  EXPECT_EQ(lines[i], "RX");
  EXPECT_EQ(lines[i + 2], "22 22 22 22 22 22 22 22 22 22 22 22 22 22 22 22");
  i += 3;
  EXPECT_EQ(lines[i], "@1000");
  EXPECT_EQ(lines[i + 9], "@1080");
  i += 18;
  EXPECT_EQ(lines[i], "TX@FE00");
  i += 1 + 3 * 8;
  // The top page 0xFF80 gives its first 96 bytes, then the vectors follow at once.
  EXPECT_EQ(lines[i].substr(0, 2), HexOf((*txImage)[3][8]));
  EXPECT_EQ(lines[i + 5].substr(45), HexOf((*txImage)[3][103]));
  EXPECT_EQ(lines[i + 6], lines[1]);
  i += 8;
  EXPECT_EQ(lines[i], "RX@FF00");
  i += 1 + 8;
  // The top page 0xFF60 gives its bytes 40..135.
  EXPECT_EQ(lines[i].substr(0, 2), HexOf((*rxImage)[1][40]));
  EXPECT_EQ(lines[i + 5].substr(45), HexOf((*rxImage)[1][135]));
  EXPECT_EQ(lines[i + 6], lines[4]);
  i += 8;
  EXPECT_EQ(lines[i], "q");
  EXPECT_EQ(lines.size(), i + 1);
}

TEST(FirmwareDataFileLines, EmptyImageNamesFFFFAndWritesOnlyVectors) {
  auto empty = BlankImage();
  const TextLines lines = FirmwareDataFileLines({}, {}, {}, *empty, *empty);
  ASSERT_EQ(lines.size(), 6u + 18u + 3u + 3u + 1u);
  EXPECT_EQ(lines[24], "TX@FFFF");
  EXPECT_EQ(lines[27], "RX@FFFF");
}

TEST(FitsDataFile, RunShapes) {
  struct Case {
    const char *name;
    std::function<void(FirmwareImage &)> shape;
    bool fits;
  };
  const Case cases[] = {
      {"empty", [](FirmwareImage &) {}, true},
      {"unit read F000..FF80", [](FirmwareImage &i) { i = *RunImage(0xF000, 0xFF80, 1); }, true},
      {"text file C000..FF60", [](FirmwareImage &i) { i = *RunImage(0xC000, 0xFF60, 1); }, true},
      {"top page FF80 alone", [](FirmwareImage &i) { i = *RunImage(0xFF80, 0xFF80, 1); }, true},
      {"top page FF60 alone", [](FirmwareImage &i) { i = *RunImage(0xFF80, 0xFF60, 1); }, false},
      {"no top page",
       [](FirmwareImage &i) {
         i = *RunImage(0xF000, 0xFF80, 1);
         i[31].fill(0xFF);
       },
       false},
      {"gap",
       [](FirmwareImage &i) {
         i = *RunImage(0xF000, 0xFF80, 1);
         i[40] = i[31];
         i[31].fill(0xFF);
       },
       false},
      {"addresses not 128 apart",
       [](FirmwareImage &i) {
         i = *RunImage(0xF000, 0xFF80, 1);
         SetPageHeader(i[3], 0xE000);
       },
       false},
      {"FF60 top page with data below FF80",
       [](FirmwareImage &i) {
         i = *RunImage(0xF000, 0xFF60, 1);
         i[31][8] = 0x00;
       },
       false},
      {"last page not a top page",
       [](FirmwareImage &i) {
         i = *RunImage(0xF000, 0xFF80, 1);
         SetPageHeader(i[31], 0xFFA0);
       },
       false},
  };
  for (const auto &c : cases) {
    auto image = BlankImage();
    c.shape(*image);
    EXPECT_EQ(FitsDataFile(*image), c.fits) << c.name;
  }
}

}  // namespace
}  // namespace rilo
