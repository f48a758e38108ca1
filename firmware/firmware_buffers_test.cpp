#include "firmware/firmware_buffers.h"

#include <gtest/gtest.h>

#include "core/testing/test_ventrix.h"

namespace rilo {
namespace {

using testing::Ventrix;

TEST(FirmwareBuffers, StartWithEveryPageUnusedAndVectorsZero) {
  FirmwareBuffers buffers;
  for (auto *image : {buffers.ReadImage.get(), buffers.TxImage.get(), buffers.RxImage.get(),
                      buffers.SingleImage.get(), buffers.BurnImage.get()}) {
    for (const auto &page : *image) {
      ASSERT_FALSE(IsUsed(page));
      EXPECT_EQ(page[135], 0xFF);
      EXPECT_EQ(page[136], 0);
      EXPECT_EQ(page[137], 0);
    }
  }
  EXPECT_EQ(buffers.TxVectors, VectorTable{});
}

TEST(FirmwareBuffers, RefreshFixesStaleCheckBytesOfUsedPagesOnly) {
  auto api = Ventrix();
  FirmwareBuffers buffers;
  FirmwareImage &image = *buffers.TxImage;
  SetPageHeader(image[0], 0xF000);
  image[0][8] = 0x12;  // changed data, stale check bytes
  image[0][136] = 0xAB;
  image[1][136] = 0x55;  // an unused page keeps whatever it holds
  RefreshCheckBytes(image, api);

  PageFrame expected = image[0];
  expected[136] = expected[137] = 0;
  api.CheckSum(expected.data(), kPageSize);
  EXPECT_EQ(image[0], expected);
  uint8_t even = 0, odd = 0;
  for (int i = 0; i < 136; ++i)
    (i % 2 ? odd : even) ^= image[0][i];
  EXPECT_EQ(image[0][136], static_cast<uint8_t>(~even));
  EXPECT_EQ(image[0][137], static_cast<uint8_t>(~odd));
  EXPECT_EQ(image[1][136], 0x55);
}

TEST(FirmwareBuffers, FindPageScansByAddress) {
  FirmwareBuffers buffers;
  EXPECT_EQ(FindPage(*buffers.SingleImage, 0xFF60), nullptr);
  SetPageHeader((*buffers.SingleImage)[7], 0xFF60);
  EXPECT_EQ(FindPage(*buffers.SingleImage, 0xFF60), &(*buffers.SingleImage)[7]);
}

}  // namespace
}  // namespace rilo
