// What one simulated unit is: plain data, filled by StandardUnit and changed freely by
// tests before the unit is built.
#pragma once

#include <array>
#include <cstdint>

#include "sim/product_line.h"
#include "sim/unit_memory.h"

namespace rilo::sim {

enum class Role { kTransmitter, kReceiver };

// How the unit is put into its loader. A pseudo-terminal carries no modem lines, so
// there the loader starts at the first sync byte instead.
enum class Entry { kLinePattern, kFirstSync };

// The loader version as the loader reports it, e.g. 01 61 for 1.61.
struct LoaderVersion {
  uint8_t major = 0;
  uint8_t minor = 0;
  bool operator==(const LoaderVersion &) const = default;
};
inline constexpr LoaderVersion kLoader110{0x01, 0x10};  // needs the RAM patch, no version query
inline constexpr LoaderVersion kLoader161{0x01, 0x61};
inline constexpr LoaderVersion kLoader202{0x02, 0x02};

inline constexpr std::array<uint8_t, 2> kChipF112{0xF1, 0x12};  // transmitter
inline constexpr std::array<uint8_t, 2> kChipF123{0xF1, 0x23};  // receivers
inline constexpr std::array<uint8_t, 2> kChip1232{0x12, 0x32};
inline constexpr std::array<uint8_t, 2> kChipF149{0xF1, 0x49};

inline constexpr uint8_t kMarkerQ12 = 0xAA;
inline constexpr uint8_t kMarkerQ10 = 0xAC;

// Fields of the identity page at 0xFF60.
struct Identity {
  std::array<uint8_t, 8> serial_digits{};        // hex digit values, stored as codewords at 0xFFD0
  uint8_t year = 0, month = 0, day = 0;          // at 0xFFD9, binary
  uint8_t marker = kMarkerQ12;                   // at 0xFFDC
  uint8_t version_major = 0, version_minor = 0;  // at 0xFFDE
};

struct UnitConfig {
  Role role = Role::kReceiver;
  std::array<uint8_t, 2> chip = kChipF149;
  LoaderVersion loader = kLoader110;
  uint16_t program_start = 0xC000;  // 0xF000 transmitter, 0xE000 8 KB and 0xC000 16 KB receiver
  bool rts_inverted = false;        // wired so that only the inverted-RTS pattern starts the loader
  Entry entry = Entry::kLinePattern;
  Password vectors{};                        // 0xFFE0..0xFFFF, which the loader also takes as its password
  std::array<uint8_t, 34> signature_code{};  // at 0xFC00
  std::array<uint8_t, 256> settings{};       // 0x1000..0x10FF
  Identity identity;
};

enum class Model { kTransmitter, kReceiver8k, kReceiver16k };

// A unit as it leaves the factory: a Q12 unit with program, signature, identity page,
// settings and the product line's password for its kind (C transmitter, A 8 KB
// receiver, B 16 KB receiver). Loaders: 1.61 transmitter, 2.02 8 KB receiver, 1.10
// 16 KB receiver.
UnitConfig StandardUnit(Model model, const ProductLine &line);

// The memory of a unit built from `config`: chip identity and loader version in the
// boot ROM, settings, program, signature, identity page and vectors in flash.
UnitMemory FactoryMemory(const UnitConfig &config);

// Settings of a Q12 unit: model code 0F 33, an ID code, and a handful of options.
std::array<uint8_t, 256> StandardSettings();

}  // namespace rilo::sim
