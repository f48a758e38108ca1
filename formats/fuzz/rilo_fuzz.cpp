// libFuzzer target for ArrangeRilo.
#include "formats/fuzz/fuzz_input.h"
#include "formats/ventrix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ventrix::fuzz;
  const FuzzText text(data, size);
  static uint8_t block[2][128];
  std::memset(block, 0xA5, sizeof block);
  const char *rest = ArrangeRilo(text.get(), block);
  text.CheckResult(rest);
  for (uint8_t b : block[0])
    Require(b == 0xA5);  // row 0 is never written
  if (rest == text.get())
    for (uint8_t b : block[1])
      Require(b == 0xA5);
  return 0;
}
