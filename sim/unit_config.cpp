#include "sim/unit_config.h"

#include <algorithm>

namespace rilo::sim {
namespace {

// Codewords of the hex digits 0..F, as the identity page and the ID code store them.
constexpr std::array<uint8_t, 16> kCodewords = {0x00, 0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66, 0x69,
                                                0x96, 0x99, 0xA5, 0xAA, 0xC3, 0xCC, 0xF0, 0xFF};

// What the tool leaves at block 1 bytes 104..121 after every settings write.
constexpr std::array<uint8_t, 18> kCheckWordRoutine = {0x15, 0x42, 0x80, 0x10, 0x15, 0xE2, 0x82, 0x10, 0x15,
                                                       0xE2, 0x84, 0x10, 0x15, 0xE2, 0x86, 0x10, 0x30, 0x41};

constexpr uint32_t kIdentityPage = 0xFF60;
constexpr uint32_t kSignaturePage = 0xFC00;
constexpr uint32_t kVectors = 0xFFE0;

// Stand-in program bytes: varied, so that every page read back is distinguishable.
void FillProgram(UnitMemory &memory, uint32_t start, uint32_t seed) {
  std::array<uint8_t, kVectors> bytes{};
  uint32_t state = seed;
  for (uint32_t address = start; address < kVectors; ++address) {
    state = state * 1103515245u + 12345u;
    bytes[address] = static_cast<uint8_t>(state >> 16);
  }
  memory.Load(start, std::span(bytes).subspan(start));
}

}  // namespace

std::array<uint8_t, 256> StandardSettings() {
  std::array<uint8_t, 256> image;
  image.fill(0xFF);
  // Block 0 is the unit's own; the tool carries it unchanged.
  const uint8_t block0[] = {0x01, 0x12, 0x03, 0x00, 0xA5, 0x5A, 0x10, 0x20,
                            0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0};
  std::copy(std::begin(block0), std::end(block0), image.begin());

  uint8_t *b1 = image.data() + 128;
  const uint8_t id[] = {0x0F,          0x33,          kCodewords[3], kCodewords[0],
                        kCodewords[0], kCodewords[4], kCodewords[1], kCodewords[5]};  // ID code 12300415
  std::copy(std::begin(id), std::end(id), b1);
  b1[8] = static_cast<uint8_t>(b1[0] ^ b1[2] ^ b1[4] ^ b1[6]);
  b1[9] = static_cast<uint8_t>(b1[1] ^ b1[3] ^ b1[5] ^ b1[7]);
  std::fill_n(b1 + 12, 4, uint8_t{0x00});  // battery counter off
  b1[16] = 0x00;                           // start key normal
  b1[17] = 0xEE;
  b1[18] = 0x01;  // transmission timer on
  b1[19] = 0x30;  // power saving, LED flashes
  b1[20] = 0xEF;
  b1[21] = 10;                                      // EMS count
  const uint8_t times[] = {0x01, 0x00, 0x01, 0x00,  // receiver never switches off
                           0x01, 0x00, 0x7A, 0x11,  // not continuous, power saving
                           0x40, 0x1F};             // LED period 1 s
  std::copy(std::begin(times), std::end(times), b1 + 22);
  const uint8_t actions[] = {0x38, 0x00, 0x38, 0x00, 0x86, 0x00,   // Up/Down, East/West normal, S/N latch
                             0x38, 0x00, 0x81, 0x80, 0x38, 0x00};  // R1/R2 normal, R3/R4 magnet, F1
  std::copy(std::begin(actions), std::end(actions), b1 + 32);
  std::fill_n(b1 + 44, 5, uint8_t{1});   // no interlock
  std::fill_n(b1 + 50, 11, uint8_t{1});  // no acceleration delay
  b1[62] = 37;                           // inching 0.5 s
  b1[63] = 44;                           // pass-EMS 0.5 s
  std::fill_n(b1 + 64, 11, uint8_t{1});  // no one-speed delay
  b1[78] = 0;
  b1[79] = 0;
  b1[100] = 0x24;  // date code 2024-05-17, BCD
  b1[101] = 0x05;
  b1[102] = 0x17;
  std::copy(kCheckWordRoutine.begin(), kCheckWordRoutine.end(), b1 + 104);
  return image;
}

UnitConfig StandardUnit(Model model, const ProductLine &line) {
  UnitConfig config;
  switch (model) {
    case Model::kTransmitter:
      config.role = Role::kTransmitter;
      config.chip = kChipF112;
      config.loader = kLoader161;
      config.program_start = 0xF000;
      config.vectors = line.PasswordC;
      break;
    case Model::kReceiver8k:
      config.chip = kChipF123;
      config.loader = kLoader202;
      config.program_start = 0xE000;
      config.vectors = line.PasswordA;
      break;
    case Model::kReceiver16k:
      config.chip = kChipF149;
      config.loader = kLoader110;
      config.program_start = 0xC000;
      config.vectors = line.PasswordB;
      break;
  }
  config.signature_code = line.SignatureCode;
  config.settings = StandardSettings();
  config.identity.serial_digits = {0, 0, 0, 1, 2, 3, 4, 5};
  config.identity.year = 24;
  config.identity.month = 5;
  config.identity.day = 17;
  config.identity.version_major = 3;
  config.identity.version_minor = 12;
  return config;
}

UnitMemory FactoryMemory(const UnitConfig &config) {
  UnitMemory memory;
  std::array<uint8_t, 12> rom{};
  rom[0] = config.chip[0];
  rom[1] = config.chip[1];
  rom[10] = config.loader.major;
  rom[11] = config.loader.minor;
  memory.Load(kChipIdentityAddress, rom);

  memory.Load(kFlashStart, config.settings);
  FillProgram(memory, config.program_start, config.role == Role::kTransmitter ? 0x7E : 0x5C);
  std::array<uint8_t, 128> signature;
  signature.fill(0xFF);
  std::copy(config.signature_code.begin(), config.signature_code.end(), signature.begin());
  memory.Load(kSignaturePage, signature);

  const Identity &id = config.identity;
  std::array<uint8_t, 16> fields{};  // 0xFFD0..0xFFDF
  std::copy_n(memory.Bytes(kIdentityPage + 112, 16).begin(), 16, fields.begin());
  for (int i = 0; i < 8; ++i)
    fields[i] = kCodewords[id.serial_digits[i] & 0x0F];
  fields[9] = id.year;
  fields[10] = id.month;
  fields[11] = id.day;
  fields[12] = id.marker;
  fields[14] = id.version_major;
  fields[15] = id.version_minor;
  memory.Load(kIdentityPage + 112, fields);
  memory.Load(kVectors, config.vectors);
  return memory;
}

}  // namespace rilo::sim
