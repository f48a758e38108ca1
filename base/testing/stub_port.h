// The tool's serial port in a test, at the end of a cable. Plugged into another port (a
// simulated unit's), it carries everything both ways. Pulled out, it carries nothing,
// though writing still takes the bytes' wire time on the clock it was given; with
// nothing plugged in at all, the test sets how many bytes are waiting. It stays open
// either way, as a real port does when its cable is pulled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/serial_port.h"
#include "base/virtual_clock.h"

namespace rilo::testing {

class StubPort : public SerialPort {
 public:
  StubPort() = default;
  StubPort(SerialPort &to, VirtualClock &clock) : to_(&to), clock_(&clock) {}

  size_t waiting = 0;  // what BytesWaiting answers while nothing is carried
  int asked = 0;       // how often BytesWaiting was called

  // Moves the plug to `port`, opening it when this port is open.
  void PlugInto(SerialPort &port) {
    to_ = &port;
    if (open_) to_->Open(device_);
  }
  void Pull() { pulled_ = true; }
  void PlugBack() { pulled_ = false; }

  bool Open(const std::string &device) override {
    device_ = device;
    open_ = to_ ? to_->Open(device) : true;
    return open_;
  }
  void Close() override {
    open_ = false;
    if (to_) to_->Close();
  }
  bool IsOpen() const override { return open_; }
  void PurgeInput() override {
    waiting = 0;
    if (to_) to_->PurgeInput();
  }
  bool Write(const uint8_t *data, size_t count) override {
    if (Carrying()) return to_->Write(data, count);
    if (clock_) clock_->AdvanceMicros(count * kByteMicros);
    return true;  // a pulled cable still sends: nothing comes back
  }
  size_t BytesWaiting() override {
    ++asked;
    return Carrying() ? to_->BytesWaiting() : waiting;
  }
  size_t Read(uint8_t *into, size_t count) override { return Carrying() ? to_->Read(into, count) : 0; }
  void SetDtr(bool on) override {
    if (Carrying()) to_->SetDtr(on);
  }
  void SetRts(bool on) override {
    if (Carrying()) to_->SetRts(on);
  }
  // A pulled cable changes only this end's rate, which nothing hears.
  bool SetBaudRate(uint32_t baud) override {
    if (to_) return to_->SetBaudRate(baud);
    return true;
  }
  PortTrouble Trouble() const override { return to_ ? to_->Trouble() : PortTrouble::None; }
  bool HasModemLines() const override { return !to_ || to_->HasModemLines(); }

 private:
  bool Carrying() const { return to_ && !pulled_; }

  SerialPort *to_ = nullptr;
  VirtualClock *clock_ = nullptr;
  std::string device_;
  bool open_ = false;
  bool pulled_ = false;
};

}  // namespace rilo::testing
