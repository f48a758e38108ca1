#include "sim/frame_decoder.h"

#include "sim/check_bytes.h"

namespace rilo::sim {
namespace {

bool IsCommand(uint8_t code) {
  switch (code) {
    case 0x10:  // password
    case 0x12:  // block write
    case 0x14:  // block read
    case 0x16:  // segment erase
    case 0x18:  // mass erase
    case 0x1A:  // load program counter
    case 0x1E:  // version query
    case 0x20:  // change baud rate
      return true;
    default:
      return false;
  }
}

// Data bytes of a frame, from its command and length field; 0 for a length the loader
// cannot take. L1 is not used: hosts fill it differently for block writes (4 + n, or
// the whole frame length).
size_t DataBytes(uint8_t command, uint16_t length) {
  if (command == 0x10) return 32;
  if (command == 0x12) return length >= 1 && length <= kMaxBlockBytes ? length : 0;
  return 0;
}

}  // namespace

std::optional<Request> FrameDecoder::Feed(uint8_t byte, uint64_t at) {
  last_ = at;
  switch (state_) {
    case State::kHunt:
      if (byte == 0x80) {
        bytes_.assign(1, byte);
        state_ = State::kHeader;
      }
      return std::nullopt;
    case State::kHeader:
      bytes_.push_back(byte);
      if (!IsCommand(byte)) return Spoilt();
      state_ = State::kBody;
      return std::nullopt;
    case State::kBody:
      break;
    case State::kSkip:
      return std::nullopt;
  }
  bytes_.push_back(byte);
  const size_t size = bytes_.size();
  if (size == 4 && bytes_[2] != bytes_[3]) return Spoilt();
  if (size == 8) {
    const uint8_t command = bytes_[1];
    const size_t data = DataBytes(command, static_cast<uint16_t>(bytes_[6] | bytes_[7] << 8));
    if (command == 0x12 && data == 0) return Spoilt();
    expected_ = 8 + data + 2;
  }
  if (size < 8 || size < expected_) return std::nullopt;
  state_ = State::kHunt;
  Request request{Request::Kind::kFrame, at, std::move(bytes_)};
  bytes_.clear();
  if (!CheckBytesValid(request.bytes)) request.kind = Request::Kind::kMalformed;
  return request;
}

Request FrameDecoder::Spoilt() {
  state_ = State::kSkip;
  Request request{Request::Kind::kMalformed, last_, std::move(bytes_)};
  bytes_.clear();
  return request;
}

std::optional<Request> FrameDecoder::AdvanceTo(uint64_t now) {
  const auto deadline = Deadline();
  if (!deadline || now < *deadline) return std::nullopt;
  const State was = state_;
  state_ = State::kHunt;
  if (was != State::kHeader) {  // a stalled frame is dropped, a skipped stretch is over
    bytes_.clear();
    return std::nullopt;
  }
  Request sync{Request::Kind::kSync, *deadline, std::move(bytes_)};
  bytes_.clear();
  return sync;
}

std::optional<uint64_t> FrameDecoder::Deadline() const {
  switch (state_) {
    case State::kHunt:
      return std::nullopt;
    case State::kHeader:
    case State::kSkip:
      return last_ + kSyncGapMicros;
    case State::kBody:
      return last_ + kFrameStallMicros;
  }
  return std::nullopt;
}

void FrameDecoder::Reset() {
  state_ = State::kHunt;
  bytes_.clear();
}

}  // namespace rilo::sim
