// One simulated transmitter or receiver as the serial line sees it: its modem-line
// wiring (reset and the loader's entry pin), its loader, its UART paced at 9600 8E1,
// and faults on demand. Everything is stamped in microseconds on one steady scale,
// which the in-process port takes from a virtual clock and the pseudo-terminal
// program from the system's monotonic clock.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "base/serial_port.h"
#include "sim/fault.h"
#include "sim/frame_decoder.h"
#include "sim/loader.h"
#include "sim/unit_config.h"
#include "sim/unit_memory.h"

namespace rilo::sim {

class Unit {
 public:
  enum class Mode { kReset, kProgram, kLoader };

  explicit Unit(const UnitConfig &config);
  Unit(const Unit &) = delete;
  Unit &operator=(const Unit &) = delete;

  // What the host does, at the moment it reaches the unit. The host's DTR drives the
  // reset pin (cleared = held in reset), RTS the loader's entry pin, inverted on a unit
  // wired that way. The loader starts when reset is released after at least two
  // high-to-low pulses of the entry pin, with the pin low at that moment.
  void SetDtr(bool on, uint64_t at);
  void SetRts(bool on, uint64_t at);
  // A byte sent at `baud` whose stop bit reaches the unit at `at`. The UART reads it
  // right only at its own rate; at another, it reads some other byte.
  void ByteArrived(uint8_t byte, uint64_t at, uint32_t baud);
  // The host's line now runs at `baud`. A unit entered by its first sync has no reset
  // line: a host that goes back to the loader's 9600 has reset it as far as it can, and
  // the unit's loader starts over at 9600 as after a reset.
  void HostRate(uint32_t baud, uint64_t at);

  // Lets time pass to `now`: a 0x80 followed by silence becomes a sync and is answered.
  void AdvanceTo(uint64_t now);
  // Appends to `out` the reply bytes whose last bit has reached the host by `now`, as a
  // host whose line runs at `baud` reads them.
  void TakeSent(uint64_t now, std::vector<uint8_t> &out, uint32_t baud);
  // The next moment something happens without the host: a byte completes, a silence ends.
  std::optional<uint64_t> NextEventAt() const;

  // Faults on demand.
  void AddFault(const Fault &fault) { faults_.push_back({fault, 0}); }
  // After answering `requests` more requests the unit hears and says nothing more.
  void PullCableAfter(int requests) { cable_left_ = requests; }

  // For inspection.
  const UnitConfig &config() const { return config_; }
  UnitMemory &memory() { return memory_; }
  const UnitMemory &memory() const { return memory_; }
  Mode mode() const { return mode_; }
  uint32_t baud() const { return baud_; }
  bool unlocked() const { return loader_.unlocked(); }
  bool cable_pulled() const { return cable_left_ == 0; }
  // Whether the chip would run a program after a reset: its reset vector (0xFFFE)
  // points into main flash below the vectors. An erased vector reads 0xFFFF.
  bool starts() const;
  // Every request the loader received, in order, malformed ones included.
  const std::vector<Request> &requests() const { return requests_; }

 private:
  struct ActiveFault {
    Fault fault;
    int seen = 0;
  };
  struct SentByte {
    uint8_t byte;
    uint64_t done;  // its stop bit has reached the host
    uint32_t baud;  // the rate it went out at
    bool skewed;    // ... from a UART clocked off every rate
  };

  void EntryPinChanged(bool level);
  // Back to the loader's own rate, as after a reset.
  void ResetRate();
  void Handle(const Request &request);
  std::optional<Fault> StrikingFault(const Request &request, bool first_at_new_rate);
  void Send(const std::vector<uint8_t> &bytes, uint64_t from);

  UnitConfig config_;
  UnitMemory memory_;
  Loader loader_;
  FrameDecoder decoder_;
  Mode mode_;
  bool dtr_ = false;
  bool rts_ = false;
  int entry_pulses_ = 0;  // high-to-low edges of the entry pin while in reset
  std::deque<SentByte> sending_;
  uint64_t uart_free_ = 0;
  uint32_t baud_ = kLoaderBaud;
  bool skewed_ = false;             // the last rate change set clock values of another family
  bool rate_just_changed_ = false;  // no request has been answered at the new rate yet
  std::vector<ActiveFault> faults_;
  int cable_left_ = -1;  // requests still answered before the cable goes; -1 never
  uint32_t noise_state_ = 0x2545F491;
  std::vector<Request> requests_;
};

}  // namespace rilo::sim
