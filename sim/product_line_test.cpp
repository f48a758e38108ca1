#include "sim/product_line.h"

#include <gtest/gtest.h>

#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

TEST(ProductLine, TheShippedFileGivesEachUnitKindItsVectors) {
  const ProductLine &line = TestProductLine();
  // The reset vector's high byte tells the program area, hence the unit kind.
  EXPECT_EQ(line.password_a[31], 0xE0);
  EXPECT_EQ(line.password_b[31], 0xC0);
  EXPECT_EQ(line.password_c[31], 0xF0);
  EXPECT_EQ(line.signature_code[0], 0x30);
}

TEST(ProductLine, MalformedFilesSayWhatIsWrong) {
  std::string full;
  for (const char *name : {"PasswordA", "PasswordB", "PasswordC"}) {
    full += std::string(name) + " =";
    for (int i = 0; i < 32; ++i)
      full += " 00";
    full += "\n";
  }
  std::string signature = "SignatureCode =";
  for (int i = 0; i < 34; ++i)
    signature += " 30";
  full += signature + "\n";

  std::string error;
  ASSERT_TRUE(ParseProductLine("# comment\n\n" + full, &error)) << error;

  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {full.substr(0, full.find("PasswordC")) + signature, "PasswordC is missing"},
      {full + "PasswordA = 00\n", "line 5: PasswordA given twice"},
      {"PasswordA = 00 01\n" + full, "line 1: PasswordA needs 32 two-digit hex bytes"},
      {"PasswordA = 0G" + std::string(31 * 3, ' ') + "\n" + full, "line 1: PasswordA needs 32"},
      {"Colour = 00\n" + full, "line 1: unknown name \"Colour\""},
      {"PasswordA\n" + full, "line 1: expected"},
  };
  for (const auto &c : cases) {
    error.clear();
    EXPECT_FALSE(ParseProductLine(c.text, &error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(ProductLine, AMissingFileIsNamed) {
  std::string error;
  EXPECT_FALSE(ReadProductLine("/nonexistent/product-line.txt", &error));
  EXPECT_NE(error.find("/nonexistent/product-line.txt"), std::string::npos);
}

}  // namespace
}  // namespace rilo::sim
