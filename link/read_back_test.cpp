#include "link/read_back.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

using testing::ShownMessage;

TEST(ReadBack, NamesTheFirstAddressThatDiffers) {
  const std::vector<uint8_t> written(128, 0x5A);
  struct Case {
    const char *name;
    std::vector<size_t> changed;  // bytes of the read-back that differ
    uint16_t address;
    const char *text;  // nullptr: the same
  };
  const Case cases[] = {
      {"the same", {}, 0x1080, nullptr},
      {"first byte", {0}, 0x1080, "寫入後驗證失敗,位址 0x1080 的資料不符!!"},
      {"last byte and one before", {127, 126}, 0x1000, "寫入後驗證失敗,位址 0x107E 的資料不符!!"},
      {"upper-case hex", {0x0A}, 0xFFD0, "寫入後驗證失敗,位址 0xFFDA 的資料不符!!"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> readBack = written;
    for (size_t i : c.changed)
      readBack[i] ^= 0x08;
    testing::ScriptedOperator person;
    EXPECT_EQ(MatchesReadBack(person, "寫入程式", c.address, written, readBack), c.text == nullptr);
    if (c.text)
      EXPECT_EQ(person.shown, (std::vector<ShownMessage>{{"寫入程式", c.text, Icon::Error, false}}));
    else
      EXPECT_TRUE(person.shown.empty());
  }
}

TEST(ReadBack, AShortReadBackDiffersWhereItEnds) {
  testing::ScriptedOperator person;
  const std::vector<uint8_t> written(128, 0x00);
  const std::vector<uint8_t> readBack(100, 0x00);
  EXPECT_FALSE(MatchesReadBack(person, "寫入", 0x1000, written, readBack));
  ASSERT_EQ(person.shown.size(), 1u);
  EXPECT_EQ(person.shown[0].text, "寫入後驗證失敗,位址 0x1064 的資料不符!!");
}

}  // namespace
}  // namespace rilo
