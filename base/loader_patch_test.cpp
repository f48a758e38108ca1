#include "base/loader_patch.h"

#include <gtest/gtest.h>

#include <string_view>

#include "base/sha256.h"

namespace rilo {
namespace {

// The tool sends these bytes and the simulated unit recognises them by the same copy, so
// a slip in them would pass every exchange: they are pinned to the chip maker's listing.
TEST(LoaderPatch, IsThePublishedListingByteForByte) {
  EXPECT_EQ(
      Sha256Hex(std::string_view(reinterpret_cast<const char *>(kLoaderPatch.data()), kLoaderPatch.size())),
      "c54bdb889775da9a89c040f3e5d4e9e8998de4bd49a6330e2a1f318ed7bfeec3");
  EXPECT_EQ(kLoaderPatchAddress, 0x0220);
}

}  // namespace
}  // namespace rilo
