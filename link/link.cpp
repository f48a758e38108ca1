#include "link/link.h"

#include <algorithm>

namespace rilo {
namespace {

constexpr uint32_t kFramePauseMs = 50;

// A data reply that has begun by its deadline is given the wire time of its missing
// bytes plus this much more: the loader's own timeouts are shorter than a 134-byte
// reply takes at 9600 baud, and USB serial adapters hand bytes over in batches up to
// 16 ms apart.
constexpr uint32_t kLateMarginMs = 20;

}  // namespace

bool Link::OpenPort(const std::string &device) {
  device_ = device;
  return Open();
}

bool Link::Open() {
  baud_ = kLoaderBaud;
  state_ = port_.Open(device_) ? PortState::Open : PortState::Unusable;
  trouble_ = state_ == PortState::Open ? PortTrouble::None : port_.Trouble();
  return state_ == PortState::Open;
}

bool Link::Reopen() {
  if (state_ == PortState::NeverOpened) return true;
  // Asking for the waiting bytes is what finds a device that went away since the last
  // exchange: the port closes itself then.
  if (state_ == PortState::Open) port_.BytesWaiting();
  if (state_ == PortState::Open && port_.IsOpen()) return true;
  return Open();
}

void Link::ClosePort() {
  if (state_ != PortState::Open) return;
  port_.Close();
  state_ = PortState::Unusable;
}

void Link::Delay(uint32_t ms) {
  const uint32_t start = clock_.Tick();
  uint32_t elapsed = 0;
  do {
    clock_.Pause(ms - elapsed);
    elapsed = clock_.Tick() - start;
  } while (elapsed < ms);
}

void Link::SendFrame(const uint8_t *bytes, size_t count) {
  if (state_ == PortState::NeverOpened) return;
  Send(bytes, count);
  Delay(kFramePauseMs);
}

void Link::Send(const uint8_t *bytes, size_t count) {
  if (state_ == PortState::NeverOpened) return;
  if (state_ == PortState::Open) port_.PurgeInput();
  ClearReply();
  if (state_ == PortState::Open && !port_.Write(bytes, count)) {
    trouble_ = port_.Trouble();
    ClosePort();
  }
}

bool Link::SetRate(uint32_t baud) {
  if (state_ != PortState::Open || !port_.SetBaudRate(baud)) return false;
  baud_ = baud;
  return true;
}

void Link::SetDtr(bool on) {
  if (state_ == PortState::Open) port_.SetDtr(on);
}

void Link::SetRts(bool on) {
  if (state_ == PortState::Open) port_.SetRts(on);
}

void Link::WaitReply(uint32_t timeoutMs, size_t expected) {
  if (PollFor(timeoutMs, expected)) return;
  size_t waiting = Waiting();
  if (waiting > 0 && waiting < expected) {
    if (PollFor(WireMillis(expected - waiting, baud_) + kLateMarginMs, expected)) return;
    waiting = Waiting();
  }
  ClearReply();
  if (waiting > kReplyCapacity) {
    // Noise, not a reply: drop it and let the caller see nothing received.
    port_.PurgeInput();
    return;
  }
  Take(waiting);
}

bool Link::PollFor(uint32_t ms, size_t expected) {
  const uint32_t start = clock_.Tick();
  for (uint32_t elapsed = 0; elapsed < ms; elapsed = clock_.Tick() - start) {
    ClearReply();
    const size_t waiting = Waiting();
    if (waiting == expected) {
      Take(waiting);
      return true;
    }
    // More than expected can only grow; nothing but the deadline ends this wait now.
    if (waiting > expected)
      clock_.Pause(ms - elapsed);
    else
      clock_.WaitForBytes(port_, expected, ByteMicrosAt(baud_), ms - elapsed);
  }
  return false;
}

size_t Link::Waiting() {
  return state_ == PortState::Open ? port_.BytesWaiting() : 0;
}

void Link::Take(size_t count) {
  size_t got = 0;
  if (state_ == PortState::Open) got = port_.Read(ReplyBuffer.data(), std::min(count, kReplyCapacity));
  ReplyBuffer[got] = 0;
  replyLength_ = got;
}

void Link::ClearReply() {
  std::fill_n(ReplyBuffer.begin(), kReplyCapacity, uint8_t{0});
  replyLength_ = 0;
}

}  // namespace rilo
