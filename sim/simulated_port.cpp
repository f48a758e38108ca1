#include "sim/simulated_port.h"

#include <algorithm>

namespace rilo::sim {

bool SimulatedPort::Open(const std::string &) {
  trouble_ = open_trouble_;
  if (trouble_ != PortTrouble::None) return false;
  open_ = true;
  baud_ = kLoaderBaud;
  received_.clear();
  Record(PortEvent::Kind::kOpen);
  unit_.HostRate(baud_, clock_.NowMicros());
  return true;
}

void SimulatedPort::Close() {
  if (!open_) return;
  open_ = false;
  Record(PortEvent::Kind::kClose);
}

void SimulatedPort::PurgeInput() {
  if (!open_) return;
  CatchUp();
  received_.clear();  // bytes still on the wire arrive later, as on a real line
  Record(PortEvent::Kind::kPurge);
}

bool SimulatedPort::Write(const uint8_t *data, size_t count) {
  if (!open_) return false;
  CatchUp();
  if (stalled_) {
    clock_.AdvanceMicros(uint64_t{WriteDeadlineMs(count)} * 1000);
    CatchUp();
    trouble_ = PortTrouble::NotSending;
    return false;
  }
  trouble_ = PortTrouble::None;
  Record(PortEvent::Kind::kWrite, std::vector<uint8_t>(data, data + count));
  const uint64_t start = clock_.NowMicros();
  const uint64_t byte = ByteMicrosAt(baud_);
  for (size_t i = 0; i < count; ++i)
    unit_.ByteArrived(data[i], start + (i + 1) * byte, baud_);
  clock_.AdvanceMicros(count * byte);
  CatchUp();
  return true;
}

size_t SimulatedPort::BytesWaiting() {
  if (!open_) return 0;
  CatchUp();
  return received_.size();
}

size_t SimulatedPort::Read(uint8_t *into, size_t count) {
  if (!open_) return 0;
  CatchUp();
  const size_t n = std::min(count, received_.size());
  std::copy_n(received_.begin(), n, into);
  received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

void SimulatedPort::SetDtr(bool on) {
  if (!open_) return;
  CatchUp();
  Record(PortEvent::Kind::kDtr, {}, on);
  unit_.SetDtr(on, clock_.NowMicros());
}

void SimulatedPort::SetRts(bool on) {
  if (!open_) return;
  CatchUp();
  Record(PortEvent::Kind::kRts, {}, on);
  unit_.SetRts(on, clock_.NowMicros());
}

bool SimulatedPort::SetBaudRate(uint32_t baud) {
  if (!open_) return false;
  CatchUp();
  baud_ = baud;
  events_.push_back({PortEvent::Kind::kBaud, clock_.NowMicros(), {}, false, baud});
  unit_.HostRate(baud, clock_.NowMicros());
  return true;
}

std::vector<std::vector<uint8_t>> SimulatedPort::writes() const {
  std::vector<std::vector<uint8_t>> out;
  for (const auto &event : events_)
    if (event.kind == PortEvent::Kind::kWrite) out.push_back(event.bytes);
  return out;
}

void SimulatedPort::CatchUp() {
  const uint64_t now = clock_.NowMicros();
  unit_.AdvanceTo(now);
  std::vector<uint8_t> arrived;
  unit_.TakeSent(now, arrived, baud_);
  if (open_) received_.insert(received_.end(), arrived.begin(), arrived.end());
}

void SimulatedPort::Record(PortEvent::Kind kind, std::vector<uint8_t> bytes, bool on) {
  events_.push_back({kind, clock_.NowMicros(), std::move(bytes), on});
}

}  // namespace rilo::sim
