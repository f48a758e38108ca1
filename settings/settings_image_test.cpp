// Stamping before a block 1 write: model code, markers and check word, on the image itself.
#include <gtest/gtest.h>

#include "settings/settings_image.h"

namespace rilo {
namespace {

TEST(SettingsImage, StampingWritesModelMarkersAndCheckWord) {
  struct Case {
    const char *type;
    uint8_t model, check8, check9;
  } cases[] = {
      {"12", 0x33, 0x0F ^ 0x01 ^ 0x03 ^ 0x05, 0x33 ^ 0x02 ^ 0x04 ^ 0x06},
      {"10", 0x00, 0x0F ^ 0x01 ^ 0x03 ^ 0x05, 0x00 ^ 0x02 ^ 0x04 ^ 0x06},
  };
  for (const Case &c : cases) {
    SettingsImage image;
    image.fill(0x5A);
    const uint8_t id[] = {0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    for (int i = 0; i < 8; ++i)
      B1(image, i) = id[i];
    SettingsImage expected = image;
    ASSERT_TRUE(StampBlock1(image, c.type));
    B1(expected, 0) = 0x0F;
    B1(expected, 1) = c.model;
    B1(expected, 8) = c.check8;
    B1(expected, 9) = c.check9;
    B1(expected, 17) = 0xEE;
    B1(expected, 20) = 0xEF;
    EXPECT_EQ(image, expected) << c.type;  // block 0 and bytes 104..121 as they were
  }
  EXPECT_EQ(cases[0].check8, 0x08);
  EXPECT_EQ(cases[0].check9, 0x33);
}

TEST(SettingsImage, UnknownMachineTypeRefusesAndLeavesTheImage) {
  for (const char *type : {"", "11", "Q12"}) {
    SettingsImage image;
    image.fill(0x77);
    EXPECT_FALSE(StampBlock1(image, type));
    SettingsImage untouched;
    untouched.fill(0x77);
    EXPECT_EQ(image, untouched);
  }
}

TEST(SettingsImage, ModelCodeNamesTheMachineType) {
  SettingsImage image{};
  B1(image, 0) = 0x0F;
  B1(image, 1) = 0x33;
  EXPECT_EQ(MachineTypeOf(image), "12");
  B1(image, 1) = 0x00;
  EXPECT_EQ(MachineTypeOf(image), "10");
  B1(image, 1) = 0x22;
  EXPECT_EQ(MachineTypeOf(image), "");
  B1(image, 0) = 0x00;
  B1(image, 1) = 0x33;
  EXPECT_EQ(MachineTypeOf(image), "");
}

}  // namespace
}  // namespace rilo
