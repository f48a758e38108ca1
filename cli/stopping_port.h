// A unit's serial port that goes quiet once the person asked the run to stop: no frame
// is sent after that (a frame already on its way goes out whole), and the port reads as
// gone, so the unit's command ends at its next step and is recorded as it stands.
#pragma once

#include <atomic>

#include "base/serial_port.h"

namespace rilo {

class StoppingPort : public SerialPort {
 public:
  StoppingPort(SerialPort &port, const std::atomic<bool> &stop) : port_(port), stop_(stop) {}

  bool Open(const std::string &device) override { return !stop_ && port_.Open(device); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return !stop_ && port_.IsOpen(); }
  void PurgeInput() override { port_.PurgeInput(); }
  // A frame not sent because of the stop is not the port's failure.
  bool Write(const uint8_t *data, size_t count) override { return stop_ || port_.Write(data, count); }
  size_t BytesWaiting() override { return stop_ ? 0 : port_.BytesWaiting(); }
  size_t Read(uint8_t *into, size_t count) override { return stop_ ? 0 : port_.Read(into, count); }
  void SetDtr(bool on) override { port_.SetDtr(on); }
  void SetRts(bool on) override { port_.SetRts(on); }
  bool SetBaudRate(uint32_t baud) override { return port_.SetBaudRate(baud); }
  PortTrouble Trouble() const override { return port_.Trouble(); }
  bool HasModemLines() const override { return port_.HasModemLines(); }

 private:
  SerialPort &port_;
  const std::atomic<bool> &stop_;
};

}  // namespace rilo
