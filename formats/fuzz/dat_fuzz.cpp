// libFuzzer target for ArrangeDat.
#include "formats/fuzz/fuzz_input.h"
#include "formats/ventrix.h"

namespace {

// A run fills pages 0, 1, 2 ... and the last one is the top page 0xFF60.
void RequireRunShape(uint8_t (*image)[138]) {
  int used = 0;
  while (used < 512 && !(image[used][4] == 0xFF && image[used][5] == 0xFF))
    ++used;
  for (int n = used; n < 512; ++n)
    ventrix::fuzz::Require(image[n][4] == 0xFF && image[n][5] == 0xFF);
  if (used > 0) ventrix::fuzz::Require(image[used - 1][4] == 0x60 && image[used - 1][5] == 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ventrix::fuzz;
  const FuzzText text(data, size);
  static uint8_t txVectors[32], rxVectors[32];
  static uint8_t block[2][128];
  static uint8_t txImage[512][138], rxImage[512][138];
  for (auto *image : {txImage, rxImage}) {
    for (int n = 0; n < 512; ++n) {
      std::memset(image[n], 0xFF, 136);
      image[n][136] = image[n][137] = 0;
    }
  }
  const char *rest = ArrangeDat(text.get(), txVectors, rxVectors, block, txImage, rxImage);
  text.CheckResult(rest);
  if (!rest || rest == text.get()) return 0;
  Require(*rest == 'q');
  RequireRunShape(txImage);
  RequireRunShape(rxImage);
  return 0;
}
