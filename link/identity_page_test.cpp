// The identity page update against the simulated unit: the top segment is erased only
// when serial number or date differ, and everything but the vector area comes back.
#include <gtest/gtest.h>

#include "core/conversion.h"
#include "link/testing/wired_unit.h"

namespace rilo {
namespace {

using testing::Standard;
using testing::Wired;

constexpr uint16_t kTop = 0xFE00;

std::vector<uint8_t> TopSegment(const sim::Unit &unit) {
  const auto bytes = unit.memory().Bytes(kTop, 512);
  return {bytes.begin(), bytes.end()};
}

bool SentTopErase(const sim::Unit &unit) {
  for (const auto &r : unit.requests())
    if (r.kind == sim::Request::Kind::kFrame && r.command() == 0x16 && r.address() == kTop) return true;
  return false;
}

TEST(IdentityPage, UnchangedIdentitySendsNoErase) {
  Wired w(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  const auto before = TopSegment(w.unit);
  ASSERT_TRUE(w.loader.UpdateIdentityPage(kTop, " 00012345 ", "2024/05/17"));
  EXPECT_EQ(w.loader.IdentityUnchanged, 1);
  EXPECT_EQ(w.person.progress, 512);
  EXPECT_FALSE(SentTopErase(w.unit));
  EXPECT_EQ(TopSegment(w.unit), before);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(PageAddress(w.loader.SavedTopPages[i]), kTop + 0x80 * i);
}

struct ChangeCase {
  const char *name;
  sim::Model model;  // the 16 KB receiver runs loader 1.10, restored through the patch
  std::string machineType;
  uint8_t marker;
};

class IdentityChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(IdentityChange, ErasesRewritesAndRestoresTheTopSegment) {
  const ChangeCase &c = GetParam();
  Wired w(Standard(c.model));
  w.machineType = c.machineType;
  ASSERT_TRUE(w.loader.ConnectDevice());
  const auto before = TopSegment(w.unit);

  // Same serial number, a new date.
  ASSERT_TRUE(w.loader.UpdateIdentityPage(kTop, "00012345", "2026/01/05"));
  EXPECT_EQ(w.loader.IdentityUnchanged, 0);
  EXPECT_TRUE(SentTopErase(w.unit));
  ASSERT_TRUE(w.loader.RestoreTopPages());
  EXPECT_TRUE(w.person.shown.empty());

  auto expected = before;
  const int info = 0xFF60 - kTop;
  expected[info + 121] = 26;
  expected[info + 122] = 1;
  expected[info + 123] = 5;
  expected[info + 124] = c.marker;
  std::fill(expected.begin() + (0xFFE0 - kTop), expected.end(), 0xFF);  // written by the firmware write only
  EXPECT_EQ(TopSegment(w.unit), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Units, IdentityChange,
    ::testing::Values(ChangeCase{"Rx8kNoPatchQ12", sim::Model::kReceiver8k, "12", 0xAA},
                      ChangeCase{"Rx16kPatchQ10MarkerRewritten", sim::Model::kReceiver16k, "10", 0xAC},
                      ChangeCase{"TxTypeTakenFromMarker", sim::Model::kTransmitter, "", 0xAA}),
    [](const auto &p) { return std::string(p.param.name); });

TEST(IdentityPage, TextsThatAreNoNumbersStopBeforeTheErase) {
  for (auto [serial, date] : {std::pair{"12G12345", "2026/01/05"}, std::pair{"12012345", "20  /  /"},
                              std::pair{"1201", "2026/01/05"}}) {
    Wired w(Standard(sim::Model::kReceiver8k));
    ASSERT_TRUE(w.loader.ConnectDevice());
    EXPECT_THROW(w.loader.UpdateIdentityPage(kTop, serial, date), ConversionError) << serial << " " << date;
    EXPECT_FALSE(SentTopErase(w.unit));
  }
}

TEST(IdentityPage, AFailedPageReadStopsBeforeTheErase) {
  Wired w(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  w.unit.AddFault({.kind = sim::FaultKind::kNoAnswer, .request = 0x14, .skip = 1, .times = 1});
  EXPECT_FALSE(w.loader.UpdateIdentityPage(kTop, "00012345", "2026/01/05"));
  EXPECT_FALSE(SentTopErase(w.unit));
}

TEST(IdentityPage, RestoreRefusedTellsThePerson) {
  Wired w(Standard(sim::Model::kReceiver8k));
  w.machineType = "12";
  ASSERT_TRUE(w.loader.ConnectDevice());
  ASSERT_TRUE(w.loader.UpdateIdentityPage(kTop, "00012345", "2026/01/05"));
  w.unit.PullCableAfter(3);
  EXPECT_FALSE(w.loader.RestoreTopPages());
  ASSERT_FALSE(w.person.shown.empty());
  EXPECT_EQ(w.person.shown.back(),
            (testing::ShownMessage{"寫入設定錯誤", "寫入設定錯誤,請再試一次", Icon::Error, false}));
}

}  // namespace
}  // namespace rilo
