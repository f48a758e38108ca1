// libFuzzer target for ArrangeTxt.
#include <bitset>

#include "formats/fuzz/fuzz_input.h"
#include "formats/ventrix.h"

namespace {

using ventrix::fuzz::Require;

constexpr uint8_t kCanary = 0x5C;

// What the text's sections name, read apart from the parser and generously: every
// address line anywhere begins a section, which names its start and, from there, as
// many addresses as half the hexadecimal digits before the next "@" or "q".
struct Named {
  std::bitset<0x10000> bytes;   // addresses some section gives a byte
  std::bitset<0x10000> starts;  // addresses some section begins at

  explicit Named(const char *text) {
    for (const char *at = text; *at; ++at) {
      const long address = ventrix::fuzz::AddressLineAt(at);
      if (address < 0) continue;
      starts[static_cast<size_t>(address)] = true;
      long digits = 0;
      for (const char *d = at + 7; *d && *d != '@' && *d != 'q'; ++d)
        digits += ventrix::fuzz::HexNumber(d, 1) >= 0;
      for (long a = address; a < address + (digits + 1) / 2 && a < 0x10000; ++a)
        bytes[static_cast<size_t>(a)] = true;
    }
  }
  bool Byte(unsigned address) const { return address < 0x10000 && bytes[address]; }
};

// Pages are taken in order, and every used one carries valid check bytes.
void RequirePagesInOrder(uint8_t (*image)[138]) {
  bool unusedSeen = false;
  for (int n = 0; n < 512; ++n) {
    const uint8_t *page = image[n];
    if (!ventrix::fuzz::Used(page)) {
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
}

// Every byte that changed lies at an address the text names, and every page begun
// holds such an address or a section's start.
void RequireOnlyNamedChanged(const Named &named, const uint8_t *vectors, const uint8_t (*block)[128],
                             uint8_t (*image)[138]) {
  for (unsigned i = 0; i < 32; ++i)
    Require(vectors[i] == kCanary || named.Byte(0xFFE0 + i));
  for (unsigned i = 0; i < 256; ++i)
    Require(block[i / 128][i % 128] == kCanary || named.Byte(0x1000 + i));
  for (int n = 0; n < 512; ++n) {
    const uint8_t *page = image[n];
    if (!ventrix::fuzz::Used(page)) {
      Require(ventrix::fuzz::CanaryFrame(page, kCanary));
      continue;
    }
    const unsigned address = ventrix::fuzz::PageAddress(page);
    bool holdsNamed = false;
    for (unsigned j = 0; j < 128; ++j) {
      const unsigned a = address + j;
      holdsNamed = holdsNamed || named.Byte(a) || (a < 0x10000 && named.starts[a]);
      Require(page[8 + j] == kCanary || named.Byte(a));
    }
    Require(holdsNamed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ventrix::fuzz;
  const FuzzText text(data, size);
  static uint8_t vectors[32];
  static uint8_t block[2][128];
  static uint8_t image[512][138];
  std::memset(vectors, kCanary, sizeof vectors);
  std::memset(block, kCanary, sizeof block);
  FillCanaryImage(image, kCanary);
  const char *rest = ArrangeTxt(text.get(), vectors, block, image);
  text.CheckResult(rest);
  if (!rest || rest == text.get()) return 0;
  Require(*rest == 'q');
  RequirePagesInOrder(image);
  RequireOnlyNamedChanged(Named(text.get()), vectors, block, image);
  return 0;
}
