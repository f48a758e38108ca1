// libFuzzer target for ArrangeRilo.
#include "formats/fuzz/fuzz_input.h"
#include "formats/ventrix.h"

namespace {

using ventrix::fuzz::Require;

// After the last pair: the text's end, or a line end and "q" or the end (one space
// may stand first).
void RequireRowEnd(const char *rest) {
  if (*rest == ' ') ++rest;
  if (*rest == '\0') return;
  Require(rest[0] == '\r');
  if (rest[1] == '\0') return;
  Require(rest[2] == 'q' || rest[2] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ventrix::fuzz;
  const FuzzText text(data, size);
  // Two parses into buffers holding different canaries: a file that is taken names
  // the whole of row 1, so nothing of either canary may show through there.
  static uint8_t block[2][128], other[2][128];
  std::memset(block, 0xA5, sizeof block);
  std::memset(other, 0x5A, sizeof other);
  const char *rest = ArrangeRilo(text.get(), block);
  text.CheckResult(rest);
  Require(ArrangeRilo(text.get(), other) == rest);
  for (int i = 0; i < 128; ++i)
    Require(block[0][i] == 0xA5 && other[0][i] == 0x5A);  // row 0 is never written
  if (rest == text.get())
    for (uint8_t b : block[1])
      Require(b == 0xA5);
  if (!rest || rest == text.get()) return 0;
  Require(std::memcmp(block[1], other[1], 128) == 0);
  RequireRowEnd(rest);
  return 0;
}
