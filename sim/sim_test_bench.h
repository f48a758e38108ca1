// Shared by the simulator's own tests: a unit wired to a simulated port on a virtual
// clock, and a bare host that speaks to it byte by byte. It knows nothing of the
// tool's link code on purpose.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "sim/check_bytes.h"
#include "sim/product_line.h"
#include "sim/simulated_port.h"
#include "sim/unit.h"

namespace rilo::sim {

using Bytes = std::vector<uint8_t>;

// The product line shipped beside the test program.
inline const ProductLine &TestProductLine() {
  static const ProductLine line = [] {
    std::string error;
    auto read = ReadProductLineBesideProgram(&error);
    if (!read) ADD_FAILURE() << error;
    return read.value_or(ProductLine{});
  }();
  return line;
}

// A request frame: 80, command, L1 = L2 (4 + data bytes unless given), address,
// length field, data, check bytes.
inline Bytes Frame(uint8_t command, uint16_t address, uint16_t length, const Bytes &data = {}, int l1 = -1) {
  const auto l = static_cast<uint8_t>(l1 >= 0 ? l1 : 4 + static_cast<int>(data.size()));
  // Sized once and filled in place: growing a short vector by insert() trips GCC 12's
  // -Warray-bounds inside libstdc++ at -O3.
  Bytes frame(8 + data.size() + 2);
  const uint8_t header[8] = {0x80,
                             command,
                             l,
                             l,
                             static_cast<uint8_t>(address),
                             static_cast<uint8_t>(address >> 8),
                             static_cast<uint8_t>(length),
                             static_cast<uint8_t>(length >> 8)};
  std::copy(std::begin(header), std::end(header), frame.begin());
  std::copy(data.begin(), data.end(), frame.begin() + 8);
  const auto check = CheckBytesOf(std::span(frame).first(frame.size() - 2));
  std::copy(check.begin(), check.end(), frame.end() - 2);
  return frame;
}

inline Bytes ReadFrame(uint16_t address, uint16_t count = 128) {
  return Frame(0x14, address, count);
}
inline Bytes WriteFrame(uint16_t address, const Bytes &data) {
  return Frame(0x12, address, static_cast<uint16_t>(data.size()), data);
}
inline Bytes PasswordFrame(const Password &password) {
  return Frame(0x10, 0, 0, Bytes(password.begin(), password.end()));
}
inline const Bytes kSync = {0x80};
inline const Bytes kMassErase = {0x80, 0x18, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE3};
inline const Bytes kStartRomLoader = {0x80, 0x1A, 0x04, 0x04, 0x22, 0x0C, 0x00, 0x00, 0x59, 0xED};
inline const Bytes kStartPatch = {0x80, 0x1A, 0x04, 0x04, 0x20, 0x02, 0x00, 0x00, 0x5B, 0xE3};
inline const Bytes kVersionQuery = {0x80, 0x1E, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xE5};

struct Bench {
  explicit Bench(const UnitConfig &config) : unit(config), port(unit, clock) { port.Open("sim"); }

  // Purges, writes `bytes`, lets `wait_ms` pass and answers everything that arrived.
  Bytes Exchange(const Bytes &bytes, uint32_t wait_ms = 60) {
    port.PurgeInput();
    port.Write(bytes.data(), bytes.size());
    clock.Pause(wait_ms);
    Bytes reply(port.BytesWaiting());
    reply.resize(port.Read(reply.data(), reply.size()));
    return reply;
  }

  // As the tool exchanges a frame: purge, write, 50 ms pause, then wait up to
  // `timeout_ms` for exactly `expected` bytes; answers whatever is there at the end.
  Bytes Transact(const Bytes &frame, uint32_t timeout_ms, size_t expected) {
    port.PurgeInput();
    port.Write(frame.data(), frame.size());
    clock.Pause(50);
    const uint64_t end = clock.NowMicros() + uint64_t{timeout_ms} * 1000;
    while (port.BytesWaiting() != expected && clock.NowMicros() < end)
      clock.WaitForBytes(port, expected, kByteMicros,
                         static_cast<uint32_t>((end - clock.NowMicros() + 999) / 1000));
    Bytes reply(port.BytesWaiting());
    reply.resize(port.Read(reply.data(), reply.size()));
    return reply;
  }

  // Line patterns that start the loader of a normally wired unit (A) or of one wired
  // with inverted RTS (B), 5 ms between changes.
  void PatternA() { Lines({{'D', 0}, {'R', 1}, {'R', 0}, {'R', 1}, {'R', 0}, {'D', 1}, {'R', 1}}); }
  void PatternB() { Lines({{'D', 0}, {'R', 0}, {'R', 1}, {'R', 0}, {'R', 1}, {'D', 1}, {'R', 0}}); }
  void Lines(std::initializer_list<std::pair<char, bool>> changes) {
    for (const auto &[line, on] : changes) {
      line == 'D' ? port.SetDtr(on) : port.SetRts(on);
      clock.Pause(5);
    }
    clock.Pause(5);
  }

  // Pattern A, sync, the unit's own password: true when both were accepted.
  bool Connect() {
    PatternA();
    return Exchange(kSync) == Bytes{kAck} && Exchange(PasswordFrame(unit.config().vectors)) == Bytes{kAck};
  }

  Bytes Memory(uint32_t address, size_t count) const {
    const auto bytes = unit.memory().Bytes(address, count);
    return Bytes(bytes.begin(), bytes.end());
  }

  VirtualClock clock;
  Unit unit;
  SimulatedPort port;
};

inline UnitConfig Receiver16k() {
  return StandardUnit(Model::kReceiver16k, TestProductLine());
}
inline UnitConfig Receiver8k() {
  return StandardUnit(Model::kReceiver8k, TestProductLine());
}
inline UnitConfig Transmitter() {
  return StandardUnit(Model::kTransmitter, TestProductLine());
}

}  // namespace rilo::sim
