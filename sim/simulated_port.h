// A serial port wired in-process to a simulated unit, on a virtual clock: what tests
// plug into the link. Both directions take their wire time at the line's rate (1.146 ms
// a byte at 9600 8E1): a write passes that time on the clock before it returns, and
// reply bytes become visible to BytesWaiting() one by one as they arrive.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/serial_port.h"
#include "base/virtual_clock.h"
#include "sim/unit.h"

namespace rilo::sim {

// One thing the host did to the port, stamped on the virtual clock in microseconds.
struct PortEvent {
  enum class Kind { kOpen, kClose, kPurge, kWrite, kDtr, kRts, kBaud };
  Kind kind = Kind::kOpen;
  uint64_t at = 0;             // a write: when its first byte started
  std::vector<uint8_t> bytes;  // a write's bytes
  bool on = false;             // the new level of DTR or RTS
  uint32_t baud = 0;           // the line's rate from here on
};

class SimulatedPort : public SerialPort {
 public:
  SimulatedPort(Unit &unit, VirtualClock &clock) : unit_(unit), clock_(clock) {}

  bool Open(const std::string &device) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  void PurgeInput() override;
  bool Write(const uint8_t *data, size_t count) override;
  size_t BytesWaiting() override;
  size_t Read(uint8_t *into, size_t count) override;
  void SetDtr(bool on) override;
  void SetRts(bool on) override;
  bool SetBaudRate(uint32_t baud) override;
  PortTrouble Trouble() const override { return trouble_; }

  // The next Open fails, as for a missing port.
  void set_open_fails(bool fails) { set_open_trouble(fails ? PortTrouble::Missing : PortTrouble::None); }
  // The next Open fails for this reason (None: it opens).
  void set_open_trouble(PortTrouble trouble) { open_trouble_ = trouble; }
  // Writes do not go out, as through an adapter that stalls: each fails at its deadline.
  void set_stalled(bool stalled) { stalled_ = stalled; }
  // Everything the host did, in order.
  const std::vector<PortEvent> &events() const { return events_; }
  // The bytes of every write, in order.
  std::vector<std::vector<uint8_t>> writes() const;

 private:
  // Brings the unit and the receive queue up to the clock.
  void CatchUp();
  void Record(PortEvent::Kind kind, std::vector<uint8_t> bytes = {}, bool on = false);

  Unit &unit_;
  VirtualClock &clock_;
  bool open_ = false;
  PortTrouble open_trouble_ = PortTrouble::None;
  PortTrouble trouble_ = PortTrouble::None;
  bool stalled_ = false;
  uint32_t baud_ = kLoaderBaud;
  std::vector<uint8_t> received_;  // the driver's receive queue
  std::vector<PortEvent> events_;
};

}  // namespace rilo::sim
