// Settings files: the key by position, the separators, and the refusals.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "formats/testing/parser_testing.h"

namespace ventrix::testing {
namespace {

const std::string kCustomerTail = "\r\nq\r\nCustomer No:\r\nEnd\r\n";

// A settings file holding `stored` as its 128 pairs (byte 127 is the key).
std::string RiloText(const std::vector<uint8_t> &stored, const std::string &header = "Setup") {
  std::string body = HexLines(stored);
  body.resize(body.size() - 2);  // the last CR LF belongs to the rest
  return header + "\r\n" + body + kCustomerTail;
}

struct Parsed {
  long rest = -1;  // offset of the result, -1 for NULL
  std::array<std::array<uint8_t, 128>, 2> block{};
};

Parsed Parse(const std::string &text, uint8_t fill = 0) {
  ExactText exact(text);
  Parsed p;
  for (auto &row : p.block)
    row.fill(fill);
  p.rest = exact.Offset(Api().ArrangeRilo(exact.get(), reinterpret_cast<uint8_t(*)[128]>(p.block.data())));
  return p;
}

std::vector<uint8_t> Row(const Parsed &p) {
  return {p.block[1].begin(), p.block[1].end()};
}

TEST(ArrangeRilo, KeyZeroReadsPlainBytesAndByte127AsZero) {
  std::vector<uint8_t> stored = Counting(128, 1);
  stored[127] = 0x00;
  const std::string text = RiloText(stored);
  const Parsed p = Parse(text, 0x77);
  ASSERT_EQ(p.rest, static_cast<long>(text.size() - kCustomerTail.size()));
  EXPECT_EQ(text.substr(p.rest), kCustomerTail);
  EXPECT_EQ(Row(p), stored);
  for (uint8_t b : p.block[0])
    ASSERT_EQ(b, 0x77);  // row 0 keeps what the caller put there
}

TEST(ArrangeRilo, UnscramblesWithTheKeyStoredInPlaceOfByte127) {
  std::vector<uint8_t> plain = Counting(128, 0x40);
  std::vector<uint8_t> stored(128);
  for (int i = 0; i < 128; ++i)
    stored[i] = plain[i] ^ 0xA5;
  stored[127] = 0xA5;
  plain[127] = 0x00;  // what byte 127 held before saving is gone
  EXPECT_EQ(Row(Parse(RiloText(stored))), plain);
}

TEST(ArrangeRilo, HeaderIsCheckedByItsFirstCharacterOnly) {
  const std::vector<uint8_t> stored = Counting(128);
  for (const char *header : {"Setup", "Sxyz!", "S\r\n\r\n"}) {
    const Parsed p = Parse(RiloText(stored, header));
    EXPECT_NE(p.rest, -1) << header;
    EXPECT_EQ(Row(p)[0], 0x00 ^ 0x7F) << header;
  }
  for (const char *text : {"setup\r\n", "", "q", "@1000"}) {
    const Parsed p = Parse(text, 0x33);
    EXPECT_EQ(p.rest, 0) << text;  // the text itself, unchanged
    for (uint8_t b : p.block[1])
      ASSERT_EQ(b, 0x33) << text;
  }
}

// Inserts a space before the CR LF of data lines 1..count (a trailing blank on a
// data line): one space, then one CR LF, so the pairs stay in step.
std::string TrailingSpaces(std::string text, int count) {
  size_t at = 7;
  for (int line = 0; line < count; ++line) {
    at = text.find("\r\n", at);
    text.insert(at, " ");
    at += 3;
  }
  return text;
}

TEST(ArrangeRilo, KeyIsFoundByPositionNotByReading) {
  std::vector<uint8_t> stored = Counting(128, 0x20);
  stored[126] = 0x6C;
  stored[127] = 0x99;
  const std::string good = RiloText(stored);
  // Each extra character before the key moves the two characters read as the key
  // one place to the left, while the pairs are still found. "0x" is put before the
  // blanks are trimmed, so a leading blank makes the key no number at all.
  struct Case {
    int extra;
    int key;  // -1: refused
  };
  const Case cases[] = {
      {0, 0x99},  // "99"
      {1, -1},    // " 9"
      {2, 0x0C},  // "C "
      {3, 0x6C},  // "6C", the pair of byte 126
  };
  for (const auto &c : cases) {
    const Parsed p = Parse(TrailingSpaces(good, c.extra));
    if (c.key < 0) {
      EXPECT_EQ(p.rest, -1) << c.extra;
      continue;
    }
    ASSERT_NE(p.rest, -1) << c.extra;
    for (int i = 0; i < 128; ++i)
      ASSERT_EQ(p.block[1][i], stored[i] ^ c.key) << c.extra << " byte " << i;
  }
}

TEST(ArrangeRilo, OneSpaceThenOneCrLfKeepThePairsInStep) {
  const std::vector<uint8_t> stored = Counting(128, 0x10);
  const std::string good = RiloText(stored);
  const size_t line1End = good.find("\r\n", 7);
  struct Case {
    const char *name;
    std::string text;
    bool inStep;
  };
  const Case cases[] = {
      {"as written", good, true},
      {"space before CR LF", TrailingSpaces(good, 3), true},
      {"two spaces", std::string(good).insert(9, " "), false},
      {"tab", std::string(good).replace(9, 1, "\t"), false},
      {"lone LF", std::string(good).erase(line1End, 1), false},
      {"CR LF then a space", std::string(good).insert(line1End + 2, " "), false},
  };
  for (const auto &c : cases) {
    // Whatever the key read, the pairs are in step when every byte differs from the
    // stored one by that same key.
    const Parsed p = Parse(c.text);
    bool inStep = p.rest != -1;
    for (int i = 0; inStep && i < 127; ++i)
      inStep = (p.block[1][i] ^ p.block[1][0]) == (stored[i] ^ stored[0]);
    EXPECT_EQ(inStep, c.inStep) << c.name;
  }
}

TEST(ArrangeRilo, PairsTrimBlanksAtBothEndsAndAcceptLowerCase) {
  struct Case {
    const char *pair;
    int value;  // -1: refused
  };
  const Case cases[] = {{"3c", 0x3C}, {"Ab", 0xAB}, {" A", 0x0A}, {"A\t", 0x0A}, {"G1", -1},
                        {"  ", -1},   {"-1", -1},   {"+1", -1},   {"0x", -1}};
  for (const auto &c : cases) {
    std::string text = RiloText(Counting(128));
    text.replace(7, 2, c.pair);  // byte 0
    const Parsed p = Parse(text);
    if (c.value < 0) {
      EXPECT_EQ(p.rest, -1) << c.pair;
    } else {
      ASSERT_NE(p.rest, -1) << c.pair;
      EXPECT_EQ(p.block[1][0], c.value ^ 0x7F) << c.pair;
    }
  }
}

TEST(ArrangeRilo, MalformedTextsAreRefusedWithoutReadingPastTheEnd) {
  const std::string good = RiloText(Counting(128));
  struct Case {
    const char *name;
    std::string text;
  };
  const Case cases[] = {
      {"header only", "Setup\r\n"},
      {"just S", "S"},
      {"cut before the key", good.substr(0, 395)},
      {"cut inside the pairs", good.substr(0, 200) + std::string(195, ' ') + "7F"},
      {"not hexadecimal", std::string(good).replace(7 + 3 * 5, 2, "XY")},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Parse(c.text).rest, -1) << c.name;
}

TEST(ArrangeRilo, EightLinesOfSixteenPairsAndNothingMore) {
  const std::string good = RiloText(Counting(128));
  const size_t line1End = good.find("\r\n", 7);
  const size_t lastPairEnd = good.size() - kCustomerTail.size();
  struct Case {
    const char *name;
    std::string text;
  };
  const Case cases[] = {
      {"no lines", "Setup\r\nq\r\n" + kCustomerTail},
      {"a run of digits", "Setup" + std::string(5 << 20, 'A')},
      {"a line a pair long", std::string(good).insert(line1End, " 55")},
      {"a line a pair short", std::string(good).erase(line1End - 3, 3)},
      {"a pair moved to the next line", std::string(good).replace(line1End - 3, 5, "\r\n0F ")},
      {"a pair after the last", std::string(good).insert(lastPairEnd, " 55")},
      {"a ninth line", std::string(good).insert(lastPairEnd, "\r\n55")},
      {"all pairs on one line", "Setup\r\n" +
                                    [] {
                                      std::string line;
                                      for (int i = 0; i < 128; ++i)
                                        line += Hex(static_cast<uint8_t>(i)) + (i < 127 ? " " : "");
                                      return line;
                                    }() +
                                    kCustomerTail},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Parse(c.text).rest, -1) << c.name;
}

TEST(ArrangeRilo, BytesBeforeABadPairStay) {
  std::string text = RiloText(Counting(128));
  text.replace(7 + 3 * 5, 2, "XY");  // byte 5
  const Parsed p = Parse(text, 0xEE);
  EXPECT_EQ(p.rest, -1);
  EXPECT_EQ(p.block[1][4], 4 ^ 0x7F);
  EXPECT_EQ(p.block[1][5], 0xEE);
}

TEST(ArrangeRilo, TextEndingRightAfterTheLastPairLeavesAnEmptyRest) {
  std::string text = RiloText(Counting(128));
  text.resize(text.size() - kCustomerTail.size());
  ExactText exact(text);
  std::array<std::array<uint8_t, 128>, 2> block{};
  const char *rest = Api().ArrangeRilo(exact.get(), reinterpret_cast<uint8_t(*)[128]>(block.data()));
  EXPECT_EQ(exact.Offset(rest), static_cast<long>(text.size()));
}

}  // namespace
}  // namespace ventrix::testing
