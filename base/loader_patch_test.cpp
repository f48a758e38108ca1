#include "base/loader_patch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace rilo {
namespace {

uint32_t Rotr(uint32_t x, int n) {
  return x >> n | x << (32 - n);
}

// SHA-256 (FIPS 180-4) in lower-case hex. The tool's own lives above this floor; this
// one only has to agree with sha256sum on one short input.
std::string Sha256Hex(std::span<const uint8_t> data) {
  static constexpr uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
      0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
      0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
      0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
      0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
      0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
      0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
  uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  // The message, a one bit, zeros, and its length in bits, to a multiple of 64 bytes.
  std::vector<uint8_t> m(data.begin(), data.end());
  m.push_back(0x80);
  while (m.size() % 64 != 56)
    m.push_back(0);
  for (int i = 7; i >= 0; --i)
    m.push_back(static_cast<uint8_t>(uint64_t{data.size()} * 8 >> (8 * i)));
  for (size_t block = 0; block < m.size(); block += 64) {
    uint32_t w[64];
    for (int t = 0; t < 16; ++t)
      w[t] = uint32_t{m[block + 4 * t]} << 24 | uint32_t{m[block + 4 * t + 1]} << 16 |
             uint32_t{m[block + 4 * t + 2]} << 8 | m[block + 4 * t + 3];
    for (int t = 16; t < 64; ++t)
      w[t] = w[t - 16] + (Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ w[t - 15] >> 3) + w[t - 7] +
             (Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ w[t - 2] >> 10);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int t = 0; t < 64; ++t) {
      const uint32_t t1 = hh + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[t] + w[t];
      const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      hh = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
    }
    const uint32_t next[8] = {a, b, c, d, e, f, g, hh};
    for (int i = 0; i < 8; ++i)
      h[i] += next[i];
  }
  std::string hex;
  for (uint32_t word : h) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", word);
    hex += part;
  }
  return hex;
}

// The tool sends these bytes and the simulated unit recognises them by the same copy, so
// a slip in them would pass every exchange: they are pinned to the chip maker's listing.
TEST(LoaderPatch, IsThePublishedListingByteForByte) {
  EXPECT_EQ(Sha256Hex(kLoaderPatch), "c54bdb889775da9a89c040f3e5d4e9e8998de4bd49a6330e2a1f318ed7bfeec3");
  EXPECT_EQ(kLoaderPatchAddress, 0x0220);
}

}  // namespace
}  // namespace rilo
