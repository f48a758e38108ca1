// A loader wired to a recording port on the virtual clock, and a small scripted unit
// that answers the handshake: enough to check frames and flags before (and beside)
// the full simulated unit.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/testing/scripted_operator.h"
#include "core/testing/test_ventrix.h"
#include "core/ventrix_api.h"
#include "link/link.h"
#include "link/loader.h"
#include "link/testing/recording_port.h"

namespace rilo::testing {

// Check bytes by the loader's rule, written out here rather than taken from Ventrix.
inline Bytes Sealed(Bytes frame) {
  uint8_t even = 0, odd = 0;
  for (size_t i = 0; i < frame.size(); ++i)
    (i % 2 ? odd : even) ^= frame[i];
  frame.push_back(static_cast<uint8_t>(~even));
  frame.push_back(static_cast<uint8_t>(~odd));
  return frame;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto &p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline VectorTable Table(uint8_t fill) {
  VectorTable t;
  t.fill(fill);
  return t;
}

inline const ProductLine &TestProductLine() {
  static const ProductLine line{Table(0xA1), Table(0xB2), Table(0xC3), {}};
  return line;
}

inline Bytes PasswordFrame(const VectorTable &password) {
  return Sealed(
      Concat({{0x80, 0x10, 0x24, 0x24, 0xE0, 0xFF, 0x20, 0x00}, Bytes(password.begin(), password.end())}));
}

// A data reply: 80, three bytes the tool ignores, 128 data bytes, two check bytes.
inline Bytes DataReply(const std::vector<uint8_t> &data) {
  Bytes reply = {0x80, 0x00, 0x80, 0x80};
  reply.insert(reply.end(), data.begin(), data.end());
  reply.resize(134 - 2, 0);
  return Sealed(reply);
}

// A unit as the handshake sees it. It is in its loader only after the entry pattern
// it is wired for (ending with RTS set, or cleared when inverted).
struct ScriptedUnit {
  bool invertedRts = false;
  VectorTable password = TestProductLine().PasswordA;
  bool answersVersionQuery = true;
  uint8_t chip[2] = {0xF1, 0x23};
  uint8_t version[2] = {0x01, 0x61};  // reported by the version query and at 0x0FF0 + 10
  bool answersPageRead = true;
  uint8_t marker = 0xAA;
  uint8_t refuseCommand = 0;  // a command code answered 0xA0 (0: none)

  Answer operator()(const Bytes &frame, const std::vector<PortEvent> &events) const {
    bool lastRts = false;
    for (const auto &e : events)
      if (e.kind == PortEvent::Kind::Rts) lastRts = e.on;
    if (lastRts == invertedRts) return {};
    if (frame.size() == 1) return {{0x90}};
    const uint8_t command = frame[1];
    const uint16_t address = static_cast<uint16_t>(frame[4] | frame[5] << 8);
    if (command == refuseCommand) return {{0xA0}};
    if (command == 0x10) {
      const bool match = std::equal(password.begin(), password.end(), frame.begin() + 8);
      return {{static_cast<uint8_t>(match ? 0x90 : 0xA0)}};
    }
    if (command == 0x1E) return answersVersionQuery ? Answer{Identification()} : Answer{{0xA0}};
    if (command == 0x14 && address == 0x0FF0) return {Identification()};
    if (command == 0x14 && address == 0xFF60) {
      if (!answersPageRead) return {};
      std::vector<uint8_t> page(128, 0x11);
      page[124] = marker;
      return {DataReply(page)};
    }
    if (command == 0x14) {
      std::vector<uint8_t> data(128);
      for (int i = 0; i < 128; ++i)
        data[i] = static_cast<uint8_t>(address + i);
      return {DataReply(data)};
    }
    return {{0x90}};
  }

  Bytes Identification() const {
    Bytes reply(21, 0);
    reply[0] = 0x80;
    reply[4] = chip[0];
    reply[5] = chip[1];
    reply[14] = version[0];
    reply[15] = version[1];
    return reply;
  }
};

// The loader's patch, written out again from the chip maker's listing.
inline Bytes PublishedPatch() {
  return {0x31, 0x40, 0x1A, 0x02, 0x09, 0x43, 0xB0, 0x12, 0x2A, 0x0E, 0xB0, 0x12, 0xBA, 0x0D, 0x55,
          0x42, 0x0B, 0x02, 0x75, 0x90, 0x12, 0x00, 0x1F, 0x24, 0xB0, 0x12, 0xBA, 0x02, 0x55, 0x42,
          0x0B, 0x02, 0x75, 0x90, 0x16, 0x00, 0x16, 0x24, 0x75, 0x90, 0x14, 0x00, 0x11, 0x24, 0xB0,
          0x12, 0x84, 0x0E, 0x06, 0x3C, 0xB0, 0x12, 0x94, 0x0E, 0x03, 0x3C, 0x21, 0x53, 0xB0, 0x12,
          0x8C, 0x0E, 0xB2, 0x40, 0x10, 0xA5, 0x2C, 0x01, 0xB2, 0x40, 0x00, 0xA5, 0x28, 0x01, 0x30,
          0x40, 0x42, 0x0C, 0x30, 0x40, 0x76, 0x0D, 0x30, 0x40, 0xAC, 0x0C, 0x16, 0x42, 0x0E, 0x02,
          0x17, 0x42, 0x10, 0x02, 0xE2, 0xB2, 0x08, 0x02, 0x14, 0x24, 0xB0, 0x12, 0x10, 0x0F, 0x36,
          0x90, 0x00, 0x10, 0x06, 0x28, 0xB2, 0x40, 0x00, 0xA5, 0x2C, 0x01, 0xB2, 0x40, 0x40, 0xA5,
          0x28, 0x01, 0xD6, 0x42, 0x06, 0x02, 0x00, 0x00, 0x16, 0x53, 0x17, 0x83, 0xEF, 0x23, 0xB0,
          0x12, 0xBA, 0x02, 0xD3, 0x3F, 0xB0, 0x12, 0x10, 0x0F, 0x17, 0x83, 0xFC, 0x23, 0xB0, 0x12,
          0xBA, 0x02, 0xD0, 0x3F, 0x18, 0x42, 0x12, 0x02, 0xB0, 0x12, 0x10, 0x0F, 0xD2, 0x42, 0x06,
          0x02, 0x12, 0x02, 0xB0, 0x12, 0x10, 0x0F, 0xD2, 0x42, 0x06, 0x02, 0x13, 0x02, 0x38, 0xE3,
          0x18, 0x92, 0x12, 0x02, 0xBF, 0x23, 0xE2, 0xB3, 0x08, 0x02, 0xBC, 0x23, 0x30, 0x41};
}

class LoaderFixture : public ::testing::Test {
 protected:
  LoaderFixture() { link.OpenPort("/dev/test"); }

  // Lets `unit` answer every frame from now on.
  void Attach(ScriptedUnit u) {
    unit = u;
    port.answer = [this](const Bytes &frame) { return unit(frame, port.events); };
  }

  VirtualClock clock;
  RecordingPort port{clock};
  ScriptedOperator person;
  Link link{port, clock, person};
  std::string machineType;
  FeatureFlags flags;
  Loader loader{link, person, Ventrix(), TestProductLine(), machineType, flags};
  ScriptedUnit unit;
};

}  // namespace rilo::testing
