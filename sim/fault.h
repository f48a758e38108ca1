// Faults a simulated unit shows on demand, to exercise the host's error paths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rilo::sim {

enum class FaultKind {
  kNoAnswer,       // the request is lost: not carried out, nothing comes back
  kRefuse,         // not carried out, answered 0xA0
  kGarble,         // carried out; every reply byte arrives corrupted
  kLate,           // carried out; the reply starts late_micros later than it would
  kNoise,          // carried out; noise_bytes of line noise come back instead of the reply
  kLoseByte,       // carried out; the reply byte at byte_index never arrives
  kFlipBit,        // carried out; bit 0 of the reply byte at byte_index arrives flipped
  kWrongLength,    // carried out; a data reply's length bytes say one byte less, its check bytes agree
  kGarbleNewRate,  // the first request after a rate change: carried out, its reply corrupted
};

inline constexpr int kAnyRequest = -1;
inline constexpr int kSyncRequest = 0x80;  // the one-byte sync
inline constexpr int kForever = -1;

struct Fault {
  FaultKind kind = FaultKind::kNoAnswer;
  int request = kAnyRequest;  // command code it strikes, kSyncRequest, or any request
  int skip = 0;               // matching requests answered normally first
  int times = 1;              // matching requests struck after those, or kForever
  uint32_t late_micros = 0;
  size_t noise_bytes = 300;
  size_t byte_index = 70;  // a data byte in the middle of a 134-byte data reply
};

}  // namespace rilo::sim
