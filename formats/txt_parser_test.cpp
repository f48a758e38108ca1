// Firmware text files: regions, pages, the top page, and the refusals.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formats/testing/parser_testing.h"

namespace ventrix::testing {
namespace {

std::string Section(const char *address, const std::vector<uint8_t> &bytes) {
  return std::string("@") + address + "\r\n" + HexLines(bytes);
}

std::string SectionAt(unsigned address, const std::vector<uint8_t> &bytes) {
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04X", address);
  return Section(digits, bytes);
}

struct Parsed {
  long rest = -1;
  std::array<uint8_t, 32> vectors{};
  std::array<std::array<uint8_t, 128>, 2> block{};
  Image image;
};

// Parses into `p` as the caller left it.
std::unique_ptr<Parsed> ParseInto(std::unique_ptr<Parsed> p, const std::string &text) {
  ExactText exact(text);
  p->rest = exact.Offset(Api().ArrangeTxt(
      exact.get(), p->vectors.data(), reinterpret_cast<uint8_t(*)[128]>(p->block.data()), p->image.get()));
  return p;
}

std::unique_ptr<Parsed> Parse(const std::string &text) {
  return ParseInto(std::make_unique<Parsed>(), text);
}

void ExpectCheckBytesValid(const Image &image) {
  for (int n = 0; n < 512; ++n)
    if (image.Used(n)) {
      EXPECT_TRUE(image.CheckBytesValid(n)) << "page " << n;
    }
}

std::vector<uint8_t> Ff(int count) {
  return std::vector<uint8_t>(static_cast<size_t>(count), 0xFF);
}

TEST(ArrangeTxt, RegionsAndTheRestFromQ) {
  const std::string text = Section("FFE0", Counting(32, 0xE0)) + Section("1000", Counting(128)) +
                           Section("1080", Counting(128, 0x80)) + Section("F000", Counting(128, 0x55)) +
                           "q\r\n";
  const auto p = Parse(text);
  ASSERT_EQ(p->rest, static_cast<long>(text.size() - 3));
  EXPECT_EQ(std::vector<uint8_t>(p->vectors.begin(), p->vectors.end()), Counting(32, 0xE0));
  EXPECT_EQ(std::vector<uint8_t>(p->block[0].begin(), p->block[0].end()), Counting(128));
  EXPECT_EQ(std::vector<uint8_t>(p->block[1].begin(), p->block[1].end()), Counting(128, 0x80));
  const std::vector<uint8_t> header = {0x80, 0x12, 0x8A, 0x8A, 0x00, 0xF0, 0x80, 0x00};
  EXPECT_EQ(p->image.Data(0, 0, 8), header);
  EXPECT_EQ(p->image.Data(0, 8, 136), Counting(128, 0x55));
  EXPECT_EQ(p->image.UsedCount(), 1);
  ExpectCheckBytesValid(p->image);
}

// Other tools write the two information segments as one section of 256 bytes.
TEST(ArrangeTxt, ASectionFrom0x1000RunsOnIntoSegment1) {
  std::vector<uint8_t> both = Counting(128, 0x10);
  const std::vector<uint8_t> second = Counting(128, 0x90);
  both.insert(both.end(), second.begin(), second.end());
  auto p = Parse(Section("1000", both) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(std::vector<uint8_t>(p->block[0].begin(), p->block[0].end()), Counting(128, 0x10));
  EXPECT_EQ(std::vector<uint8_t>(p->block[1].begin(), p->block[1].end()), second);

  p = Parse(Section("1070", Counting(32, 1)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(std::vector<uint8_t>(p->block[0].begin() + 0x70, p->block[0].end()), Counting(16, 1));
  EXPECT_EQ(std::vector<uint8_t>(p->block[1].begin(), p->block[1].begin() + 16), Counting(16, 17));
  EXPECT_EQ(p->block[1][16], 0);
}

TEST(ArrangeTxt, AddressLowBitsMoveTheOffset) {
  const auto p = Parse(Section("1010", Counting(16, 1)) + Section("1090", Counting(16, 2)) +
                       Section("FFF0", Counting(16, 3)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->block[0][0x0F], 0x00);
  EXPECT_EQ(p->block[0][0x10], 1);
  EXPECT_EQ(p->block[1][0x10], 2);
  EXPECT_EQ(p->vectors[15], 0x00);
  EXPECT_EQ(p->vectors[16], 3);
  EXPECT_EQ(p->vectors[31], 3 + 15);
}

TEST(ArrangeTxt, SectionEndingMidPageAndConsecutiveMultiPageSections) {
  const auto p = Parse(Section("E000", Counting(200)) + Section("F000", Counting(300, 7)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->image.UsedCount(), 5);
  const uint16_t addresses[] = {0xE000, 0xE080, 0xF000, 0xF080, 0xF100};
  for (int n = 0; n < 5; ++n)
    EXPECT_EQ(p->image.Address(n), addresses[n]) << n;
  EXPECT_EQ(p->image.Data(1, 8, 8 + 72), Counting(72, 128));
  EXPECT_EQ(p->image.Data(1, 8 + 72, 136), Ff(56));  // the rest of a part page stays 0xFF
  EXPECT_EQ(p->image.Data(4, 8, 8 + 44), Counting(44, 7 + 256));
  ExpectCheckBytesValid(p->image);
}

TEST(ArrangeTxt, TopPageFromAUnitRead) {
  // 0xFF80 with 128 bytes: 96 into the page 0xFF60 from byte 40, the last 32 are
  // the vector area and are not stored.
  std::vector<uint8_t> bytes = Counting(128, 0x10);
  const auto p = Parse(Section("FF80", bytes) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->image.UsedCount(), 1);
  EXPECT_EQ(p->image.Address(0), 0xFF60);
  EXPECT_EQ(p->image.Data(0, 8, 40), Ff(32));
  EXPECT_EQ(p->image.Data(0, 40, 136), Counting(96, 0x10));
  EXPECT_EQ(p->vectors, (std::array<uint8_t, 32>{}));
  ExpectCheckBytesValid(p->image);
}

TEST(ArrangeTxt, ContinuousSectionThroughTheVectors) {
  const auto p = Parse(Section("FE00", Counting(512)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->image.UsedCount(), 4);
  const uint16_t addresses[] = {0xFE00, 0xFE80, 0xFF00, 0xFF60};
  for (int n = 0; n < 4; ++n)
    EXPECT_EQ(p->image.Address(n), addresses[n]) << n;
  EXPECT_EQ(p->image.Data(2, 8, 136), Counting(128, 0x100));
  EXPECT_EQ(p->image.Data(3, 8, 40), Ff(32));
  EXPECT_EQ(p->image.Data(3, 40, 136), Counting(96, 0x180));
  EXPECT_EQ(p->vectors, (std::array<uint8_t, 32>{}));
}

TEST(ArrangeTxt, TopPageEndingAt0xFFDFIsFollowedByTheNextSection) {
  // Only the bytes of the vector area are passed over after the top page, so a
  // section right after it is read in full.
  const auto p = Parse(Section("FF80", Counting(96)) + Section("1000", Counting(128, 9)) +
                       Section("FFE0", Counting(32, 0x40)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->image.Data(0, 40, 136), Counting(96));
  EXPECT_EQ(std::vector<uint8_t>(p->block[0].begin(), p->block[0].end()), Counting(128, 9));
  EXPECT_EQ(p->vectors[0], 0x40);
}

TEST(ArrangeTxt, PageAt0xFF60ReadWholeIsTheTopPage) {
  // 0xFF60..0xFFFF in one section: the page 0xFF60, then the vector area, and no
  // second, empty page 0xFF60.
  const auto p = Parse(Section("FF60", Counting(160)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  ASSERT_EQ(p->image.UsedCount(), 1);
  EXPECT_EQ(p->image.Data(0, 8, 136), Counting(128));
}

TEST(ArrangeTxt, AddressLineAloneBeginsAPageAndBelow0x1000StoresNothing) {
  const auto p = Parse(Section("0200", {}) + Section("F000", {}) + Section("F100", Counting(1)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->image.UsedCount(), 2);
  EXPECT_EQ(p->image.Address(0), 0xF000);
  EXPECT_EQ(p->image.Data(0, 8, 136), Ff(128));
}

// The byte the parse stored for `address`, or -1 where nothing holds it.
int StoredAt(const Parsed &p, unsigned address) {
  if (address >= 0xFFE0) return p.vectors[address - 0xFFE0];
  if (address >= 0x1000 && address < 0x1100) return p.block[(address - 0x1000) / 128][address % 128];
  int stored = -1;
  for (int n = 0; n < 512; ++n)
    if (p.image.Used(n) && address >= p.image.Address(n) && address < p.image.Address(n) + 128u)
      stored = p.image[n][8 + address - p.image.Address(n)];
  return stored;
}

TEST(ArrangeTxt, AnAddressIsFourDigitsAndTheLineEnd) {
  struct Case {
    const char *line;
    int address;  // -1: refused
  };
  const Case cases[] = {
      {"@F000\r\n", 0xF000}, {"@f0a0\r\n", 0xF0A0}, {"@1000\r\n", 0x1000}, {"@FFFF\r\n", 0xFFFF},
      {"@F00\r\n", -1},    // would be 0xF000 with the line end read as a byte
      {"@10000\r\n", -1},  // would be 0x1000, over the settings
      {"@1F100\r\n", -1},    {"@ F00\r\n", -1},     {"@F0 0\r\n", -1},     {"@+F00\r\n", -1},
      {"@F000 \r\n", -1},    {"@F000\n", -1},  // the tool turns every line end into CR LF before the parse
      {"@F000\r", -1},
  };
  for (const auto &c : cases) {
    const auto p = Parse(std::string(c.line) + "5A\r\nq\r\n");
    if (c.address < 0) {
      EXPECT_EQ(p->rest, -1) << c.line;
      EXPECT_EQ(p->block, (std::array<std::array<uint8_t, 128>, 2>{})) << c.line;
      EXPECT_EQ(p->image.UsedCount(), 0) << c.line;
      continue;
    }
    ASSERT_NE(p->rest, -1) << c.line;
    EXPECT_EQ(StoredAt(*p, c.address), 0x5A) << c.line;
  }
}

TEST(ArrangeTxt, FirstCharacterOtherThanAtReturnsTheTextUntouched) {
  for (const char *text : {"", "q\r\n", " @1000\r\n", "Setup\r\n"}) {
    const auto p = Parse(text);
    EXPECT_EQ(p->rest, 0) << text;
    EXPECT_EQ(p->image.UsedCount(), 0);
    EXPECT_EQ(p->block[0], (std::array<uint8_t, 128>{}));
  }
}

// `count` sections of 64 bytes side by side from 0x2000, each in a page of its own:
// more pages than 128-byte pages of the address space would make.
std::string PageSections(int count) {
  std::string text;
  for (int n = 0; n < count; ++n)
    text += SectionAt(0x2000 + 64 * n, Counting(64, n));
  return text;
}

TEST(ArrangeTxt, MalformedAndSurplusAreRefused) {
  const std::string pages511 = PageSections(511);
  struct Case {
    const char *name;
    std::string text;
  };
  const Case cases[] = {
      {"at sign alone", "@"},
      {"address cut short", "@10"},
      {"address not hexadecimal", "@10G0\r\n00\r\nq\r\n"},
      {"pair not hexadecimal", Section("F000", Counting(20)) + "0Z\r\nq\r\n"},
      {"no q", Section("F000", Counting(20))},
      {"no q after an address", "@F000\r\n"},
      {"ends mid-pair", Section("F000", Counting(20)) + "0"},
      {"blank line then q", Section("F000", Counting(16)) + "\r\nq\r\n"},
      {"information segments past 0x10FF", Section("1000", Counting(257)) + "q\r\n"},
      {"segment 1 past its end", Section("1090", Counting(113)) + "q\r\n"},
      {"vector area past its end", Section("FFF0", Counting(17)) + "q\r\n"},
      {"bytes below 0x1000", Section("0200", Counting(16)) + Section("1000", Counting(1)) + "q\r\n"},
      {"beyond 0xFFFF", Section("FF80", Counting(129)) + "q\r\n"},
      {"beyond page 511", pages511 + SectionAt(0x2000 + 64 * 511, Counting(129)) + "q\r\n"},
      {"junk between sections",
       Section("1000", Counting(128)) + "x\r\n" + Section("F000", Counting(1)) + "q\r\n"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Parse(c.text)->rest, -1) << c.name;
}

TEST(ArrangeTxt, OddDigitsAndOverlappingSectionsAreRefused) {
  struct Case {
    const char *name;
    std::string text;
  };
  const Case cases[] = {
      {"a digit alone", "@F000\r\n11 2 33\r\n"},
      {"three digits", "@F000\r\n112 33\r\n"},
      {"a digit alone at the line end", "@F000\r\n11 22 3\r\n"},
      {"bytes run together", "@F000\r\n1122\r\n"},
      {"two spaces", "@F000\r\n11  22\r\n"},
      {"q right after a byte", "@F000\r\n11 22q\r\n"},
      {"a CR without its LF", "@F000\r\n11 22 \r@33\r\n"},
      {"a CR without its LF at a line's start", "@F000\r\n\r@33\r\n"},
      {"a page twice", Section("F000", Counting(2)) + Section("F000", Counting(1, 5))},
      {"a byte twice, the same", Section("F000", {0x11}) + Section("F000", {0x11})},
      {"a section inside an earlier one", Section("E000", Counting(200)) + Section("E0C0", Counting(1))},
      {"the top page over the page below", Section("FF00", Counting(128)) + Section("FF60", Counting(1))},
      {"a settings byte twice", Section("1000", Counting(2)) + Section("1001", Counting(1))},
      {"segment 0 running on over segment 1", Section("1080", Counting(1)) + Section("1000", Counting(129))},
      {"the vectors twice", Section("FFF0", Counting(16)) + Section("FFE0", Counting(32))},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Parse(c.text + "q\r\n")->rest, -1) << c.name;
}

// A page of `count` bytes from `first` on, the rest 0xFF, as a part page is written back.
std::vector<uint8_t> PartPage(int first, int count) {
  std::vector<uint8_t> page(128, 0xFF);
  const std::vector<uint8_t> bytes = Counting(count, first);
  std::copy(bytes.begin(), bytes.end(), page.begin());
  return page;
}

// The top page as the parser places 0xFF80..0xFFDF: 0xFF for 0xFF60..0xFF7F.
std::vector<uint8_t> TopPage() {
  std::vector<uint8_t> page = Ff(32);
  const std::vector<uint8_t> bytes = Counting(96, 0x80);
  page.insert(page.end(), bytes.begin(), bytes.end());
  return page;
}

// Addresses from..to-1.
struct Range {
  unsigned from, to;
};

bool Names(const std::vector<Range> &named, unsigned address) {
  for (const Range &r : named)
    if (address >= r.from && address < r.to) return true;
  return false;
}

// Into buffers holding a canary, an accepted file writes only bytes of addresses its
// sections name, and begins only pages that hold some of them.
TEST(ArrangeTxt, AnAcceptedFileChangesOnlyWhatItsSectionsName) {
  constexpr uint8_t kCanary = 0xC3;
  struct Case {
    const char *name;
    std::string text;
    std::vector<Range> named;
  };
  const Case cases[] = {
      {"a unit's read, its vectors twice",
       Section("FFE0", Counting(32)) + Section("1000", Counting(128)) + Section("1080", Counting(128)) +
           Section("FF00", Counting(128)) + Section("FF80", Counting(128)),
       {{0x1000, 0x1100}, {0xFF00, 0x10000}}},
      {"segment 0 running on", Section("1070", Counting(32)), {{0x1070, 0x1090}}},
      {"the top page from 0xFFA0", Section("FFA0", Counting(64)), {{0xFFA0, 0xFFE0}}},
      {"a blank line after a full page",
       Section("F000", Counting(128)) + "\r\n" + Section("F100", Counting(1)),
       {{0xF000, 0xF080}, {0xF100, 0xF101}}},
      {"sections side by side in one page",
       Section("F000", Counting(16)) + Section("F010", Counting(16)),
       {{0xF000, 0xF020}}},
      // What the tool writes back after opening such files: every page whole.
      {"a file's top page written back whole",
       Section("FF00", Counting(128)) + Section("FF60", TopPage()),
       {{0xFF00, 0xFFE0}}},
      {"part pages written back whole",
       Section("F000", PartPage(0, 16)) + Section("F010", PartPage(0, 16)),
       {{0xF000, 0xF090}}},
  };
  for (const auto &c : cases) {
    auto p = std::make_unique<Parsed>();
    p->vectors.fill(kCanary);
    for (auto &row : p->block)
      row.fill(kCanary);
    for (int n = 0; n < 512; ++n) {
      std::memset(p->image.get()[n], kCanary, 138);
      p->image.get()[n][4] = p->image.get()[n][5] = 0xFF;
    }
    p = ParseInto(std::move(p), c.text + "q\r\n");
    ASSERT_NE(p->rest, -1) << c.name;
    for (unsigned i = 0; i < 32; ++i)
      EXPECT_TRUE(p->vectors[i] == kCanary || Names(c.named, 0xFFE0 + i)) << c.name << " vector " << i;
    for (unsigned i = 0; i < 256; ++i)
      EXPECT_TRUE(p->block[i / 128][i % 128] == kCanary || Names(c.named, 0x1000 + i)) << c.name << " " << i;
    for (int n = 0; n < 512; ++n) {
      if (!p->image.Used(n)) {
        EXPECT_EQ(p->image.Data(n, 6, 138), std::vector<uint8_t>(132, kCanary)) << c.name << " page " << n;
        continue;
      }
      bool holdsNamed = false;
      for (unsigned j = 0; j < 128; ++j) {
        const unsigned address = p->image.Address(n) + j;
        holdsNamed = holdsNamed || Names(c.named, address);
        EXPECT_TRUE(p->image[n][8 + j] == kCanary || Names(c.named, address))
            << c.name << " page " << n << " byte " << j;
      }
      EXPECT_TRUE(holdsNamed) << c.name << " page " << n;
    }
  }
}

TEST(ArrangeTxt, FiveHundredTwelvePagesFit) {
  const auto p = Parse(PageSections(512) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->image.UsedCount(), 512);
  EXPECT_EQ(p->image.Address(511), 0x2000 + 64 * 511);
  EXPECT_EQ(p->image.Data(511, 8, 72), Counting(64, 511));
  ExpectCheckBytesValid(p->image);
}

TEST(ArrangeTxt, BlankLinesBetweenSectionsAreTolerated) {
  const auto p = Parse(Section("1000", Counting(128)) + "\r\n\r\n" + Section("F000", Counting(1)) + "q\r\n");
  ASSERT_NE(p->rest, -1);
  EXPECT_EQ(p->image.UsedCount(), 1);
}

}  // namespace
}  // namespace ventrix::testing
