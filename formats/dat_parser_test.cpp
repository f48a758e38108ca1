// Firmware data files: labelled sections, the runs and their shape, the refusals.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "formats/testing/parser_testing.h"

namespace ventrix::testing {
namespace {

struct Parsed {
  long rest = -1;
  std::array<uint8_t, 32> tx{}, rx{};
  std::array<std::array<uint8_t, 128>, 2> block{};
  Image txImage, rxImage;
};

std::unique_ptr<Parsed> Parse(const std::string &text) {
  ExactText exact(text);
  auto p = std::make_unique<Parsed>();
  p->rest = exact.Offset(Api().ArrangeDat(exact.get(), p->tx.data(), p->rx.data(),
                                          reinterpret_cast<uint8_t(*)[128]>(p->block.data()),
                                          p->txImage.get(), p->rxImage.get()));
  return p;
}

std::vector<uint8_t> Ff(int count) {
  return std::vector<uint8_t>(static_cast<size_t>(count), 0xFF);
}

// A run as the writer lays it out: the label, `bytes`, then 32 vector bytes.
std::string RunText(const char *label, const std::vector<uint8_t> &bytes) {
  return std::string(label) + "\r\n" + HexLines(bytes) + HexLines(Counting(32, 0xE0));
}

// The bytes of a run from `start` up to 0xFFDF.
std::vector<uint8_t> RunBytes(uint16_t start, int first = 0) {
  return Counting(0xFFE0 - start, first);
}

const std::string kHead = "TX\r\n" + HexLines(Counting(32, 0x10)) + "RX\r\n" + HexLines(Counting(32, 0x30)) +
                          "@1000\r\n" + HexLines(Counting(128)) + "@1080\r\n" + HexLines(Counting(128, 0x80));

TEST(ArrangeDat, WholeFileAsWritten) {
  const std::string text =
      kHead + RunText("TX@F000", RunBytes(0xF000)) + RunText("RX@E000", RunBytes(0xE000, 5)) + "q\r\n";
  const auto p = Parse(text);
  ASSERT_EQ(p->rest, static_cast<long>(text.size() - 3));
  EXPECT_EQ(std::vector<uint8_t>(p->tx.begin(), p->tx.end()), Counting(32, 0x10));
  EXPECT_EQ(std::vector<uint8_t>(p->rx.begin(), p->rx.end()), Counting(32, 0x30));
  EXPECT_EQ(std::vector<uint8_t>(p->block[1].begin(), p->block[1].end()), Counting(128, 0x80));
  // Transmitter: pages 0xF000..0xFF00, then the page 0xFF60 holding 0xFF80..0xFFDF.
  ASSERT_EQ(p->txImage.UsedCount(), 32);
  for (int n = 0; n < 31; ++n)
    ASSERT_EQ(p->txImage.Address(n), 0xF000 + 128 * n);
  EXPECT_EQ(p->txImage.Address(31), 0xFF60);
  EXPECT_EQ(p->txImage.Data(30, 8, 136), Counting(128, 30 * 128));
  EXPECT_EQ(p->txImage.Data(31, 8, 40), Ff(32));
  EXPECT_EQ(p->txImage.Data(31, 40, 136), Counting(96, 31 * 128));
  EXPECT_EQ(p->rxImage.UsedCount(), 64);
  EXPECT_EQ(p->rxImage.Data(63, 40, 136), Counting(96, 63 * 128 + 5));
  for (const Image *image : {&p->txImage, &p->rxImage}) {
    for (int n = 0; n < 512; ++n) {
      if (image->Used(n)) {
        ASSERT_TRUE(image->CheckBytesValid(n)) << n;
      }
    }
  }
}

TEST(ArrangeDat, SettingsLabelLowBitsChooseTheRowButNotTheOffset) {
  const auto p =
      Parse("TX\r\n" + HexLines(Counting(32)) + "@1010\r\n" + HexLines(Counting(128, 1)) + "@10F0\r\n" +
            HexLines(Counting(128, 2)) + RunText("TX@FFFF", {}) + RunText("RX@FFFF", {}) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->block[0][0], 1);
  EXPECT_EQ(p->block[1][0], 2);
  EXPECT_EQ(p->block[1][127], 2 + 127);
}

TEST(ArrangeDat, RunOfTheTopPageAloneFillsPage0) {
  const auto p =
      Parse(kHead + RunText("TX@FF80", RunBytes(0xFF80)) + RunText("RX@FF80", RunBytes(0xFF80, 1)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->txImage.UsedCount(), 1);
  EXPECT_EQ(p->txImage.Address(0), 0xFF60);
  EXPECT_EQ(p->txImage.Data(0, 40, 136), Counting(96));
}

TEST(ArrangeDat, RunOfAnEmptyImageUsesNoPage) {
  const auto p = Parse(kHead + RunText("TX@FFFF", {}) + RunText("RX@FFFF", {}) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->txImage.UsedCount(), 0);
  EXPECT_EQ(p->rxImage.UsedCount(), 0);
}

TEST(ArrangeDat, RunWithPage0xFF60ReadWholeEndsThere) {
  const auto p =
      Parse(kHead + RunText("TX@FEE0", RunBytes(0xFEE0)) + RunText("RX@FF80", RunBytes(0xFF80)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->txImage.UsedCount(), 2);
  EXPECT_EQ(p->txImage.Address(1), 0xFF60);
  EXPECT_EQ(p->txImage.Data(1, 8, 136), Counting(128, 128));
}

TEST(ArrangeDat, RunFrom0x0000FillsAll512Pages) {
  const auto p =
      Parse(kHead + RunText("TX@0000", RunBytes(0x0000)) + RunText("RX@FF80", RunBytes(0xFF80)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->txImage.UsedCount(), 512);
  EXPECT_EQ(p->txImage.Address(510), 0xFF00);
  EXPECT_EQ(p->txImage.Address(511), 0xFF60);
}

TEST(ArrangeDat, FirstCharacterOtherThanTReturnsTheTextUntouched) {
  for (const char *text : {"", "q", "@1000\r\n", " TX\r\n"}) {
    const auto p = Parse(text);
    EXPECT_EQ(p->rest, 0) << text;
    EXPECT_EQ(p->tx, (std::array<uint8_t, 32>{}));
  }
}

TEST(ArrangeDat, MalformedFilesEndWithNull) {
  std::vector<uint8_t> gap = RunBytes(0xF000);  // one page missing: the run falls short
  gap.erase(gap.begin(), gap.begin() + 128);
  std::vector<uint8_t> extra = RunBytes(0xF000);
  extra.insert(extra.end(), 128, 0x00);
  struct Case {
    const char *name;
    std::string text;
  };
  const Case cases[] = {
      {"T alone", "T"},
      {"label unknown", "TY\r\n"},
      {"label cut short", "TX"},
      {"no q", kHead},
      {"ends after a run",
       kHead + RunText("TX@FF80", RunBytes(0xFF80)) + RunText("RX@FF80", RunBytes(0xFF80))},
      {"q as a label", kHead + "\r\nq\r\n"},
      {"vector pair not hexadecimal", "TX\r\n" + HexLines(Counting(31)) + "ZZ\r\nq\r\n"},
      {"vectors cut short", "TX\r\n" + HexLines(Counting(16)) + "q\r\n"},
      {"vectors too long", "TX\r\n" + HexLines(Counting(48)) + "q\r\n"},
      {"run address not hexadecimal", kHead + RunText("TX@F0G0", RunBytes(0xF000)) + "q"},
      {"run address of three digits",
       kHead + RunText("TX@F00", RunBytes(0xF000)) + RunText("RX@FF80", RunBytes(0xFF80)) + "q\r\n"},
      {"run address of five digits",
       kHead + RunText("TX@0F000", RunBytes(0xF000)) + RunText("RX@FF80", RunBytes(0xFF80)) + "q\r\n"},
      {"settings address of five digits", "TX\r\n" + HexLines(Counting(32)) + "@10800\r\n" +
                                              HexLines(Counting(128)) + RunText("TX@FFFF", {}) +
                                              RunText("RX@FFFF", {}) + "q\r\n"},
      {"run with a gap", kHead + RunText("TX@F000", gap) + RunText("RX@FF80", RunBytes(0xFF80)) + "q\r\n"},
      {"run with a page too many",
       kHead + RunText("TX@F000", extra) + RunText("RX@FF80", RunBytes(0xFF80)) + "q\r\n"},
      {"receiver run meets q in the top page",
       kHead + RunText("TX@FF80", RunBytes(0xFF80)) + "RX@FF80\r\n" + HexLines(Counting(50)) + "q\r\n"},
      {"transmitter run not followed by the receiver's",
       kHead + RunText("TX@FF80", RunBytes(0xFF80)) + "q\r\n"},
      {"run starting in the vector area with data", kHead + RunText("TX@FFE0", RunBytes(0xFF80)) + "q\r\n"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Parse(c.text)->rest, -1) << c.name;
}

}  // namespace
}  // namespace ventrix::testing
