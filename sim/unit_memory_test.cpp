#include "sim/unit_memory.h"

#include <gtest/gtest.h>

#include <vector>

namespace rilo::sim {
namespace {

std::vector<uint8_t> Span(const UnitMemory &memory, uint32_t address, size_t count) {
  const auto bytes = memory.Bytes(address, count);
  return {bytes.begin(), bytes.end()};
}

TEST(UnitMemory, ProgrammingOnlyClearsBitsUntilAnErase) {
  UnitMemory memory;
  const uint8_t first[] = {0xF0, 0x0F};
  const uint8_t second[] = {0x3C, 0xFF};
  memory.Write(0xE000, first);
  memory.Write(0xE000, second);
  EXPECT_EQ(Span(memory, 0xE000, 2), (std::vector<uint8_t>{0x30, 0x0F}));

  ASSERT_TRUE(memory.EraseSegment(0xE001));
  EXPECT_EQ(Span(memory, 0xE000, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST(UnitMemory, RamTakesBytesAsTheyAre) {
  UnitMemory memory;
  const uint8_t first[] = {0xF0};
  const uint8_t second[] = {0x0F};
  memory.Write(0x0220, first);
  memory.Write(0x0220, second);
  EXPECT_EQ(memory.At(0x0220), 0x0F);
}

TEST(UnitMemory, EraseTakesTheWholeSegmentAndNothingElse) {
  struct Case {
    uint32_t address, first, end;
  };
  const Case cases[] = {
      {0x1000, 0x1000, 0x1080},  // information segment A (settings block 0)
      {0x10FF, 0x1080, 0x1100},  // information segment B (settings block 1)
      {0x1150, 0x1100, 0x1200},  // the lowest main segment stops at the information memory
      {0xC1FF, 0xC000, 0xC200}, {0xFF60, 0xFE00, 0x10000},  // the top segment, password area included
  };
  for (const auto &c : cases) {
    UnitMemory memory;
    std::vector<uint8_t> zeros(0xF000, 0x00);
    memory.Write(0x1000, zeros);
    ASSERT_TRUE(memory.EraseSegment(c.address));
    for (uint32_t a = 0x1000; a < 0x10000; ++a) {
      const bool erased = a >= c.first && a < c.end;
      ASSERT_EQ(memory.At(a), erased ? 0xFF : 0x00) << std::hex << "erase at " << c.address << ", byte " << a;
    }
  }
}

TEST(UnitMemory, EraseOutsideFlashIsRefused) {
  UnitMemory memory;
  EXPECT_FALSE(memory.EraseSegment(0x0220));
  EXPECT_FALSE(memory.EraseSegment(0x0FFF));
}

TEST(UnitMemory, MassEraseClearsInformationProgramAndPassword) {
  UnitMemory memory;
  std::vector<uint8_t> zeros(0xF000, 0x00);
  memory.Write(0x1000, zeros);
  const uint8_t ram[] = {0x12};
  memory.Write(0x0220, ram);
  memory.MassErase();
  EXPECT_EQ(Span(memory, 0x1000, 0xF000), std::vector<uint8_t>(0xF000, 0xFF));
  EXPECT_EQ(memory.At(0x0220), 0x12);
}

TEST(UnitMemory, AStuckBitHoldsThroughEraseAndProgramming) {
  UnitMemory memory;
  memory.StickBit(0x1085, 3, false);  // stuck low: reads 0 even erased
  memory.StickBit(0x1086, 0, true);   // stuck high: cannot be programmed
  EXPECT_EQ(Span(memory, 0x1084, 3), (std::vector<uint8_t>{0xFF, 0xF7, 0xFF}));
  const uint8_t zeros[3] = {};
  memory.Write(0x1084, zeros);
  EXPECT_EQ(Span(memory, 0x1084, 3), (std::vector<uint8_t>{0x00, 0x00, 0x01}));
  ASSERT_TRUE(memory.EraseSegment(0x1080));
  EXPECT_EQ(Span(memory, 0x1084, 3), (std::vector<uint8_t>{0xFF, 0xF7, 0xFF}));
  memory.MassErase();
  EXPECT_EQ(memory.At(0x1085), 0xF7);
}

TEST(UnitMemory, WritableAreas) {
  using Area = UnitMemory::Area;
  struct Case {
    uint32_t address;
    size_t count;
    Area area;
  };
  const Case cases[] = {
      {0x0220, 194, Area::kRam},   {0x02FF, 2, Area::kNone},  // past the end of RAM
      {0x0FF0, 2, Area::kNone},    {0x0FFF, 2, Area::kNone},  // boot ROM, ROM into flash
      {0x1000, 128, Area::kFlash}, {0xFF80, 128, Area::kFlash},     {0xFFFF, 2, Area::kNone},
      {0x1000, 0, Area::kNone},    {0x0120, 2, Area::kPeripherals}, {0x0000, 0x200, Area::kPeripherals},
      {0x01FF, 2, Area::kNone},  // registers into RAM
  };
  for (const auto &c : cases)
    EXPECT_EQ(UnitMemory::WritableArea(c.address, c.count), c.area) << std::hex << c.address;
}

}  // namespace
}  // namespace rilo::sim
