// libFuzzer target for ArrangeDat.
#include <cstring>

#include "formats/fuzz/fuzz_input.h"
#include "formats/ventrix.h"

namespace {

using ventrix::fuzz::Require;

constexpr uint8_t kCanary = 0x5C;

// What the text's labels name, read apart from the parser and generously: a label
// anywhere in the text counts, and a run names its start and every address above it
// up to 0xFFDF.
struct Named {
  bool txVectors = false, rxVectors = false;
  bool rows[2] = {false, false};
  long txStart = 0x10000, rxStart = 0x10000;  // the lowest start of each unit's runs

  explicit Named(const char *text) {
    for (const char *at = text; *at; ++at) {
      txVectors = txVectors || std::strncmp(at, "TX\r", 3) == 0;
      rxVectors = rxVectors || std::strncmp(at, "RX\r", 3) == 0;
      const long address = ventrix::fuzz::AddressLineAt(at);
      if (address < 0) continue;
      if (address >> 8 == 0x10) rows[address < 0x1080 ? 0 : 1] = true;
      if (at - text >= 2 && std::strncmp(at - 2, "TX", 2) == 0 && address < txStart) txStart = address;
      if (at - text >= 2 && std::strncmp(at - 2, "RX", 2) == 0 && address < rxStart) rxStart = address;
    }
  }
};

// A run fills pages 0, 1, 2 ... and the last one is the top page 0xFF60.
void RequireRunShape(uint8_t (*image)[138]) {
  int used = 0;
  while (used < 512 && ventrix::fuzz::Used(image[used]))
    ++used;
  for (int n = used; n < 512; ++n)
    Require(!ventrix::fuzz::Used(image[n]));
  if (used > 0) Require(ventrix::fuzz::PageAddress(image[used - 1]) == 0xFF60);
}

// Every data byte that changed lies from the run's start up to 0xFFDF; pages not used
// are untouched.
void RequireWithinRun(uint8_t (*image)[138], long start) {
  for (int n = 0; n < 512; ++n) {
    const uint8_t *page = image[n];
    if (!ventrix::fuzz::Used(page)) {
      Require(ventrix::fuzz::CanaryFrame(page, kCanary));
      continue;
    }
    Require(start < 0xFFE0);
    for (long j = 0; j < 128; ++j) {
      const long address = ventrix::fuzz::PageAddress(page) + j;
      Require(page[8 + j] == kCanary || (address >= start && address < 0xFFE0));
    }
  }
}

bool Untouched(const uint8_t *bytes, int count) {
  for (int i = 0; i < count; ++i)
    if (bytes[i] != kCanary) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ventrix::fuzz;
  const FuzzText text(data, size);
  static uint8_t txVectors[32], rxVectors[32];
  static uint8_t block[2][128];
  static uint8_t txImage[512][138], rxImage[512][138];
  std::memset(txVectors, kCanary, sizeof txVectors);
  std::memset(rxVectors, kCanary, sizeof rxVectors);
  std::memset(block, kCanary, sizeof block);
  FillCanaryImage(txImage, kCanary);
  FillCanaryImage(rxImage, kCanary);
  const char *rest = ArrangeDat(text.get(), txVectors, rxVectors, block, txImage, rxImage);
  text.CheckResult(rest);
  if (!rest || rest == text.get()) return 0;
  Require(*rest == 'q');
  RequireRunShape(txImage);
  RequireRunShape(rxImage);
  const Named named(text.get());
  Require(named.txVectors || Untouched(txVectors, 32));
  Require(named.rxVectors || Untouched(rxVectors, 32));
  Require(named.rows[0] || Untouched(block[0], 128));
  Require(named.rows[1] || Untouched(block[1], 128));
  RequireWithinRun(txImage, named.txStart);
  RequireWithinRun(rxImage, named.rxStart);
  return 0;
}
