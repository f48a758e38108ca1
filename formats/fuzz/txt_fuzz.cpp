// libFuzzer target for ArrangeTxt.
#include "formats/fuzz/fuzz_input.h"
#include "formats/ventrix.h"

namespace {

bool Used(const uint8_t *page) {
  return !(page[4] == 0xFF && page[5] == 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ventrix::fuzz;
  const FuzzText text(data, size);
  static uint8_t vectors[32];
  static uint8_t block[2][128];
  static uint8_t image[512][138];
  std::memset(vectors, 0, sizeof vectors);
  std::memset(block, 0, sizeof block);
  for (auto &page : image) {
    std::memset(page, 0xFF, 136);
    page[136] = page[137] = 0;
  }
  const char *rest = ArrangeTxt(text.get(), vectors, block, image);
  text.CheckResult(rest);
  if (!rest || rest == text.get()) return 0;
  Require(*rest == 'q');
  // Pages are taken in order, and every used one carries valid check bytes.
  bool unusedSeen = false;
  for (auto &page : image) {
    if (!Used(page)) {
      unusedSeen = true;
      continue;
    }
    Require(!unusedSeen);
    uint8_t copy[138];
    std::memcpy(copy, page, 136);
    copy[136] = copy[137] = 0;
    CheckSum(copy, 138);
    Require(copy[136] == page[136] && copy[137] == page[137]);
  }
  return 0;
}
