// What a unit command must put back should it stop between an erase and the read-back
// of what it wrote, kept in the ledger before the erase goes out.
#pragma once

#include <cstdint>
#include <string>

#include "ledger/database.h"

namespace rilo {

struct JournalEntry {
  int64_t number = 0;  // given by the ledger
  std::string opened;  // UTC, as records write it
  std::string bench, port, device;
  std::string command;
  Bytes chip;                  // the chip identity the loader reported
  uint16_t loaderVersion = 0;  // 0x0161 for 1.61
  std::string id, serial;
  // The unit's parts as the command leaves them, each empty when the command does not
  // erase it: settings blocks 0 and 1 (256 bytes as the unit holds them), the three
  // other top pages and the identity page (page frames), the vector area (32 bytes),
  // and for a burn the firmware's page frames.
  Bytes blocks, topPages, identity, vectors, firmware;
  bool operator==(const JournalEntry &) const = default;
};

}  // namespace rilo
