// Reading a unit's firmware and burning it into another, end to end: the Workbench, its
// link and loader, against simulated units on the virtual clock, with a scripted person.
// The cable moves from unit to unit between commands, as on a production bench.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/testing/stub_port.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"
#include "files/file_writers.h"
#include "ledger/ledger_location.h"
#include "link/testing/wired_unit.h"
#include "tests/testing/settings_bench.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

using testing::ShownMessage;
using testing::Standard;
using Bytes = std::vector<uint8_t>;

const ShownMessage kReadError{"讀取錯誤", "讀取程式錯誤,請您再試一次!!", Icon::Error, false};
const ShownMessage kRxReadDone{"讀取程式", "讀取接收機程式完成!!", Icon::Information, false};
const ShownMessage kTxReadDone{"讀取程式", "讀取發射機程式完成!!", Icon::Information, false};
const ShownMessage kRxReadFailed{"讀取程式", "讀取接收機程式失敗!!", Icon::Error, false};
const ShownMessage kTxWriteDone{"寫入程式!", "寫入發射機程式完成!!", Icon::Information, false};
const ShownMessage kRxWriteDone{"寫入程式", "寫入接收機程式完成!!", Icon::Information, false};
const ShownMessage kTxWriteFailed{"寫入程式!", "寫入發射機程式失敗,請再試一次!!", Icon::Error, false};
const ShownMessage kRxWriteFailed{"寫入程式!", "寫入接收機程式失敗,請再試一次", Icon::Error, false};
const ShownMessage kReceiverAttached{"錯誤", "您要燒的機器是接收機吧?按錯了喔~!", Icon::Error, false};
const ShownMessage kTransmitterAttached{"錯誤", "您要燒的機器是發射機吧?按錯了喔~!", Icon::Error, false};

// One unit with its end of the cable.
struct Station {
  Station(const sim::UnitConfig &config, VirtualClock &clock, bool blank) : unit(config), port(unit, clock) {
    if (blank) unit.memory().MassErase();
  }
  Bytes Flash(uint32_t address, size_t count) const {
    const auto bytes = unit.memory().Bytes(address, count);
    return {bytes.begin(), bytes.end()};
  }
  int Requests(uint8_t command) const {
    return static_cast<int>(std::count_if(unit.requests().begin(), unit.requests().end(), [&](const auto &r) {
      return r.kind == sim::Request::Kind::kFrame && r.command() == command;
    }));
  }
  // Block reads of `address` the unit received.
  int ReadsOf(uint16_t address) const {
    return static_cast<int>(std::count_if(unit.requests().begin(), unit.requests().end(), [&](const auto &r) {
      return r.kind == sim::Request::Kind::kFrame && r.command() == 0x14 && r.address() == address;
    }));
  }
  sim::Unit unit;
  sim::SimulatedPort port;
};

sim::UnitConfig Config(sim::Model model, sim::LoaderVersion loader = {}) {
  sim::UnitConfig config = Standard(model);
  if (loader.major != 0) config.loader = loader;
  return config;
}

// The window's Workbench, started with the factory flag, the cable on `first`.
struct Bench {
  explicit Bench(const sim::UnitConfig &first, bool blank = false) : source(first, clock, blank) {
    for (const char *name : {"Left", "Top", "Height", "Width"})
      store.WriteInteger(name, 0);
    store.WriteString("COM", "COM1");
    for (const char *flag : {"BattLow", "BattLowAction", "TxEMSCount", "BattCount", "Key1Time", "SpecialFunc",
                             "IDCODE", "DateCode", "SN"})
      store.WriteBool(flag, false);
    store.WriteBool("CustomerInfo", true);
    store.WriteBool("Factory", true);
    bench.FormMenuCreate({});
    bench.FormMenuShow();
  }

  // Moves the cable to a new unit, blank as from the chip maker or as configured.
  Station &Attach(const sim::UnitConfig &config, bool blank) {
    target = std::make_unique<Station>(config, clock, blank);
    cable.PlugInto(target->port);
    return *target;
  }

  Editor &editor() { return bench.editor(); }
  std::vector<ShownMessage> Shown() { return std::exchange(person.shown, {}); }

  VirtualClock clock;
  Station source;
  std::unique_ptr<Station> target;
  // The cable moves from unit to unit; pulled, it carries nothing either way.
  testing::StubPort cable{source.port, clock};
  testing::ScriptedOperator person;
  MemoryPreferences store;
  Workbench bench{store, person, cable, clock, testing::Ventrix(), testing::ToolProductLine(), [] {
                    return std::string("2026/1/5");
                  }};
};

int UsedPages(const FirmwareImage &image) {
  return static_cast<int>(std::count_if(image.begin(), image.end(), IsUsed));
}

struct BurnCase {
  const char *name;
  sim::Model source;
  sim::Model target;
  sim::LoaderVersion targetLoader;
  bool transmitter;
  uint16_t start;
  bool patched;
  int password;  // 0 A, 1 B, 2 C
};

class BurnEndToEnd : public ::testing::TestWithParam<BurnCase> {};

TEST_P(BurnEndToEnd, AUnitReadIsBurnedIntoABlankUnitByteForByte) {
  const BurnCase &c = GetParam();
  Bench b(Config(c.source));
  const Station &source = b.source;
  if (c.transmitter)
    b.bench.NLoadTxPrgClick();
  else
    b.bench.NLoadRxPrgClick();
  ASSERT_EQ(b.Shown(), std::vector<ShownMessage>{c.transmitter ? kTxReadDone : kRxReadDone});
  const FirmwareImage &image = c.transmitter ? *b.bench.firmware().TxImage : *b.bench.firmware().RxImage;
  const int pages = (0x10000 - c.start) / 128;
  ASSERT_EQ(UsedPages(image), pages);
  EXPECT_EQ(PageAddress(image[pages - 1]), 0xFF80);
  EXPECT_EQ(*b.bench.firmware().SingleImage, image);
  EXPECT_EQ(Bytes(image[pages - 1].begin() + 8 + 96, image[pages - 1].begin() + 136), Bytes(32, 0xFF));

  b.editor().form.EEqupmentSN.text = "12987654";
  b.editor().form.EEqupmentDate.text = "2026/11/30";
  Station &target = b.Attach(Config(c.target, c.targetLoader), true);
  if (c.transmitter)
    b.bench.NWriteTxPrgClick();
  else
    b.bench.NWriteRxPrgClick();
  ASSERT_EQ(b.Shown(), std::vector<ShownMessage>{c.transmitter ? kTxWriteDone : kRxWriteDone});
  EXPECT_EQ(b.bench.loader().PatchNeeded, c.patched ? 1 : 0);

  // The program area as the source held it, with the new identity and the vectors of
  // the unit kind and loader.
  Bytes expected = source.Flash(c.start, 0x10000 - c.start);
  auto at = [&](uint32_t address) { return expected.begin() + (address - c.start); };
  const uint8_t serial[] = {0x0F, 0x33, 0x99, 0x96, 0x69, 0x66, 0x5A, 0x55};  // 1 2 9 8 7 6 5 4
  std::copy(std::begin(serial), std::end(serial), at(0xFFD0));
  const uint8_t date[] = {26, 11, 30};
  std::copy(std::begin(date), std::end(date), at(0xFFD9));
  const ProductLine &line = testing::ToolProductLine();
  const VectorTable &vectors = c.password == 0   ? line.PasswordA
                               : c.password == 1 ? line.PasswordB
                                                 : line.PasswordC;
  std::copy(vectors.begin(), vectors.end(), at(0xFFE0));
  EXPECT_EQ(target.Flash(c.start, 0x10000 - c.start), expected);
  EXPECT_EQ(target.Flash(0xFC00, 34), Bytes(line.SignatureCode.begin(), line.SignatureCode.end()));
  EXPECT_EQ(target.Flash(0x1000, 256), source.Flash(0x1000, 256));
  EXPECT_EQ(target.Flash(0x1100, c.start - 0x1100), Bytes(c.start - 0x1100, 0xFF));
  EXPECT_TRUE(target.unit.starts());
  EXPECT_EQ(target.Requests(0x18), 1);
  EXPECT_FALSE(b.person.busy);
  EXPECT_EQ(b.person.progressTrail.back(), 500);
}

INSTANTIATE_TEST_SUITE_P(
    Units, BurnEndToEnd,
    ::testing::Values(BurnCase{"TransmitterFromRom", sim::Model::kTransmitter, sim::Model::kTransmitter,
                               sim::kLoader161, true, 0xF000, false, 2},
                      BurnCase{"TransmitterThroughThePatch", sim::Model::kTransmitter,
                               sim::Model::kTransmitter, sim::kLoader110, true, 0xF000, true, 2},
                      BurnCase{"ShortReceiverFromRom", sim::Model::kReceiver8k, sim::Model::kReceiver8k,
                               sim::kLoader202, false, 0xE000, false, 0},
                      BurnCase{"ShortReceiverThroughThePatch", sim::Model::kReceiver8k,
                               sim::Model::kReceiver8k, sim::kLoader110, false, 0xE000, true, 1},
                      BurnCase{"LongReceiverThroughThePatch", sim::Model::kReceiver16k,
                               sim::Model::kReceiver16k, sim::kLoader110, false, 0xC000, true, 1},
                      BurnCase{"LongReceiverFromRom", sim::Model::kReceiver16k, sim::Model::kReceiver16k,
                               sim::kLoader161, false, 0xC000, false, 1}),
    [](const ::testing::TestParamInfo<BurnCase> &param) { return std::string(param.param.name); });

// ---- Reading ----------------------------------------------------------------------------

// The role the handshake found decides: the wrong menu item reads nothing, saves
// nothing and offers nothing to save.
TEST(ReadFirmware, AUnitOfTheOtherKindIsNotRead) {
  struct Case {
    const char *name;
    sim::Model unit;
    bool transmitterItem;
    ShownMessage shown;
  };
  const Case cases[] = {
      {"transmitter item, receiver attached",
       sim::Model::kReceiver8k,
       true,
       {"錯誤", "您要讀的機器是接收機吧?按錯了喔~!", Icon::Error, false}},
      {"receiver item, transmitter attached",
       sim::Model::kTransmitter,
       false,
       {"錯誤", "您要讀的機器是發射機吧?按錯了喔~!", Icon::Error, false}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(Config(c.unit));
    const Outcome outcome = c.transmitterItem ? b.bench.NLoadTxPrgClick() : b.bench.NLoadRxPrgClick();
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{c.shown});
    EXPECT_EQ(b.source.ReadsOf(0xF000) + b.source.ReadsOf(0xE000) + b.source.ReadsOf(0xC000), 0);
    EXPECT_EQ(UsedPages(*b.bench.firmware().TxImage) + UsedPages(*b.bench.firmware().RxImage), 0);
    EXPECT_EQ(b.bench.loadedSource(), LoadedSource::Nothing);
    EXPECT_EQ(b.bench.view().saveDefaultExt, "rilo");
  }
}

TEST(ReadFirmware, PageReadsFollowTheRetryBudget) {
  struct Case {
    const char *name;
    sim::FaultKind kind;
    int page;   // the page struck (0 = 0xC000)
    int times;  // attempts struck
    bool read;
    int attempts;  // reads of that page
  };
  const Case cases[] = {
      {"no answer to the first page: no retry", sim::FaultKind::kNoAnswer, 0, 1, false, 1},
      {"no answer to a later page: six attempts", sim::FaultKind::kNoAnswer, 3, sim::kForever, false, 6},
      {"five lost answers are retried", sim::FaultKind::kNoAnswer, 3, 5, true, 6},
      {"a garbled answer is retried", sim::FaultKind::kGarble, 3, 1, true, 2},
      {"a refused page fails at once", sim::FaultKind::kRefuse, 3, 1, false, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(Config(sim::Model::kReceiver16k));
    // The handshake reads the identity page first; then the pages from 0xC000.
    b.source.unit.AddFault({c.kind, 0x14, 1 + c.page, c.times});
    b.bench.NLoadRxPrgClick();
    const uint16_t address = static_cast<uint16_t>(0xC000 + 128 * c.page);
    EXPECT_EQ(b.source.ReadsOf(address), c.attempts);
    if (c.read) {
      EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kRxReadDone});
    } else {
      EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{kReadError, kRxReadFailed}));
      EXPECT_EQ(UsedPages(*b.bench.firmware().RxImage), 0) << "the image is replaced only after a whole read";
      EXPECT_EQ(b.bench.loadedSource(), LoadedSource::Nothing);
    }
    EXPECT_EQ(b.person.progressTrail.back(), 500);
  }
}

TEST(ReadFirmware, FillsSettingsVectorsAndModelAndKeepsTheIdentityPageForTheVersion) {
  Bench b(Config(sim::Model::kReceiver8k));
  b.bench.NLoadRxPrgClick();
  ASSERT_EQ(b.Shown(), std::vector<ShownMessage>{kRxReadDone});
  EXPECT_EQ(UsedPages(*b.bench.firmware().RxImage), 64);
  EXPECT_EQ(PageAddress((*b.bench.firmware().RxImage)[0]), 0xE000);
  EXPECT_EQ(b.bench.firmware().RxVectors, testing::ToolProductLine().PasswordA);
  EXPECT_EQ(b.bench.firmware().SingleVectors, testing::ToolProductLine().PasswordA);
  EXPECT_EQ(Bytes(b.editor().Image.begin(), b.editor().Image.end()), b.source.Flash(0x1000, 256));
  EXPECT_EQ(b.editor().MachineType, "12");
  EXPECT_EQ(b.editor().form.Caption, "RILO1-Q12 設定程式");
  EXPECT_EQ(b.bench.loadedSource(), LoadedSource::ReceiverFirmware);
  // The last handshake's identity page, not the last program page read.
  b.bench.NFirmwareVerClick();
  EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{{"RILO1Q12", "韌體版本：3.12", Icon::None, false}}));
}

TEST(ReadFirmware, TheSaveDialogOffersTheDataFileOnceBothKindsWereRead) {
  struct Case {
    const char *name;
    std::vector<bool> reads;  // true: transmitter
    std::vector<std::string> offered;
  };
  const Case cases[] = {
      {"receiver then transmitter", {false, true}, {"TXT Format [*.txt]", "DAT Format [*.dat]"}},
      {"transmitter then receiver", {true, false}, {"TXT Format [*.txt]", "DAT Format [*.dat]"}},
      {"transmitter twice", {true, true}, {"TXT Format [*.txt]", "TXT Format [*.txt]"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(Config(sim::Model::kTransmitter));
    std::vector<std::string> offered;
    for (bool transmitter : c.reads) {
      b.Attach(Config(transmitter ? sim::Model::kTransmitter : sim::Model::kReceiver8k), false);
      transmitter ? b.bench.NLoadTxPrgClick() : b.bench.NLoadRxPrgClick();
      offered.push_back(b.bench.view().saveFilter);
      EXPECT_EQ(b.bench.view().saveDefaultExt, offered.back() == "DAT Format [*.dat]" ? "dat" : "txt");
    }
    EXPECT_EQ(offered, c.offered);
  }
}

// ---- Burning ----------------------------------------------------------------------------

// A bench that has read a Q12 unit of `model`, its identity fields as read.
Bench &ReadFrom(Bench &b, bool transmitter) {
  transmitter ? b.bench.NLoadTxPrgClick() : b.bench.NLoadRxPrgClick();
  EXPECT_EQ(b.Shown().size(), 1u);
  return b;
}

TEST(WriteFirmware, TheWrongButtonLeavesAUnitThatOpensUntouched) {
  struct Case {
    const char *name;
    sim::Model read;
    bool button;  // true: transmitter
    sim::Model attached;
    bool attachedOpens;  // its password is a stored one
    ShownMessage shown;
    bool erased;
  };
  const Case cases[] = {
      {"transmitter button, receiver attached", sim::Model::kTransmitter, true, sim::Model::kReceiver8k, true,
       kReceiverAttached, false},
      {"receiver button, transmitter attached", sim::Model::kReceiver8k, false, sim::Model::kTransmitter,
       true, kTransmitterAttached, false},
      {"receiver image on the transmitter button", sim::Model::kReceiver8k, true, sim::Model::kTransmitter,
       true, kReceiverAttached, false},
      {"a unit that opens with none of the passwords is erased first", sim::Model::kTransmitter, true,
       sim::Model::kReceiver8k, false, kReceiverAttached, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const bool readTx = c.read == sim::Model::kTransmitter;
    Bench b(Config(c.read));
    ReadFrom(b, readTx);
    if (readTx != c.button) {
      // The image of the other kind stands in the button's buffer.
      *(c.button ? b.bench.firmware().TxImage : b.bench.firmware().RxImage) = *b.bench.firmware().SingleImage;
    }
    sim::UnitConfig config = Config(c.attached);
    if (!c.attachedOpens) config.vectors.fill(0x5A);
    Station &unit = b.Attach(config, false);
    const Bytes before = unit.Flash(0x1000, 0xF000);
    c.button ? b.bench.NWriteTxPrgClick() : b.bench.NWriteRxPrgClick();
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{c.shown});
    EXPECT_EQ(unit.Requests(0x18), c.erased ? 1 : 0);
    EXPECT_EQ(unit.Requests(0x12), 0);
    if (!c.erased) {
      EXPECT_EQ(unit.Flash(0x1000, 0xF000), before);
    }
    EXPECT_EQ(b.person.progressTrail.back(), 500);
  }
}

// A mass erase the unit refuses leaves its old program: the burn fails there, read-back
// or not, and the unit is left as it was.
TEST(WriteFirmware, ARefusedMassEraseFailsTheBurnEvenWithoutTheReadBack) {
  Bench b(Config(sim::Model::kTransmitter));
  ReadFrom(b, true);
  b.bench.UseVerifyBurn(false);
  Station &target = b.Attach(Config(sim::Model::kTransmitter), true);
  target.unit.AddFault({.kind = sim::FaultKind::kRefuse, .request = 0x18});
  const Outcome outcome = b.bench.NWriteTxPrgClick();
  EXPECT_FALSE(outcome.done);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteFailed});
  EXPECT_EQ(target.Requests(0x12), 0) << "nothing burned over the old program";
}

TEST(WriteFirmware, AnImageOpenedFromATextFileEndsAtThePage0xFF60AndBurnsWhole) {
  Bench b(Config(sim::Model::kReceiver8k));
  ReadFrom(b, false);
  // Saved as the save command writes it, then opened as the open command opens it.
  testing::ScratchFolder scratch("rilo-firmware-e2e");
  const std::string path = scratch.Path("rx.txt");
  std::ofstream(path, std::ios::binary) << JoinCrLf(FirmwareTextFileLines(
      b.bench.firmware().SingleVectors, b.editor().Image, *b.bench.firmware().SingleImage));
  ASSERT_TRUE(b.bench.OpenFirmwareFile(FirmwareFile::Text, path).done);
  b.Shown();
  const FirmwareImage &image = *b.bench.firmware().RxImage;
  ASSERT_EQ(PageAddress(image[63]), 0xFF60);
  // The identity the image carries: the top segment is not erased, and the file's top
  // page, blank below 0xFF80, programs nothing over the page 0xFF00 before it.
  b.editor().form.EEqupmentSN.text = "00012345";
  b.editor().form.EEqupmentDate.text = "2024/05/17";

  Station &target = b.Attach(Config(sim::Model::kReceiver8k), true);
  b.bench.NWriteRxPrgClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kRxWriteDone});
  // The bar: the pages before 0xFF60 and the burn's own steps, then every page read
  // back, full when the last has been compared.
  EXPECT_GT(b.person.progressMax, 63 + 11);
  EXPECT_EQ(b.person.progressTrail.end()[-2], b.person.progressMax);
  EXPECT_EQ(target.Flash(0xE000, 0x2000), b.source.Flash(0xE000, 0x2000));
  EXPECT_EQ(target.Requests(0x16), 0) << "no segment erase";
}

TEST(WriteFirmware, ARefusedPageIsNoticedAtThatPage) {
  for (bool patched : {false, true}) {
    SCOPED_TRACE(patched ? "through the patch" : "from ROM");
    Bench b(Config(sim::Model::kTransmitter));
    ReadFrom(b, true);
    Station &target =
        b.Attach(Config(sim::Model::kTransmitter, patched ? sim::kLoader110 : sim::kLoader161), true);
    // Block writes: with the patch the patch itself goes first.
    target.unit.AddFault({sim::FaultKind::kRefuse, 0x12, (patched ? 1 : 0) + 3, 1});
    b.bench.NWriteTxPrgClick();
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteFailed});
    EXPECT_EQ(target.Requests(0x12), (patched ? 1 : 0) + 4) << "nothing is sent after the refused page";
    EXPECT_EQ(b.person.progressTrail.end()[-2], 516);
  }
}

TEST(WriteFirmware, TheTopPageGoesOutBlankedThroughThePatchAndAsStoredWithout) {
  for (bool patched : {false, true}) {
    SCOPED_TRACE(patched ? "through the patch" : "from ROM");
    Bench b(Config(sim::Model::kTransmitter));
    ReadFrom(b, true);
    // A top page that carries vectors of its own.
    PageFrame &top = (*b.bench.firmware().TxImage)[31];
    ASSERT_EQ(PageAddress(top), 0xFF80);
    std::fill(top.begin() + 8 + 96, top.begin() + 136, uint8_t{0x00});
    RefreshCheckBytes(*b.bench.firmware().TxImage, testing::Ventrix());
    const PageFrame stored = top;
    b.bench.UseVerifyBurn(false);
    b.Attach(Config(sim::Model::kTransmitter, patched ? sim::kLoader110 : sim::kLoader161), true);
    b.bench.NWriteTxPrgClick();

    const auto &requests = b.target->unit.requests();
    const auto sent = std::find_if(requests.begin(), requests.end(), [](const sim::Request &r) {
      return r.kind == sim::Request::Kind::kFrame && r.command() == 0x12 && r.address() == 0xFF80;
    });
    ASSERT_NE(sent, requests.end());
    if (patched) {
      EXPECT_EQ(Bytes(sent->bytes.begin() + 8, sent->bytes.begin() + 104),
                Bytes(stored.begin() + 8, stored.begin() + 104));
      EXPECT_EQ(Bytes(sent->bytes.begin() + 104, sent->bytes.begin() + 136), Bytes(32, 0xFF));
      EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteDone});
      const VectorTable &c = testing::ToolProductLine().PasswordC;
      EXPECT_EQ(b.target->Flash(0xFFE0, 32), Bytes(c.begin(), c.end()));
    } else {
      EXPECT_EQ(sent->bytes, Bytes(stored.begin(), stored.end()));
    }
  }
}

TEST(WriteFirmware, AReceiverBurnAdvancesTheIdCodeWhenTheSwitchIsOn) {
  for (int increment : {1, 0}) {
    Bench b(Config(sim::Model::kReceiver8k));
    ReadFrom(b, false);
    b.editor().IdIncrement = static_cast<uint8_t>(increment);
    ASSERT_EQ(b.editor().form.EEqupmentID.text, "12300415");
    b.Attach(Config(sim::Model::kReceiver8k), true);
    b.bench.NWriteRxPrgClick();
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kRxWriteDone});
    EXPECT_EQ(b.editor().form.EEqupmentID.text, increment ? "12300416" : "12300415");
    EXPECT_FALSE(b.bench.view().visible.at("BWriteTx"));
  }
}

// With the ledger and the ID advance on, a receiver takes the lowest code at or after
// the field's that no receiver holds: the two the ledger holds for other receivers are
// skipped, the unit gets the next, and the ledger holds it for the unit's serial number.
TEST(WriteFirmware, WithTheLedgerAReceiverTakesTheLowestFreeIdCode) {
  Bench b(Config(sim::Model::kReceiver8k));
  b.bench.UseLedger(OpenLedger("sqlite::memory:"), "bench-test");
  ReadFrom(b, false);
  Ledger &ledger = *b.bench.ledger();
  ledger.UseId(12300415, "00000077", "bench-2", "COM2");
  ledger.UseId(12300416, "00000078", "bench-2", "COM3");
  b.editor().IdIncrement = 1;
  const Station &target = b.Attach(Config(sim::Model::kReceiver8k), true);
  EXPECT_TRUE(b.bench.NWriteRxPrgClick().done);
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kRxWriteDone});
  Bytes id;
  for (char digit : std::string("300417"))
    id.push_back(testing::Ventrix().DeHamming(static_cast<uint8_t>(digit - '0')));
  EXPECT_EQ(target.Flash(0x1082, 6), id);
  const auto held = ledger.Holder(12300417);
  ASSERT_TRUE(held);
  EXPECT_TRUE(held->used);
  EXPECT_EQ(held->serial, "12012345");
  EXPECT_EQ(b.editor().form.EEqupmentID.text, "12300418");
  EXPECT_EQ(b.bench.lastRecord().id, "12300417");
}

// A code the ledger holds for a receiver with another serial number is written only
// after the question, and Cancel leaves the unit as it was.
TEST(WriteFirmware, AnIdCodeAnotherReceiverHoldsIsWrittenOnlyOnOk) {
  for (bool ok : {false, true}) {
    Bench b(Config(sim::Model::kReceiver8k));
    b.bench.UseLedger(OpenLedger("sqlite::memory:"), "bench-test");
    ReadFrom(b, false);
    b.bench.ledger()->UseId(12300415, "00000077", "bench-2", "COM2");
    b.editor().IdIncrement = 0;
    const Station &target = b.Attach(Config(sim::Model::kReceiver8k), false);
    const Bytes before = target.Flash(0x1000, 0xF000);
    b.person.answers = {ok};
    EXPECT_EQ(b.bench.NWriteRxPrgClick().done, ok);
    const auto shown = b.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], (ShownMessage{"ID-CODE 重複", "此 ID-CODE 已用於序號 00000077 的接收機,仍要寫入嗎?",
                                      Icon::Information, true}));
    if (!ok) {
      EXPECT_EQ(shown.size(), 1u);
      EXPECT_EQ(target.Flash(0x1000, 0xF000), before);
    }
    EXPECT_EQ(b.bench.ledger()->Holder(12300415)->serial, ok ? "12012345" : "00000077");
  }
}

TEST(WriteFirmware, ATransmitterBurnShowsItsSpeedButtonAndKeepsTheIdCode) {
  Bench b(Config(sim::Model::kTransmitter));
  ReadFrom(b, true);
  const std::string id = b.editor().form.EEqupmentID.text;
  b.Attach(Config(sim::Model::kTransmitter), true);
  b.bench.NWriteTxPrgClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteDone});
  EXPECT_EQ(b.editor().form.EEqupmentID.text, id);
  EXPECT_TRUE(b.bench.view().visible.at("BWriteTx"));
}

TEST(WriteFirmware, ACablePulledMidBurnFailsAndTheNextBurnStartsOverAndSucceeds) {
  Bench b(Config(sim::Model::kReceiver16k));
  ReadFrom(b, false);
  Station &target = b.Attach(Config(sim::Model::kReceiver16k), false);
  // Pulled while the pages go out.
  b.person.onProgress = [&](int position) {
    if (position == 40) b.cable.Pull();
  };
  b.bench.NWriteRxPrgClick();
  b.person.onProgress = nullptr;
  const auto shown = b.Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), kRxWriteFailed);
  EXPECT_FALSE(target.unit.starts()) << "the unit is left erased or partly programmed";

  b.cable.PlugBack();
  b.bench.NWriteRxPrgClick();
  EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kRxWriteDone});
  EXPECT_EQ(target.Flash(0xC000, 0x3C00), b.source.Flash(0xC000, 0x3C00));
  EXPECT_TRUE(target.unit.starts());
}

TEST(WriteFirmware, WithoutVerificationOnlyTheVectorsAreReadBack) {
  for (int verify : {1, 0}) {
    Bench b(Config(sim::Model::kTransmitter));
    ReadFrom(b, true);
    b.bench.UseVerifyBurn(verify);
    Station &target = b.Attach(Config(sim::Model::kTransmitter), true);
    b.bench.NWriteTxPrgClick();
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteDone});
    const auto &requests = target.unit.requests();
    const auto vectors = std::find_if(requests.begin(), requests.end(), [](const sim::Request &r) {
      return r.kind == sim::Request::Kind::kFrame && r.command() == 0x12 && r.address() == 0xFFE0;
    });
    ASSERT_NE(vectors, requests.end());
    const auto readsAfter = std::count_if(vectors, requests.end(), [](const sim::Request &r) {
      return r.kind == sim::Request::Kind::kFrame && r.command() == 0x14;
    });
    // The vectors' page, proving the unit opens with them; when verified, the program
    // area 0xF000..0xFFFF and both settings blocks too.
    EXPECT_EQ(readsAfter, 1 + (verify ? 32 + 2 : 0));
  }
}

TEST(WriteFirmware, VerificationNamesTheFirstByteTheUnitDoesNotHold) {
  for (int verify : {1, 0}) {
    SCOPED_TRACE(verify ? "verified" : "not verified");
    Bench b(Config(sim::Model::kTransmitter));
    ReadFrom(b, true);
    b.bench.UseVerifyBurn(verify);
    // A flash cell whose bit 0 stays set whatever is programmed.
    Station &target = b.Attach(Config(sim::Model::kTransmitter), true);
    const uint8_t meant = b.source.Flash(0xF123, 1)[0];
    ASSERT_EQ(meant & 1, 0);
    target.unit.memory().StickBit(0xF123, 0, true);
    b.bench.NWriteTxPrgClick();
    EXPECT_EQ(target.Flash(0xF123, 1), Bytes{static_cast<uint8_t>(meant | 1)});
    if (verify) {
      EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{
                               {"寫入程式!", "寫入後驗證失敗,位址 0xF123 的資料不符!!", Icon::Error, false},
                               kTxWriteFailed}));
    } else {
      EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteDone});
    }
  }
}

TEST(WriteFirmware, TheReadBackAsksAgainForALostReplyAndFailsOnAPageItCannotRead) {
  struct Case {
    const char *name;
    sim::FaultKind kind;
    int times;
    bool burned;
  };
  const Case cases[] = {
      {"five lost replies", sim::FaultKind::kNoAnswer, 5, true},
      {"a garbled reply", sim::FaultKind::kGarble, 1, true},
      // A page that cannot be read back is a failed line, not a difference.
      {"a page that never comes back", sim::FaultKind::kNoAnswer, sim::kForever, false},
      {"a refused read", sim::FaultKind::kRefuse, 1, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(Config(sim::Model::kTransmitter));
    ReadFrom(b, true);
    Station &target = b.Attach(Config(sim::Model::kTransmitter), true);
    // The burn's own reads come first: the handshake's identity page, the four pages
    // of the identity update and the four restored ones read back. Then the read-back:
    // both settings blocks, then 0xF000 upward; 0xF100 is struck.
    target.unit.AddFault({c.kind, 0x14, 1 + 4 + 4 + 2 + 2, c.times});
    b.bench.NWriteTxPrgClick();
    if (c.burned) {
      EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteDone});
    } else {
      EXPECT_EQ(b.Shown(), (std::vector<ShownMessage>{testing::kConnectFailed, kTxWriteFailed}));
    }
  }
}

TEST(WriteFirmware, TheVerifyPreferenceIsKeptAndReadAtTheNextStart) {
  Bench b(Config(sim::Model::kTransmitter));
  EXPECT_TRUE(b.bench.verifyBurn());
  EXPECT_TRUE(b.bench.view().verifyBurn);
  EXPECT_TRUE(b.bench.view().visible.at("NVerifyBurn"));
  b.bench.NVerifyBurnClick();
  EXPECT_FALSE(b.bench.verifyBurn());
  EXPECT_FALSE(b.bench.view().verifyBurn);
  EXPECT_EQ(b.store.ReadInteger("VerifyBurn"), 0);

  testing::ScriptedOperator person;
  Workbench next(b.store, person, b.cable, b.clock, testing::Ventrix(), testing::ToolProductLine());
  next.FormMenuCreate({});
  EXPECT_FALSE(next.verifyBurn());
}

// ---- Fast transfers ---------------------------------------------------------------------

// Flash from the settings blocks to the top, where a burn writes.
Bytes FlashAfterBurn(const Station &station) {
  return station.Flash(0x1000, 0xF000);
}

// A burn streamed at 9600 or 38400 leaves the unit byte for byte as the ordinary burn
// does, for every loader; loaders that can change their rate run at the rate asked for.
TEST_P(BurnEndToEnd, AFastBurnLeavesTheFlashOfTheOrdinaryBurn) {
  const BurnCase &c = GetParam();
  Bench b(Config(c.source));
  c.transmitter ? b.bench.NLoadTxPrgClick() : b.bench.NLoadRxPrgClick();
  ASSERT_EQ(b.Shown(), std::vector<ShownMessage>{c.transmitter ? kTxReadDone : kRxReadDone});
  b.editor().UseIdIncrement(false);  // every burn with the same identity
  auto burn = [&](uint32_t fastBaud) {
    b.bench.UseFastTransfer(fastBaud);
    Station &target = b.Attach(Config(c.target, c.targetLoader), true);
    const Outcome outcome = c.transmitter ? b.bench.NWriteTxPrgClick() : b.bench.NWriteRxPrgClick();
    EXPECT_TRUE(outcome.done);
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{c.transmitter ? kTxWriteDone : kRxWriteDone});
    return std::pair(FlashAfterBurn(target), outcome.fastLine);
  };
  const auto [ordinary, noLine] = burn(0);
  EXPECT_FALSE(noLine);
  const bool rateCommand = !(c.targetLoader == sim::kLoader110);
  for (const uint32_t baud : {9600u, 38400u}) {
    SCOPED_TRACE(baud);
    const auto [fast, line] = burn(baud);
    EXPECT_EQ(fast, ordinary);
    const uint32_t used = rateCommand ? baud : 9600;
    EXPECT_EQ(line, (FastLine{baud, used}));
  }
}

// A fast read fills the images, settings and vectors as the ordinary read does.
TEST(ReadFirmware, AFastReadReadsWhatTheOrdinaryReadReads) {
  for (const sim::Model model :
       {sim::Model::kTransmitter, sim::Model::kReceiver8k, sim::Model::kReceiver16k}) {
    const bool transmitter = model == sim::Model::kTransmitter;
    SCOPED_TRACE(transmitter ? "transmitter" : "receiver");
    Bench b(Config(model));
    auto read = [&](uint32_t fastBaud) {
      b.bench.UseFastTransfer(fastBaud);
      const Outcome outcome = transmitter ? b.bench.NLoadTxPrgClick() : b.bench.NLoadRxPrgClick();
      EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{transmitter ? kTxReadDone : kRxReadDone});
      const FirmwareBuffers &f = b.bench.firmware();
      return std::tuple(transmitter ? *f.TxImage : *f.RxImage, b.editor().Image, f.SingleVectors);
    };
    const auto ordinary = read(0);
    EXPECT_EQ(read(38400), ordinary);
  }
}

// A loader that refuses the faster rate, or a first exchange at it that comes back
// garbled, leaves the transfer at 9600 from a fresh entry: the burn still succeeds and
// says which rate it used.
TEST(WriteFirmware, AFastBurnFallsBackTo9600WhenTheFasterLineFails) {
  const std::pair<const char *, sim::Fault> faults[] = {
      {"refused", {.kind = sim::FaultKind::kRefuse, .request = 0x20, .times = sim::kForever}},
      {"garbled at the new rate", {.kind = sim::FaultKind::kGarbleNewRate, .times = sim::kForever}},
  };
  for (const auto &[name, fault] : faults) {
    SCOPED_TRACE(name);
    Bench b(Config(sim::Model::kTransmitter));
    ReadFrom(b, true);
    b.bench.UseFastTransfer(0);
    Station &ordinary = b.Attach(Config(sim::Model::kTransmitter), true);
    ASSERT_TRUE(b.bench.NWriteTxPrgClick().done);
    const Bytes expected = FlashAfterBurn(ordinary);
    b.Shown();

    b.bench.UseFastTransfer(38400);
    Station &target = b.Attach(Config(sim::Model::kTransmitter), true);
    target.unit.AddFault(fault);
    const Outcome outcome = b.bench.NWriteTxPrgClick();
    EXPECT_TRUE(outcome.done);
    EXPECT_EQ(b.Shown(), std::vector<ShownMessage>{kTxWriteDone});
    EXPECT_EQ(outcome.fastLine, (FastLine{38400, 9600}));
    EXPECT_EQ(FastLineText(*outcome.fastLine), "快速傳輸 9600 bps (38400 bps 未被接受)");
    EXPECT_EQ(FlashAfterBurn(target), expected);
  }
}

TEST(WriteFirmware, FastTransferIsTheFactorysChoiceKeptForTheNextStart) {
  Bench b(Config(sim::Model::kTransmitter));
  EXPECT_TRUE(b.bench.view().visible.at("NFastTransfer"));
  EXPECT_EQ(b.bench.fastBaud(), 0u);
  b.bench.NFastTransferClick();
  EXPECT_EQ(b.bench.fastBaud(), 38400u);
  EXPECT_TRUE(b.bench.view().fastTransfer);
  EXPECT_EQ(b.store.ReadInteger("FastTransfer"), 1);

  for (const bool factory : {true, false}) {
    b.store.WriteBool("Factory", factory);
    testing::ScriptedOperator person;
    Workbench next(b.store, person, b.cable, b.clock, testing::Ventrix(), testing::ToolProductLine());
    next.FormMenuCreate({});
    next.FormMenuShow();
    EXPECT_EQ(next.view().visible.at("NFastTransfer"), factory);
    EXPECT_EQ(next.fastBaud(), factory ? 38400u : 0u) << "only the factory streams";
  }
}

}  // namespace
}  // namespace rilo
