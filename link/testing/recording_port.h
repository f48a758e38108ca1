// A port for link tests on the virtual clock: records every purge, write and line
// change with its moment, and plays back scripted answers at the wire rate of 9600 8E1,
// so frames, pauses and waits can be checked byte for byte and millisecond for millisecond.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/serial_port.h"
#include "base/virtual_clock.h"

namespace rilo::testing {

using Bytes = std::vector<uint8_t>;

struct PortEvent {
  enum class Kind { Purge, Write, Dtr, Rts };
  Kind kind;
  uint64_t atMicros;  // a write: when its first byte left
  Bytes bytes;        // a write only
  bool on = false;    // a line change only
};

// What the far end sends back after a frame: its bytes, starting `delayMicros` after
// the frame's last byte has arrived.
struct Answer {
  Bytes bytes;
  uint64_t delayMicros = 0;
};

class RecordingPort : public SerialPort {
 public:
  explicit RecordingPort(VirtualClock &clock) : clock_(clock) {}

  std::vector<PortEvent> events;
  std::string openedDevice;
  bool refuseOpen = false;
  // Called for every written frame; no answer when unset.
  std::function<Answer(const Bytes &frame)> answer;

  bool Open(const std::string &device) override {
    openedDevice = device;
    open_ = !refuseOpen;
    return open_;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }

  void PurgeInput() override {
    events.push_back({PortEvent::Kind::Purge, clock_.NowMicros(), {}});
    while (!incoming_.empty() && incoming_.front().atMicros <= clock_.NowMicros())
      incoming_.pop_front();
  }
  bool Write(const uint8_t *data, size_t count) override {
    Bytes frame(data, data + count);
    events.push_back({PortEvent::Kind::Write, clock_.NowMicros(), frame});
    clock_.AdvanceMicros(count * kByteMicros);  // returns once the bytes are on the line
    if (answer) Send(answer(frame));
    return true;
  }
  size_t BytesWaiting() override {
    return static_cast<size_t>(std::count_if(incoming_.begin(), incoming_.end(), [this](const Arrival &a) {
      return a.atMicros <= clock_.NowMicros();
    }));
  }
  size_t Read(uint8_t *into, size_t count) override {
    size_t n = 0;
    while (n < count && !incoming_.empty() && incoming_.front().atMicros <= clock_.NowMicros()) {
      into[n++] = incoming_.front().byte;
      incoming_.pop_front();
    }
    return n;
  }
  void SetDtr(bool on) override { events.push_back({PortEvent::Kind::Dtr, clock_.NowMicros(), {}, on}); }
  void SetRts(bool on) override { events.push_back({PortEvent::Kind::Rts, clock_.NowMicros(), {}, on}); }
  bool SetBaudRate(uint32_t) override { return false; }  // link tests run at the loader's rate
  PortTrouble Trouble() const override { return refuseOpen ? PortTrouble::Missing : PortTrouble::None; }

  // Queues bytes from the far end, the first arriving after `delayMicros` plus its
  // wire time, behind anything still on the way.
  void Send(const Answer &a) {
    uint64_t at = clock_.NowMicros() + a.delayMicros;
    if (!incoming_.empty()) at = std::max(at, incoming_.back().atMicros);
    for (uint8_t b : a.bytes) {
      at += kByteMicros;
      incoming_.push_back({b, at});
    }
  }

  // The frames written so far, in order.
  std::vector<Bytes> Frames() const {
    std::vector<Bytes> out;
    for (const auto &e : events)
      if (e.kind == PortEvent::Kind::Write) out.push_back(e.bytes);
    return out;
  }

 private:
  struct Arrival {
    uint8_t byte;
    uint64_t atMicros;
  };
  VirtualClock &clock_;
  bool open_ = false;
  std::deque<Arrival> incoming_;
};

}  // namespace rilo::testing
