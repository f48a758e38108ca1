#include "sim/fault_option.h"

#include <gtest/gtest.h>

namespace rilo::sim {
namespace {

TEST(FaultOption, ReadsKindRequestSkipAndTimes) {
  struct Case {
    const char *text;
    FaultKind kind;
    int request, skip, times;
  };
  const Case cases[] = {
      {"refuse", FaultKind::kRefuse, kAnyRequest, 0, 1},
      {"flip-bit:14:1", FaultKind::kFlipBit, 0x14, 1, 1},
      {"lose-byte:any:2:forever", FaultKind::kLoseByte, kAnyRequest, 2, kForever},
      {"no-answer:sync:0:3", FaultKind::kNoAnswer, kSyncRequest, 0, 3},
      {"wrong-length:14", FaultKind::kWrongLength, 0x14, 0, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    const auto fault = ParseFault(c.text);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->kind, c.kind);
    EXPECT_EQ(fault->request, c.request);
    EXPECT_EQ(fault->skip, c.skip);
    EXPECT_EQ(fault->times, c.times);
  }
  for (const char *bad : {"", "flip", "refuse:", "refuse:1G", "refuse:100", "refuse:14:-1",
                          "refuse:14:0:often", "refuse:14:0:1:2"})
    EXPECT_FALSE(ParseFault(bad)) << bad;
}

TEST(FaultOption, ReadsAStuckBit) {
  const auto stuck = ParseStuckBit("1091:1=0");
  ASSERT_TRUE(stuck);
  EXPECT_EQ(stuck->address, 0x1091u);
  EXPECT_EQ(stuck->bit, 1);
  EXPECT_FALSE(stuck->level);
  EXPECT_TRUE(ParseStuckBit("ffd9:7=1")->level);
  for (const char *bad : {"1091", "1091:1", "1091:8=0", "1091:1=2", "10000:1=0", ":1=0"})
    EXPECT_FALSE(ParseStuckBit(bad)) << bad;
}

}  // namespace
}  // namespace rilo::sim
