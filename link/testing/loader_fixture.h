// A loader wired to a recording port on the virtual clock, and a small scripted unit
// that answers the handshake: enough to check frames and flags before (and beside)
// the full simulated unit.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/loader_patch.h"
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

// The loader's patch as its frame carries it; its bytes are pinned where they are kept.
inline Bytes PublishedPatch() {
  return Bytes(kLoaderPatch.begin(), kLoaderPatch.end());
}

class LoaderFixture : public ::testing::Test {
 protected:
  LoaderFixture() { EXPECT_TRUE(link.OpenPort("/dev/test")); }

  // Lets `unit` answer every frame from now on.
  void Attach(ScriptedUnit u) {
    unit = u;
    port.answer = [this](const Bytes &frame) { return unit(frame, port.events); };
  }

  VirtualClock clock;
  RecordingPort port{clock};
  Link link{port, clock};
  Loader loader{link, Ventrix(), TestProductLine()};
  ScriptedUnit unit;
};

}  // namespace rilo::testing
