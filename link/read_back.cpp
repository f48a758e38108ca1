#include "link/read_back.h"

#include <algorithm>
#include <cstdio>

namespace rilo {

bool MatchesReadBack(Operator &person, const std::string &caption, uint16_t address,
                     std::span<const uint8_t> written, std::span<const uint8_t> readBack) {
  const size_t common = std::min(written.size(), readBack.size());
  const auto differs = std::mismatch(written.begin(), written.begin() + common, readBack.begin());
  const size_t at = static_cast<size_t>(differs.first - written.begin());
  if (at == common && written.size() == readBack.size()) return true;
  char text[96];
  std::snprintf(text, sizeof text, "寫入後驗證失敗,位址 0x%04X 的資料不符!!",
                static_cast<unsigned>((address + at) & 0xFFFF));
  person.Message(caption, text, Icon::Error);
  return false;
}

}  // namespace rilo
