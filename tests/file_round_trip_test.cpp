// Writer then parser: what the tool saves, it opens again the same.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "files/file_writers.h"
#include "files/testing/sample_images.h"
#include "formats/testing/parser_testing.h"

namespace rilo {
namespace {

using rilo::testing::BlankImage;
using rilo::testing::FillPage;
using rilo::testing::RunImage;
using rilo::testing::SampleByte;
using rilo::testing::SampleSettings;
using ventrix::testing::Api;
using ventrix::testing::ExactText;

uint8_t (*Rows(SettingsImage &settings))[128] {
  return reinterpret_cast<uint8_t(*)[128]>(settings.data());
}
uint8_t (*Frames(FirmwareImage &image))[138] {
  return reinterpret_cast<uint8_t(*)[138]>(image.data());
}

// The used pages of `read` are those of `written` in order, with the top page as
// the parsers label it, and nothing after them; every used page has valid check bytes.
void ExpectSamePages(const FirmwareImage &written, const FirmwareImage &read) {
  int n = 0;
  for (const auto &page : written) {
    if (!IsUsed(page)) continue;
    ASSERT_TRUE(IsUsed(read[n])) << "page " << n;
    if (PageAddress(page) == 0xFF80) {
      // A unit's top page comes back as the page 0xFF60 holding 0xFF80..0xFFDF from byte 40.
      EXPECT_EQ(PageAddress(read[n]), 0xFF60);
      for (int i = 8; i < 40; ++i)
        ASSERT_EQ(read[n][i], 0xFF) << "page " << n << " byte " << i;
      EXPECT_EQ(0, std::memcmp(&read[n][40], &page[8], 96)) << "page " << n;
    } else {
      EXPECT_EQ(0, std::memcmp(read[n].data(), page.data(), 136)) << "page " << n;
    }
    PageFrame check = read[n];
    check[136] = check[137] = 0;
    Api().CheckSum(check.data(), kPageSize);
    EXPECT_EQ(check, read[n]) << "check bytes of page " << n;
    ++n;
  }
  for (; n < kImagePages; ++n)
    ASSERT_FALSE(IsUsed(read[n])) << "page " << n << " beyond the last written one";
}

TEST(SettingsFileRoundTrip, Block1BackWithByte127Zero) {
  CustomerRecord customer;
  customer.texts[0] = "C-001";
  for (uint8_t digit = 0; digit < 16; ++digit) {
    SettingsImage saved = SampleSettings(digit);
    B1(saved, 7) = Api().DeHamming(digit);  // the key: a codeword of the last ID digit
    const ExactText text(JoinCrLf(SettingsFileLines(saved, customer)));
    SettingsImage opened{};
    const char *rest = Api().ArrangeRilo(text.get(), Rows(opened));
    ASSERT_NE(rest, nullptr) << int(digit);
    EXPECT_EQ(std::string(rest).substr(0, 22), "\r\nq\r\nCustomer No:C-001");
    for (int i = 0; i < 127; ++i)
      ASSERT_EQ(B1(opened, i), B1(saved, i)) << int(digit) << " byte " << i;
    EXPECT_EQ(B1(opened, 127), 0x00);
    for (int i = 0; i < 128; ++i)
      ASSERT_EQ(opened[i], 0) << "block 0 is not the settings file's";
  }
}

struct TxtOpened {
  VectorTable vectors{};
  SettingsImage settings{};
  std::unique_ptr<FirmwareImage> image = BlankImage();
  std::optional<std::string> rest;  // what the parser left unread; nothing for NULL
};

std::unique_ptr<TxtOpened> SaveAndOpenTxt(const VectorTable &vectors, const SettingsImage &settings,
                                          const FirmwareImage &image) {
  const ExactText text(JoinCrLf(FirmwareTextFileLines(vectors, settings, image)));
  auto opened = std::make_unique<TxtOpened>();
  const char *rest =
      Api().ArrangeTxt(text.get(), opened->vectors.data(), Rows(opened->settings), Frames(*opened->image));
  if (rest) opened->rest = rest;
  return opened;
}

TEST(FirmwareTextFileRoundTrip, ImagesAsReadFromAUnitOrAFile) {
  VectorTable vectors;
  for (int i = 0; i < 32; ++i)
    vectors[i] = SampleByte(0xFFE0 + i, 9);
  const SettingsImage settings = SampleSettings(4);
  struct Case {
    const char *name;
    std::unique_ptr<FirmwareImage> image;
  };
  Case cases[] = {
      {"transmitter read from 0xF000", RunImage(0xF000, 0xFF80, 1)},
      {"receiver read from 0xC000", RunImage(0xC000, 0xFF80, 2)},
      {"opened from a file", RunImage(0xE000, 0xFF60, 3)},
      {"no page in use", BlankImage()},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.name);
    const auto opened = SaveAndOpenTxt(vectors, settings, *c.image);
    ASSERT_TRUE(opened->rest);
    EXPECT_EQ(*opened->rest, "q\r\n");
    EXPECT_EQ(opened->vectors, vectors);
    EXPECT_EQ(opened->settings, settings);
    ExpectSamePages(*c.image, *opened->image);
  }
}

TEST(FirmwareTextFileRoundTrip, PagesWithUnusedPagesBetweenComeBackInOrder) {
  auto image = BlankImage();
  FillPage(*image, 3, 0x2000, 1);
  FillPage(*image, 7, 0x8000, 2);
  FillPage(*image, 511, 0x1100, 3);
  const auto opened = SaveAndOpenTxt({}, {}, *image);
  ASSERT_TRUE(opened->rest);
  ExpectSamePages(*image, *opened->image);
}

struct DatOpened {
  VectorTable tx{}, rx{};
  SettingsImage settings{};
  std::unique_ptr<FirmwareImage> txImage = BlankImage(), rxImage = BlankImage();
  std::optional<std::string> rest;  // what the parser left unread; nothing for NULL
};

std::unique_ptr<DatOpened> SaveAndOpenDat(const VectorTable &tx, const VectorTable &rx,
                                          const SettingsImage &settings, const FirmwareImage &txImage,
                                          const FirmwareImage &rxImage) {
  const ExactText text(JoinCrLf(FirmwareDataFileLines(tx, rx, settings, txImage, rxImage)));
  auto opened = std::make_unique<DatOpened>();
  const char *rest =
      Api().ArrangeDat(text.get(), opened->tx.data(), opened->rx.data(), Rows(opened->settings),
                       Frames(*opened->txImage), Frames(*opened->rxImage));
  if (rest) opened->rest = rest;
  return opened;
}

TEST(FirmwareDataFileRoundTrip, ImagesThatFitComeBackWithTheirVectorsAndSettings) {
  VectorTable tx, rx;
  for (int i = 0; i < 32; ++i) {
    tx[i] = SampleByte(0xFFE0 + i, 1);
    rx[i] = SampleByte(0xFFE0 + i, 2);
  }
  const SettingsImage settings = SampleSettings(5);
  struct Case {
    const char *name;
    std::unique_ptr<FirmwareImage> tx, rx;
  };
  Case cases[] = {
      {"both read from units", RunImage(0xF000, 0xFF80, 1), RunImage(0xC000, 0xFF80, 2)},
      {"both opened from files", RunImage(0xF000, 0xFF60, 3), RunImage(0xE000, 0xFF60, 4)},
      {"top pages alone", RunImage(0xFF80, 0xFF80, 5), RunImage(0xFF00, 0xFF60, 6)},
      {"no page in use", BlankImage(), BlankImage()},
      {"all 512 pages", RunImage(0x0000, 0xFF80, 7), RunImage(0x0000, 0xFF60, 8)},
  };
  for (auto &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(FitsDataFile(*c.tx) && FitsDataFile(*c.rx));
    const auto opened = SaveAndOpenDat(tx, rx, settings, *c.tx, *c.rx);
    ASSERT_TRUE(opened->rest);
    EXPECT_EQ(*opened->rest, "q\r\n");
    EXPECT_EQ(opened->tx, tx);
    EXPECT_EQ(opened->rx, rx);
    EXPECT_EQ(opened->settings, settings);
    ExpectSamePages(*c.tx, *opened->txImage);
    ExpectSamePages(*c.rx, *opened->rxImage);
  }
}

TEST(FirmwareDataFileRoundTrip, ImagesThatDoNotFitAreRefusedOnOpening) {
  // Whatever the save command does with them, such a file must not open with its
  // bytes at the wrong addresses.
  auto noTop = RunImage(0xF000, 0xFF80, 1);
  (*noTop)[31].fill(0xFF);
  auto gap = RunImage(0xF000, 0xFF80, 1);
  (*gap)[5].fill(0xFF);
  auto fine = RunImage(0xF000, 0xFF80, 2);
  for (const FirmwareImage *image : {noTop.get(), gap.get()}) {
    EXPECT_FALSE(FitsDataFile(*image));
    EXPECT_EQ(SaveAndOpenDat({}, {}, {}, *image, *fine)->rest, std::nullopt);
    EXPECT_EQ(SaveAndOpenDat({}, {}, {}, *fine, *image)->rest, std::nullopt);
  }
}

}  // namespace
}  // namespace rilo
