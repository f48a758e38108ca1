// Hamming codewords and the loader check bytes, through the library bound by name.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "formats/testing/parser_testing.h"

namespace ventrix::testing {
namespace {

constexpr std::array<uint8_t, 16> kCodewords = {0x00, 0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66, 0x69,
                                                0x96, 0x99, 0xA5, 0xAA, 0xC3, 0xCC, 0xF0, 0xFF};

TEST(Hamming, CodewordTableFollowsItsRowRule) {
  for (int d = 0; d < 16; ++d) {
    const uint8_t byRule = static_cast<uint8_t>(((d & 1) ? 0x0F : 0) ^ ((d & 2) ? 0x33 : 0) ^
                                                ((d & 4) ? 0x55 : 0) ^ ((d & 8) ? 0x96 : 0));
    EXPECT_EQ(byRule, kCodewords[d]) << d;
    EXPECT_EQ(Api().DeHamming(static_cast<uint8_t>(d)), kCodewords[d]) << d;
  }
}

TEST(Hamming, WorkedExamples) {
  struct Case {
    uint8_t (*fn)(uint8_t);
    uint8_t in, out;
  };
  const Case cases[] = {
      {Api().DeHamming, 0x1, 0x0F},  {Api().DeHamming, 0x2, 0x33},  {Api().DeHamming, 0xA, 0xA5},
      {Api().DeHamming, 0x10, 0xEE}, {Api().DeHamming, 0xFF, 0xEE}, {Api().ReHamming, 0x69, 0x7},
      {Api().ReHamming, 0x0E, 0xEE}, {Api().ReHamming, 0xEE, 0xEE},
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.fn(c.in), c.out) << int(c.in);
}

TEST(Hamming, DecodesOnlyCodewordsAndCorrectsNothing) {
  for (int c = 0; c < 256; ++c) {
    const uint8_t digit = Api().ReHamming(static_cast<uint8_t>(c));
    if (digit == 0xEE) {
      for (uint8_t w : kCodewords)
        EXPECT_NE(w, c);
    } else {
      ASSERT_LT(digit, 16) << c;
      EXPECT_EQ(Api().DeHamming(digit), c);
    }
  }
  for (int d = 0; d < 16; ++d) {
    EXPECT_EQ(Api().ReHamming(Api().DeHamming(static_cast<uint8_t>(d))), d);
    for (int bit = 0; bit < 8; ++bit)  // one flipped bit is no codeword
      EXPECT_EQ(Api().ReHamming(static_cast<uint8_t>(kCodewords[d] ^ (1 << bit))), 0xEE);
  }
}

TEST(CheckSum, WorkedExamplesAndFolding) {
  struct Case {
    std::vector<uint8_t> in, out;
  };
  const Case cases[] = {
      {{0x01, 0x02, 0x03, 0x04, 0x00, 0x00}, {0x01, 0x02, 0x03, 0x04, 0xFD, 0xF9}},
      {{0x80, 0x18, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
       {0x80, 0x18, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE3}},
      {{0x00, 0x00}, {0xFF, 0xFF}},  // length 2 only complements
      {{0x5A, 0x0F}, {0xA5, 0xF0}},
      // Check bytes not cleared first are folded in: a different result.
      {{0x01, 0x02, 0x03, 0x04, 0x10, 0x01}, {0x01, 0x02, 0x03, 0x04, 0xED, 0xF8}},
  };
  for (const auto &c : cases) {
    std::vector<uint8_t> buf = c.in;
    EXPECT_EQ(Api().CheckSum(buf.data(), static_cast<int32_t>(buf.size())), 0);
    EXPECT_EQ(buf, c.out);
  }
}

TEST(CheckSum, RefusesLengthsBelowTwoWithoutWriting) {
  for (int32_t len : {1, 0, -1, -100}) {
    std::array<uint8_t, 4> buf = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(Api().CheckSum(buf.data() + 2, len), -1) << len;
    EXPECT_EQ(buf, (std::array<uint8_t, 4>{0x11, 0x22, 0x33, 0x44})) << len;
  }
  EXPECT_EQ(Api().CheckSum(nullptr, 10), -1);
}

}  // namespace
}  // namespace ventrix::testing
