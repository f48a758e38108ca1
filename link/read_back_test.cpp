#include "link/read_back.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace rilo {
namespace {

TEST(ReadBack, NamesTheFirstAddressThatDiffers) {
  const std::vector<uint8_t> written(128, 0x5A);
  struct Case {
    const char *name;
    std::vector<size_t> changed;  // bytes of the read-back that differ
    uint16_t address;
    std::optional<uint16_t> differsAt;
  };
  const Case cases[] = {
      {"the same", {}, 0x1080, std::nullopt},
      {"first byte", {0}, 0x1080, 0x1080},
      {"last byte and one before", {127, 126}, 0x1000, 0x107E},
      {"at the top of the memory", {0x1F}, 0xFFE0, 0xFFFF},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> readBack = written;
    for (size_t i : c.changed)
      readBack[i] ^= 0x08;
    EXPECT_EQ(FirstDifference(c.address, written, readBack), c.differsAt);
  }
}

TEST(ReadBack, AShortReadBackDiffersWhereItEnds) {
  const std::vector<uint8_t> written(128, 0x00);
  const std::vector<uint8_t> readBack(100, 0x00);
  EXPECT_EQ(FirstDifference(0x1000, written, readBack), 0x1064);
}

}  // namespace
}  // namespace rilo
