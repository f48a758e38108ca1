#include "sim/unit.h"

#include <algorithm>
#include <utility>

#include "base/clock.h"
#include "sim/check_bytes.h"

namespace rilo::sim {
namespace {

constexpr uint8_t kGarbleMask = 0x5A;

// What a UART makes of a byte sent at another rate: a different byte (framing errors
// aside), never the one sent.
uint8_t AtWrongRate(uint8_t byte) {
  return byte ^ kGarbleMask;
}

bool Strikes(const Fault &fault, int index) {
  return index >= fault.skip && (fault.times == kForever || index < fault.skip + fault.times);
}

}  // namespace

Unit::Unit(const UnitConfig &config)
    : config_(config),
      memory_(FactoryMemory(config)),
      loader_(memory_, config.loader),
      mode_(config.entry == Entry::kFirstSync ? Mode::kProgram : Mode::kReset) {}

bool Unit::starts() const {
  constexpr uint32_t kResetVector = 0xFFFE;
  constexpr uint32_t kVectorsStart = 0xFFE0;
  const uint32_t target = memory_.At(kResetVector) | memory_.At(kResetVector + 1) << 8;
  return target >= kMainFlashStart && target < kVectorsStart;
}

void Unit::SetDtr(bool on, uint64_t at) {
  AdvanceTo(at);
  if (cable_pulled() || config_.entry == Entry::kFirstSync || on == dtr_) return;
  dtr_ = on;
  if (!on) {  // held in reset: the UART stops mid-reply, the count of pulses starts over
    mode_ = Mode::kReset;
    entry_pulses_ = 0;
    ResetRate();
    decoder_.Reset();
    while (!sending_.empty() && sending_.back().done > at)
      sending_.pop_back();
    uart_free_ = std::min(uart_free_, at);
    return;
  }
  const bool entry_pin = rts_ != config_.rts_inverted;
  if (entry_pulses_ >= 2 && !entry_pin) {
    loader_.Restart();
    mode_ = Mode::kLoader;
  } else {
    mode_ = Mode::kProgram;
  }
}

void Unit::SetRts(bool on, uint64_t at) {
  AdvanceTo(at);
  if (cable_pulled() || config_.entry == Entry::kFirstSync || on == rts_) return;
  const bool pin_was = rts_ != config_.rts_inverted;
  rts_ = on;
  const bool pin = rts_ != config_.rts_inverted;
  if (mode_ == Mode::kReset && pin_was && !pin) ++entry_pulses_;
}

void Unit::ResetRate() {
  baud_ = kLoaderBaud;
  skewed_ = false;
  rate_just_changed_ = false;
}

void Unit::HostRate(uint32_t baud, uint64_t at) {
  AdvanceTo(at);
  if (config_.entry != Entry::kFirstSync || baud != kLoaderBaud || (baud_ == kLoaderBaud && !skewed_)) return;
  ResetRate();
  loader_.Restart();
}

void Unit::ByteArrived(uint8_t byte, uint64_t at, uint32_t baud) {
  AdvanceTo(at);
  if (cable_pulled() || mode_ == Mode::kReset) return;
  if (baud != baud_ || skewed_) byte = AtWrongRate(byte);
  // A running program ignores the line; on a pseudo-terminal a sync starts the loader.
  if (mode_ == Mode::kProgram && config_.entry == Entry::kLinePattern) return;
  if (auto request = decoder_.Feed(byte, at)) Handle(*request);
}

void Unit::AdvanceTo(uint64_t now) {
  if (auto request = decoder_.AdvanceTo(now)) Handle(*request);
}

void Unit::TakeSent(uint64_t now, std::vector<uint8_t> &out, uint32_t baud) {
  while (!sending_.empty() && sending_.front().done <= now) {
    const SentByte &sent = sending_.front();
    out.push_back(sent.baud != baud || sent.skewed ? AtWrongRate(sent.byte) : sent.byte);
    sending_.pop_front();
  }
}

std::optional<uint64_t> Unit::NextEventAt() const {
  auto next = decoder_.Deadline();
  if (!sending_.empty() && (!next || sending_.front().done < *next)) next = sending_.front().done;
  return next;
}

void Unit::Handle(const Request &request) {
  if (mode_ != Mode::kLoader) {
    if (config_.entry != Entry::kFirstSync || request.kind != Request::Kind::kSync) return;
    loader_.Restart();
    mode_ = Mode::kLoader;
  }
  requests_.push_back(request);
  const auto fault = StrikingFault(request, std::exchange(rate_just_changed_, false));
  Loader::Outcome outcome;
  if (!fault || (fault->kind != FaultKind::kNoAnswer && fault->kind != FaultKind::kRefuse))
    outcome = loader_.Answer(request);
  uint64_t from = request.at + outcome.busy_micros;
  if (fault) {
    switch (fault->kind) {
      case FaultKind::kNoAnswer:
        break;
      case FaultKind::kRefuse:
        outcome.reply = {kNak};
        break;
      case FaultKind::kGarble:
      case FaultKind::kGarbleNewRate:
        for (auto &byte : outcome.reply)
          byte ^= kGarbleMask;
        break;
      case FaultKind::kLate:
        from += fault->late_micros;
        break;
      case FaultKind::kNoise:
        outcome.reply.clear();
        for (size_t i = 0; i < fault->noise_bytes; ++i) {
          noise_state_ ^= noise_state_ << 13;
          noise_state_ ^= noise_state_ >> 17;
          noise_state_ ^= noise_state_ << 5;
          outcome.reply.push_back(static_cast<uint8_t>(noise_state_));
        }
        break;
      case FaultKind::kLoseByte:
        if (fault->byte_index < outcome.reply.size())
          outcome.reply.erase(outcome.reply.begin() + static_cast<std::ptrdiff_t>(fault->byte_index));
        break;
      case FaultKind::kFlipBit:
        if (fault->byte_index < outcome.reply.size()) outcome.reply[fault->byte_index] ^= 0x01;
        break;
      case FaultKind::kWrongLength:
        if (outcome.reply.size() > 4) {
          auto &reply = outcome.reply;
          reply[2] = reply[3] = static_cast<uint8_t>(reply[2] - 1);
          const auto check = CheckBytesOf(std::span(reply).first(reply.size() - 2));
          reply.end()[-2] = check[0];
          reply.end()[-1] = check[1];
        }
        break;
    }
  }
  Send(outcome.reply, from);
  if (outcome.rate) {  // the reply went out at the old rate; what follows, at the new
    baud_ = outcome.rate->baud;
    skewed_ = outcome.rate->skewed;
    rate_just_changed_ = true;
  }
  if (outcome.leaves_loader) mode_ = Mode::kProgram;
  if (cable_left_ > 0) --cable_left_;
}

std::optional<Fault> Unit::StrikingFault(const Request &request, bool first_at_new_rate) {
  const int code = request.kind == Request::Kind::kSync ? kSyncRequest : request.command();
  std::optional<Fault> striking;
  for (auto &active : faults_) {
    if (active.fault.request != kAnyRequest && active.fault.request != code) continue;
    if (active.fault.kind == FaultKind::kGarbleNewRate && !first_at_new_rate) continue;
    if (Strikes(active.fault, active.seen++) && !striking) striking = active.fault;
  }
  return striking;
}

void Unit::Send(const std::vector<uint8_t> &bytes, uint64_t from) {
  if (bytes.empty()) return;
  uint64_t t = std::max(from, uart_free_);
  for (uint8_t byte : bytes) {
    t += ByteMicrosAt(baud_);
    sending_.push_back({byte, t, baud_, skewed_});
  }
  uart_free_ = t;
}

}  // namespace rilo::sim
