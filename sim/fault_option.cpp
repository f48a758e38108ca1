#include "sim/fault_option.h"

#include <charconv>
#include <string_view>
#include <utility>
#include <vector>

namespace rilo::sim {
namespace {

constexpr std::pair<std::string_view, FaultKind> kKinds[] = {
    {"no-answer", FaultKind::kNoAnswer},
    {"refuse", FaultKind::kRefuse},
    {"garble", FaultKind::kGarble},
    {"late", FaultKind::kLate},
    {"noise", FaultKind::kNoise},
    {"lose-byte", FaultKind::kLoseByte},
    {"flip-bit", FaultKind::kFlipBit},
    {"wrong-length", FaultKind::kWrongLength},
    {"garble-new-rate", FaultKind::kGarbleNewRate},
};
constexpr uint32_t kLateOptionMicros = 300'000;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t from = 0;;) {
    const size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

// The whole of `text` as a number in `base`, no larger than `limit`.
std::optional<uint32_t> Number(std::string_view text, int base, uint32_t limit) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > limit)
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<Fault> ParseFault(const std::string &text) {
  const auto parts = Split(text, ':');
  if (parts.size() > 4) return std::nullopt;
  Fault fault;
  fault.late_micros = kLateOptionMicros;
  bool known = false;
  for (const auto &[name, kind] : kKinds)
    if (parts[0] == name) {
      fault.kind = kind;
      known = true;
    }
  if (!known) return std::nullopt;
  if (parts.size() > 1 && parts[1] != "any") {
    if (parts[1] == "sync") {
      fault.request = kSyncRequest;
    } else {
      const auto code = Number(parts[1], 16, 0xFF);
      if (!code) return std::nullopt;
      fault.request = static_cast<int>(*code);
    }
  }
  if (parts.size() > 2) {
    const auto skip = Number(parts[2], 10, 1'000'000);
    if (!skip) return std::nullopt;
    fault.skip = static_cast<int>(*skip);
  }
  if (parts.size() > 3) {
    if (parts[3] == "forever") {
      fault.times = kForever;
    } else {
      const auto times = Number(parts[3], 10, 1'000'000);
      if (!times) return std::nullopt;
      fault.times = static_cast<int>(*times);
    }
  }
  return fault;
}

std::optional<StuckBitOption> ParseStuckBit(const std::string &text) {
  const auto where = Split(text, ':');
  if (where.size() != 2) return std::nullopt;
  const auto bitAndLevel = Split(where[1], '=');
  if (bitAndLevel.size() != 2) return std::nullopt;
  const auto address = Number(where[0], 16, 0xFFFF);
  const auto bit = Number(bitAndLevel[0], 10, 7);
  const auto level = Number(bitAndLevel[1], 10, 1);
  if (!address || !bit || !level) return std::nullopt;
  return StuckBitOption{*address, static_cast<int>(*bit), *level == 1};
}

}  // namespace rilo::sim
