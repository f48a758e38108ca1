// The loader's commands through the wire: what each answers locked and unlocked, the
// replies' layout, and each loader version's quirks.
#include <gtest/gtest.h>

#include "base/loader_patch.h"
#include "sim/sim_test_bench.h"

namespace rilo::sim {
namespace {

Bytes Patch() {
  return Bytes(kLoaderPatch.begin(), kLoaderPatch.end());
}

TEST(Loader, PasswordGuardsBlockEraseAndLoadCommandsOnly) {
  struct Case {
    const char *name;
    Bytes frame;
    size_t locked_reply;  // reply length while locked (0xA0 when 1, unless sync)
    size_t open_reply;
    uint8_t open_first;
  };
  const Case cases[] = {
      {"sync", kSync, 1, 1, kAck},
      {"version query", kVersionQuery, 22, 22, 0x80},
      {"mass erase", kMassErase, 1, 1, kAck},
      {"block read", ReadFrame(0x1080), 1, 134, 0x80},
      {"block write", WriteFrame(0xD000, Bytes(128, 0x00)), 1, 1, kAck},
      {"segment erase", Frame(0x16, 0xD000, 0xA502), 1, 1, kAck},
      {"load program counter", kStartRomLoader, 1, 1, kAck},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    UnitConfig config = Receiver16k();
    config.loader = kLoader161;
    Bench locked(config);
    locked.PatternA();
    ASSERT_EQ(locked.Exchange(kSync), Bytes{kAck});
    const auto before = locked.Memory(0x1000, 0xF000);
    const Bytes reply = locked.Exchange(c.frame, 200);
    ASSERT_EQ(reply.size(), c.locked_reply);
    if (c.locked_reply == 1 && c.frame != kSync && c.frame != kMassErase) {
      EXPECT_EQ(reply[0], kNak);
      EXPECT_EQ(locked.Memory(0x1000, 0xF000), before) << "a refused command changed flash";
    }

    Bench open(config);
    ASSERT_TRUE(open.Connect());
    const Bytes answer = open.Exchange(c.frame, 200);
    ASSERT_EQ(answer.size(), c.open_reply);
    EXPECT_EQ(answer[0], c.open_first);
  }
}

TEST(Loader, OnlyTheVectorAreaUnlocks) {
  Bench bench(Receiver16k());
  bench.PatternA();
  bench.Exchange(kSync);
  EXPECT_EQ(bench.Exchange(PasswordFrame(TestProductLine().PasswordA)), Bytes{kNak});
  EXPECT_EQ(bench.Exchange(PasswordFrame(Password{})), Bytes{kNak});
  EXPECT_FALSE(bench.unit.unlocked());
  EXPECT_EQ(bench.Exchange(PasswordFrame(TestProductLine().PasswordB)), Bytes{kAck});
  EXPECT_TRUE(bench.unit.unlocked());
}

TEST(Loader, BlockReadRepliesHeaderDataAndCheckBytes) {
  Bench bench(Receiver16k());
  ASSERT_TRUE(bench.Connect());
  const Bytes reply = bench.Exchange(ReadFrame(0xFF60), 200);
  ASSERT_EQ(reply.size(), 134u);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 4), (Bytes{0x80, 0x00, 0x80, 0x80}));
  EXPECT_EQ(Bytes(reply.begin() + 4, reply.begin() + 132), bench.Memory(0xFF60, 128));
  EXPECT_TRUE(CheckBytesValid(reply));

  const Bytes beyond = bench.Exchange(ReadFrame(0xFFF0, 32));
  EXPECT_EQ(beyond, Bytes{kNak});
}

TEST(Loader, ChipIdentityAndVersionByLoader) {
  struct Case {
    LoaderVersion loader;
    std::array<uint8_t, 2> chip;
    bool answers_query;
  };
  const Case cases[] = {
      {kLoader110, kChipF149, false},
      {kLoader161, kChip1232, true},
      {kLoader202, kChipF123, true},
      {kLoader161, kChipF112, true},
  };
  const Bytes chip_read = {0x80, 0x14, 0x04, 0x04, 0xF0, 0x0F, 0x0F, 0x00, 0x84, 0xE0};
  for (const auto &c : cases) {
    UnitConfig config = Receiver16k();
    config.loader = c.loader;
    config.chip = c.chip;
    Bench bench(config);
    ASSERT_TRUE(bench.Connect());
    const Bytes identity = {c.chip[0], c.chip[1], c.loader.major, c.loader.minor};
    const Bytes query = bench.Exchange(kVersionQuery, 60);
    if (c.answers_query) {
      // 16 bytes from 0x0FF0, as the loader sends them: general-purpose clients check the length.
      ASSERT_EQ(query.size(), 22u);
      EXPECT_EQ(query[2], 16);
      EXPECT_EQ((Bytes{query[4], query[5], query[14], query[15]}), identity);
      EXPECT_TRUE(CheckBytesValid(query));
    } else {
      EXPECT_EQ(query, Bytes{kNak});
    }
    // The host's fallback reads the same bytes from the boot ROM.
    const Bytes rom = bench.Exchange(chip_read, 60);
    ASSERT_EQ(rom.size(), 21u);
    EXPECT_EQ((Bytes{rom[4], rom[5], rom[14], rom[15]}), identity);
  }
}

TEST(Loader, Version110ProgramsFlashOnlyThroughItsPatch) {
  Bench bench(Receiver16k());  // loader 1.10
  ASSERT_TRUE(bench.Connect());
  const Bytes zeros(128, 0x00);
  ASSERT_EQ(bench.Exchange(Frame(0x16, 0x1080, 0xA502)), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(WriteFrame(0x1080, zeros), 200), Bytes{kNak});
  EXPECT_EQ(bench.Memory(0x1080, 128), Bytes(128, 0xFF));

  // The host's preamble: restart the ROM loader, password, patch to RAM, start it.
  ASSERT_EQ(bench.Exchange(kStartRomLoader), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(WriteFrame(0x0220, Patch()), 100), Bytes{kNak}) << "the restart locks";
  ASSERT_EQ(bench.Exchange(PasswordFrame(bench.unit.config().vectors)), Bytes{kAck});
  ASSERT_EQ(bench.Exchange(Frame(0x12, 0x0220, 194, Patch(), 0xC6), 100), Bytes{kAck});
  ASSERT_EQ(bench.Exchange(kStartPatch), Bytes{kAck});
  ASSERT_EQ(bench.Exchange(kSync), Bytes{kAck}) << "a sync does not end the patch's turn";
  EXPECT_EQ(bench.Exchange(WriteFrame(0x1080, zeros), 100), Bytes{kAck});
  EXPECT_EQ(bench.Memory(0x1080, 128), zeros);

  // The patch serves one command; the next write needs StartPatch again.
  const Bytes half(64, 0x0F);
  EXPECT_EQ(bench.Exchange(WriteFrame(0x1000, half), 100), Bytes{kNak});
  ASSERT_EQ(bench.Exchange(kStartPatch), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(WriteFrame(0x1000, half), 100), Bytes{kAck});
}

TEST(Loader, Version110ReadsAndErasesWithoutThePatch) {
  Bench bench(Receiver16k());
  ASSERT_TRUE(bench.Connect());
  EXPECT_EQ(bench.Exchange(ReadFrame(0xFF60), 200).size(), 134u);
  EXPECT_EQ(bench.Exchange(Frame(0x16, 0xFE00, 0xA502)), Bytes{kAck});
  EXPECT_EQ(bench.Memory(0xFE00, 512), Bytes(512, 0xFF));
}

TEST(Loader, StartingAnythingButTheRomOrALoadedPatchLeavesTheLoader) {
  struct Case {
    const char *name;
    LoaderVersion loader;
    bool load_patch;
    Bytes start;
  };
  const Case cases[] = {
      {"patch never loaded", kLoader110, false, kStartPatch},
      {"patch on a loader it was not made for", kLoader161, true, kStartPatch},
      {"the program", kLoader161, false, Frame(0x1A, 0xC000, 0)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    UnitConfig config = Receiver16k();
    config.loader = c.loader;
    Bench bench(config);
    ASSERT_TRUE(bench.Connect());
    if (c.load_patch) {
      ASSERT_EQ(bench.Exchange(WriteFrame(0x0220, Patch()), 100), Bytes{kAck});
    }
    EXPECT_EQ(bench.Exchange(c.start), Bytes{kAck});
    EXPECT_EQ(bench.unit.mode(), Unit::Mode::kProgram);
    EXPECT_TRUE(bench.Exchange(kSync).empty());
    ASSERT_TRUE(bench.Connect()) << "the entry pattern brings the loader back";
  }
}

TEST(Loader, BlockWritesTakeTheirLengthFromTheDataCount) {
  Bench bench(Transmitter());  // loader 1.61: no patch needed
  ASSERT_TRUE(bench.Connect());
  ASSERT_EQ(bench.Exchange(Frame(0x16, 0xF000, 0xA502)), Bytes{kAck});
  Bytes data(128);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<uint8_t>(i);
  // This tool puts the whole frame length into L1/L2; the loader's own rule is 4 + n.
  EXPECT_EQ(bench.Exchange(Frame(0x12, 0xF000, 128, data, 0x8A), 200), Bytes{kAck});
  EXPECT_EQ(bench.Exchange(Frame(0x12, 0xF080, 128, data, 0x84), 200), Bytes{kAck});
  EXPECT_EQ(bench.Memory(0xF000, 128), data);
  EXPECT_EQ(bench.Memory(0xF080, 128), data);
}

TEST(Loader, MassEraseNeedsNoKeyAndLeavesOnlyTheErasedPassword) {
  for (uint16_t key : {0x0000, 0xA506}) {
    Bench bench(Transmitter());
    bench.PatternA();
    bench.Exchange(kSync);
    EXPECT_EQ(bench.Exchange(Frame(0x18, 0x0000, key), 500), Bytes{kAck});
    EXPECT_EQ(bench.Memory(0x1000, 0xF000), Bytes(0xF000, 0xFF));
    EXPECT_EQ(bench.Exchange(PasswordFrame(bench.unit.config().vectors)), Bytes{kNak});
    Password erased;
    erased.fill(0xFF);
    EXPECT_EQ(bench.Exchange(PasswordFrame(erased)), Bytes{kAck});
  }
}

TEST(Loader, WritesPeripheralRegistersAndResetsOnAWatchdogWordWithoutItsKey) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  // The watchdog held with its key, as a client does before long work: taken.
  EXPECT_EQ(bench.Exchange(WriteFrame(0x0120, {0x80, 0x5A})), Bytes{kAck});
  EXPECT_EQ(bench.Memory(0x0120, 2), (Bytes{0x80, 0x5A}));
  EXPECT_EQ(bench.unit.mode(), Unit::Mode::kLoader);
  // Without the key the chip resets at once: no answer, and it runs its program.
  EXPECT_TRUE(bench.Exchange(WriteFrame(0x0120, {0x00, 0x00})).empty());
  EXPECT_EQ(bench.unit.mode(), Unit::Mode::kProgram);
  EXPECT_TRUE(bench.unit.starts());
  ASSERT_TRUE(bench.Connect()) << "the entry pattern brings the loader back";
}

TEST(Loader, RefusesWritesOutsideRamFlashAndRegisters) {
  Bench bench(Transmitter());
  ASSERT_TRUE(bench.Connect());
  const auto rom = bench.Memory(0x0FF0, 16);
  EXPECT_EQ(bench.Exchange(WriteFrame(0x0FF0, Bytes(16, 0x00))), Bytes{kNak});
  EXPECT_EQ(bench.Memory(0x0FF0, 16), rom);
  EXPECT_EQ(bench.Exchange(Frame(0x16, 0x0220, 0xA502)), Bytes{kNak});
}

// The rate change answers at the old rate; what follows runs at the new one, and only a
// host that moved with it hears the unit right. A reset brings 9600 back.
TEST(Loader, RateChangeFromVersion160OnWithTheFamilysClockValues) {
  struct Case {
    const char *name;
    LoaderVersion loader;
    uint16_t clocks;
    uint16_t code;
    uint8_t answer;
    bool heard_at_38400;  // a sync at 38400 is answered right afterwards
  };
  const Case cases[] = {
      {"1.61, F1 values for 38400", kLoader161, 0x87E0, 2, kAck, true},
      {"2.02, F1 values for 38400", kLoader202, 0x87E0, 2, kAck, true},
      {"1.61, F2 values on an F1 chip", kLoader161, 0x8C80, 2, kAck, false},
      {"1.61, an unknown rate code", kLoader161, 0x87E0, 3, kNak, false},
      {"1.10 has no such command", kLoader110, 0x87E0, 2, kNak, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    UnitConfig config = Receiver16k();  // chip F1 49
    config.loader = c.loader;
    Bench bench(config);
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.Exchange(Frame(0x20, c.clocks, c.code)), Bytes{c.answer});
    ASSERT_TRUE(bench.port.SetBaudRate(38400));
    EXPECT_EQ(bench.Exchange(kSync) == Bytes{kAck}, c.heard_at_38400);
    ASSERT_TRUE(bench.port.SetBaudRate(9600));
    EXPECT_EQ(bench.Exchange(kSync) == Bytes{kAck}, c.answer != kAck);
    bench.PatternA();  // the reset
    EXPECT_EQ(bench.Exchange(kSync), Bytes{kAck});
  }
}

TEST(StandardUnit, CarriesProgramPasswordIdentityAndSettings) {
  struct Case {
    UnitConfig config;
    uint16_t program;
    const Password &password;
  };
  const auto &line = TestProductLine();
  const Case cases[] = {{Transmitter(), 0xF000, line.PasswordC},
                        {Receiver8k(), 0xE000, line.PasswordA},
                        {Receiver16k(), 0xC000, line.PasswordB}};
  for (const auto &c : cases) {
    const Unit unit(c.config);
    const auto &memory = unit.memory();
    EXPECT_EQ(memory.At(c.program - 1), 0xFF);
    const auto page0 = memory.Bytes(c.program, 16);
    const auto page1 = memory.Bytes(c.program + 128, 16);
    EXPECT_FALSE(std::equal(page0.begin(), page0.end(), page1.begin())) << "pages tell apart";
    const auto vectors = memory.Bytes(0xFFE0, 32);
    EXPECT_TRUE(std::equal(vectors.begin(), vectors.end(), c.password.begin()));
    EXPECT_EQ(memory.At(0xFFFF), c.program >> 8) << "the reset vector points into the program";

    const Bytes serial = {0x00, 0x00, 0x00, 0x0F, 0x33, 0x3C, 0x55, 0x5A};  // codewords of 00012345
    const auto stored = memory.Bytes(0xFFD0, 8);
    EXPECT_EQ(Bytes(stored.begin(), stored.end()), serial);
    EXPECT_EQ((Bytes{memory.At(0xFFD9), memory.At(0xFFDA), memory.At(0xFFDB)}), (Bytes{24, 5, 17}));
    EXPECT_EQ(memory.At(0xFFDC), kMarkerQ12);
    EXPECT_EQ((Bytes{memory.At(0xFFDE), memory.At(0xFFDF)}), (Bytes{3, 12}));

    const auto block1 = memory.Bytes(0x1080, 128);
    EXPECT_EQ((Bytes{block1[0], block1[1], block1[17], block1[20]}), (Bytes{0x0F, 0x33, 0xEE, 0xEF}));
    EXPECT_EQ(block1[8], block1[0] ^ block1[2] ^ block1[4] ^ block1[6]);
    EXPECT_EQ(block1[9], block1[1] ^ block1[3] ^ block1[5] ^ block1[7]);
    EXPECT_EQ(memory.At(0xFC00), line.SignatureCode[0]);
  }
}

}  // namespace
}  // namespace rilo::sim
