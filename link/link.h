// The byte pipe under the loader protocol: one port opened once at start-up, frames
// sent with a receive purge before and a 50 ms pause after, and replies awaited by
// polling the driver's queue for an exact byte count. It knows nothing of frame contents.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/clock.h"
#include "base/serial_port.h"

namespace rilo {

// Received bytes of the last wait, plus room for the terminator after 256 of them.
inline constexpr size_t kReplyCapacity = 256;
using ReplyBytes = std::array<uint8_t, kReplyCapacity + 1>;

// A handle that was never opened differs from one whose open failed: only the first
// skips sending altogether and makes the loader entry complain.
enum class PortState { NeverOpened, Unusable, Open };

class Link {
 public:
  Link(SerialPort &port, Clock &clock) : port_(port), clock_(clock) {}

  // Opens and configures `device` (see DevicePath). False when it cannot: the link is
  // then unusable until Reopen succeeds.
  [[nodiscard]] bool OpenPort(const std::string &device);
  void ClosePort();
  // Opens the device of OpenPort again when the port is not open: it failed then, or
  // closed itself because its device went away. True when the port is open now, or was
  // never opened at all (the loader entry finds that out).
  [[nodiscard]] bool Reopen();
  PortState State() const { return state_; }
  // Why the port could not be opened, or did not send a frame, since the last open that
  // worked (or since ClearTrouble): None when nothing went wrong.
  PortTrouble Trouble() const { return trouble_; }
  void ClearTrouble() { trouble_ = PortTrouble::None; }
  uint8_t PortOpen() const { return state_ == PortState::Open ? 1 : 0; }

  // Passes `ms` milliseconds keeping the window alive; the tick difference is taken
  // modulo 2^32, so a wrapping tick does not end the wait early.
  void Delay(uint32_t ms);

  // Purges the receive queue, clears ReplyBuffer, writes the frame and pauses 50 ms.
  // Does nothing at all when no port was ever opened. A port that does not send the
  // frame is closed: nothing more goes out, nothing answers, and the next command opens
  // it afresh.
  void SendFrame(const uint8_t *bytes, size_t count);
  // SendFrame without the pause, for streamed transfers: the reply is awaited at once.
  void Send(const uint8_t *bytes, size_t count);

  // The line's rate, changed in place (the modem lines keep their levels). False when
  // the port is not open or refuses it; the rate stays as it was then. Every open
  // starts at the loader's 9600.
  [[nodiscard]] bool SetRate(uint32_t baud);
  uint32_t Rate() const { return baud_; }

  // Modem lines, for the loader entry; nothing happens unless the port is open.
  void SetDtr(bool on);
  void SetRts(bool on);
  // False for a line without them (a pseudo-terminal).
  bool HasModemLines() const { return port_.HasModemLines(); }

  // The clock's millisecond tick, for timing a reply.
  uint32_t Tick() { return clock_.Tick(); }

  // Waits for exactly `expected` (at most 256) bytes or `timeoutMs`, and leaves what
  // was received in ReplyBuffer, followed by a 0.
  void WaitReply(uint32_t timeoutMs, size_t expected);

  // Bytes received by the last wait; 0 where nothing came.
  ReplyBytes ReplyBuffer{};
  // How many bytes the last wait received: a data reply is judged by its length too.
  size_t ReplyLength() const { return replyLength_; }

 private:
  bool Open();
  bool PollFor(uint32_t ms, size_t expected);
  size_t Waiting();
  void Take(size_t count);
  void ClearReply();

  SerialPort &port_;
  Clock &clock_;
  PortState state_ = PortState::NeverOpened;
  PortTrouble trouble_ = PortTrouble::None;
  std::string device_;  // as opened at start-up; a port chosen later waits for the next start
  size_t replyLength_ = 0;
  uint32_t baud_ = kLoaderBaud;
};

}  // namespace rilo
