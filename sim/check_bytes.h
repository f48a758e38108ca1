// The loader's two check bytes, computed here independently of the tool so that a
// fault in either cannot hide in both: the first is the inverted XOR of the bytes at
// even offsets, the second that of the bytes at odd offsets, over all but the last two.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace rilo::sim {

// Check bytes for a frame whose bytes before the check bytes are `body`.
inline std::array<uint8_t, 2> CheckBytesOf(std::span<const uint8_t> body) {
  uint8_t even = 0, odd = 0;
  for (size_t i = 0; i < body.size(); ++i)
    (i % 2 == 0 ? even : odd) ^= body[i];
  return {static_cast<uint8_t>(~even), static_cast<uint8_t>(~odd)};
}

// True when the last two bytes of `frame` (at least 2 bytes long) are its check bytes.
inline bool CheckBytesValid(std::span<const uint8_t> frame) {
  const auto expected = CheckBytesOf(frame.first(frame.size() - 2));
  return frame[frame.size() - 2] == expected[0] && frame[frame.size() - 1] == expected[1];
}

}  // namespace rilo::sim
