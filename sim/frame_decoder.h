// How the simulated loader cuts the byte stream from the host into requests: the lone
// sync byte 0x80, or a frame 80 CMD L1 L2 AL AH LL LH, data, CKL CKH. The sync and a
// frame's header are the same byte, so a 0x80 that no command byte follows within
// kSyncGapMicros is taken as a sync; frame bytes follow each other without a pause.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace rilo::sim {

inline constexpr uint64_t kSyncGapMicros = 3000;      // about three byte times of silence
inline constexpr uint64_t kFrameStallMicros = 20000;  // a frame stalled this long is dropped
inline constexpr size_t kMaxBlockBytes = 250;         // the loader's largest data block

struct Request {
  enum class Kind { kSync, kFrame, kMalformed };
  Kind kind = Kind::kSync;
  // When the unit knew it had the whole request: the arrival of a frame's last byte,
  // or the end of the silence that made a 0x80 a sync.
  uint64_t at = 0;
  std::vector<uint8_t> bytes;  // as received; a malformed frame up to where it went wrong

  uint8_t command() const { return bytes.size() > 1 ? bytes[1] : 0x80; }
  uint16_t address() const { return static_cast<uint16_t>(bytes[4] | bytes[5] << 8); }
  uint16_t length() const { return static_cast<uint16_t>(bytes[6] | bytes[7] << 8); }
  const uint8_t *data() const { return bytes.data() + 8; }
  size_t data_size() const { return bytes.size() - 10; }
};

class FrameDecoder {
 public:
  // Takes one byte that arrived at `at`; callers have let time pass to `at` first.
  // Answers the request the byte completes or spoils, if any. A spoilt frame (unknown
  // command, L1 unlike L2, a block length the loader cannot take, wrong check bytes)
  // is answered as malformed; the loader then ignores the line until it falls silent.
  std::optional<Request> Feed(uint8_t byte, uint64_t at);

  // Lets time pass to `now`: answers the sync that a silence completes, if any.
  std::optional<Request> AdvanceTo(uint64_t now);

  // The next moment time alone would change the decoder's state.
  std::optional<uint64_t> Deadline() const;

  void Reset();

 private:
  enum class State { kHunt, kHeader, kBody, kSkip };

  Request Spoilt();

  State state_ = State::kHunt;
  std::vector<uint8_t> bytes_;
  size_t expected_ = 0;  // whole frame length, once the length field is in
  uint64_t last_ = 0;    // arrival of the last byte taken
};

}  // namespace rilo::sim
