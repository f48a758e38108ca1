// The identity page update against the simulated unit: the top segment is erased only
// when serial number or date differ, and everything but the vector area comes back.
#include <gtest/gtest.h>

#include "link/testing/wired_unit.h"

namespace rilo {
namespace {

using testing::Standard;
using testing::Wired;

constexpr uint16_t kTop = 0xFE00;

// The identity page's form of a serial number's eight digits and a date.
IdentityFields Fields(const char *serial, uint8_t year, uint8_t month, uint8_t day) {
  IdentityFields fields;
  for (int i = 0; i < 8; ++i)
    fields.serial[i] = testing::Ventrix().DeHamming(static_cast<uint8_t>(serial[i] - '0'));
  fields.date = {year, month, day};
  return fields;
}

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
  EXPECT_EQ(w.loader.PrepareIdentityPage(Fields("00012345", 24, 5, 17)), Loader::IdentityUpdate::Unchanged);
  EXPECT_EQ(w.loader.IdentityUnchanged, 1);
  EXPECT_FALSE(SentTopErase(w.unit));
  EXPECT_EQ(TopSegment(w.unit), before);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(PageAddress(w.loader.SavedTopPages[i]), kTop + 0x80 * i);
}

struct ChangeCase {
  const char *name;
  sim::Model model;  // the 16 KB receiver runs loader 1.10, restored through the patch
  uint8_t marker;    // 0: the page keeps its own
};

class IdentityChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(IdentityChange, ErasesRewritesAndRestoresTheTopSegment) {
  const ChangeCase &c = GetParam();
  Wired w(Standard(c.model));
  ASSERT_TRUE(w.loader.ConnectDevice());
  const auto before = TopSegment(w.unit);

  // Same serial number, a new date.
  ASSERT_EQ(w.loader.PrepareIdentityPage(Fields("00012345", 26, 1, 5)), Loader::IdentityUpdate::Prepared);
  ASSERT_TRUE(w.loader.EraseTopSegment(kTop));
  EXPECT_EQ(w.loader.IdentityUnchanged, 0);
  EXPECT_TRUE(SentTopErase(w.unit));
  ASSERT_TRUE(w.loader.RestoreTopPages(c.marker));

  auto expected = before;
  const int info = 0xFF60 - kTop;
  expected[info + 121] = 26;
  expected[info + 122] = 1;
  expected[info + 123] = 5;
  if (c.marker != 0) expected[info + 124] = c.marker;
  std::fill(expected.begin() + (0xFFE0 - kTop), expected.end(), 0xFF);  // written by the firmware write only
  EXPECT_EQ(TopSegment(w.unit), expected);
}

INSTANTIATE_TEST_SUITE_P(Units, IdentityChange,
                         ::testing::Values(ChangeCase{"Rx8kNoPatchQ12", sim::Model::kReceiver8k, 0xAA},
                                           ChangeCase{"Rx16kPatchQ10MarkerRewritten",
                                                      sim::Model::kReceiver16k, 0xAC},
                                           ChangeCase{"TxMarkerKept", sim::Model::kTransmitter, 0}),
                         [](const auto &p) { return std::string(p.param.name); });

TEST(IdentityPage, AFailedPageReadStopsBeforeTheErase) {
  Wired w(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  w.unit.AddFault({.kind = sim::FaultKind::kNoAnswer, .request = 0x14, .skip = 1, .times = 1});
  EXPECT_EQ(w.loader.PrepareIdentityPage(Fields("00012345", 26, 1, 5)), Loader::IdentityUpdate::NotRead);
  EXPECT_FALSE(SentTopErase(w.unit));
}

TEST(IdentityPage, ARestoreCutOffIsNotTaken) {
  Wired w(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  ASSERT_EQ(w.loader.PrepareIdentityPage(Fields("00012345", 26, 1, 5)), Loader::IdentityUpdate::Prepared);
  ASSERT_TRUE(w.loader.EraseTopSegment(kTop));
  w.unit.PullCableAfter(3);
  EXPECT_EQ(w.loader.RestoreTopPages(0xAA).ending, Written::Ending::NotTaken);
}

TEST(IdentityPage, ARestoredPageThatReadsBackDifferentIsNamedByItsAddress) {
  Wired w(Standard(sim::Model::kReceiver8k));
  ASSERT_TRUE(w.loader.ConnectDevice());
  ASSERT_EQ(w.loader.PrepareIdentityPage(Fields("00012345", 26, 1, 5)), Loader::IdentityUpdate::Prepared);
  ASSERT_TRUE(w.loader.EraseTopSegment(kTop));
  // A worn cell: bit 0 of 0xFE05 holds the level its saved byte does not have.
  const bool level = (w.loader.SavedTopPages[0][8 + 5] & 1) == 0;
  w.unit.memory().StickBit(0xFE05, 0, level);
  const Written restored = w.loader.RestoreTopPages(0xAA);
  EXPECT_EQ(restored.ending, Written::Ending::Differs);
  EXPECT_EQ(restored.differsAt, 0xFE05);
}

}  // namespace
}  // namespace rilo
