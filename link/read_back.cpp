#include "link/read_back.h"

#include <algorithm>

namespace rilo {

std::optional<uint16_t> FirstDifference(uint16_t address, std::span<const uint8_t> written,
                                        std::span<const uint8_t> readBack) {
  const size_t common = std::min(written.size(), readBack.size());
  const auto differs = std::mismatch(written.begin(), written.begin() + common, readBack.begin());
  const size_t at = static_cast<size_t>(differs.first - written.begin());
  if (at == common && written.size() == readBack.size()) return std::nullopt;
  return static_cast<uint16_t>((address + at) & 0xFFFF);
}

}  // namespace rilo
