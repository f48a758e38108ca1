#include "base/product_line.h"

#include <gtest/gtest.h>

namespace rilo {
namespace {

std::string Hex(int count, const char *byte) {
  std::string s;
  for (int i = 0; i < count; ++i)
    s += std::string(i ? " " : "") + byte;
  return s;
}

// The four values with Windows line ends, comments, blanks and indentation.
std::string ValidText() {
  return "# comment\r\n\r\nPasswordA = " + Hex(32, "0a") + "\r\nPasswordB=" + Hex(32, "0B") +
         "  # trailing\r\n  PasswordC = " + Hex(32, "0C") + "\r\nSignatureCode = " + Hex(34, "5A") + "\r\n";
}

// The same values, one plain line each.
std::string PlainText() {
  return "PasswordA = " + Hex(32, "0A") + "\nPasswordB = " + Hex(32, "0B") +
         "\nPasswordC = " + Hex(32, "0C") + "\nSignatureCode = " + Hex(34, "5A") + "\n";
}

TEST(ProductLine, ParsesTheFourValues) {
  for (const std::string &text : {ValidText(), PlainText()}) {
    std::string error;
    auto line = ParseProductLine(text, "p.txt", &error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->PasswordA[31], 0x0A);
    EXPECT_EQ(line->PasswordB[0], 0x0B);
    EXPECT_EQ(line->PasswordC[31], 0x0C);
    EXPECT_EQ(line->SignatureCode[33], 0x5A);
  }
}

TEST(ProductLine, TheShippedFileIsValid) {
  std::string error;
  auto line = ReadProductLineBesideProgram(&error);
  ASSERT_TRUE(line) << error;
  // Each password is a vector table whose reset vector points at the unit's program area.
  EXPECT_EQ(line->PasswordA[31], 0xE0);
  EXPECT_EQ(line->PasswordB[31], 0xC0);
  EXPECT_EQ(line->PasswordC[31], 0xF0);
  EXPECT_EQ(line->SignatureCode[0], 0x30);
}

TEST(ProductLine, RefusesMalformedFilesWithAClearMessage) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::string valid = ValidText(), plain = PlainText();
  const Case cases[] = {
      {valid + "PasswordA = " + Hex(32, "00") + "\n", "產品資料檔 p.txt 第 7 行格式錯誤"},
      {plain + "PasswordA = 00\n", "產品資料檔 p.txt 第 5 行格式錯誤"},
      {"PasswordA = " + Hex(31, "00") + "\n", "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"PasswordA = " + Hex(33, "00") + "\n", "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"PasswordA = 00 01\n" + plain, "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"PasswordA = " + Hex(31, "00") + " 0G\n", "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"PasswordA = " + Hex(31, "00") + " 000\n", "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"Password = 00\n", "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"Colour = 00\n" + plain, "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"just text\n", "產品資料檔 p.txt 第 1 行格式錯誤"},
      {"PasswordA\n" + plain, "產品資料檔 p.txt 第 1 行格式錯誤"},
      {valid.substr(0, valid.find("SignatureCode")), "產品資料檔 p.txt 缺少 SignatureCode"},
      {plain.substr(0, plain.find("PasswordC")) + plain.substr(plain.find("SignatureCode")),
       "產品資料檔 p.txt 缺少 PasswordC"},
  };
  for (const auto &c : cases) {
    std::string error;
    EXPECT_FALSE(ParseProductLine(c.text, "p.txt", &error)) << c.text;
    EXPECT_EQ(error, c.message) << c.text;
  }
}

TEST(ProductLine, AMissingFileIsNamed) {
  std::string error;
  EXPECT_FALSE(ReadProductLine("/nonexistent/product-line.txt", &error));
  EXPECT_EQ(error, "找不到產品資料檔 /nonexistent/product-line.txt");
}

}  // namespace
}  // namespace rilo
