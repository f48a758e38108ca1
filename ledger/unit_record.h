// One unit command as the ledger and a run's CSV record keep it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace rilo {

struct UnitRecord {
  std::string time;   // when the command ended, UTC: 2026-12-10T03:04:27Z
  std::string bench;  // the host the command ran on
  std::string port;   // as named: COM3, /dev/ttyUSB0
  std::string device;
  std::string command;        // read, write, read-firmware, write-firmware, finish
  std::string kind;           // "Tx", "Rx" or empty, as identified
  std::string model;          // "12", "10" or empty
  std::string loaderVersion;  // "1.61", or empty
  std::string id, serial, date;
  std::string firmwareFile, firmwareSha256;  // what a burn put in or a read took out
  std::string settingsSha256;                // the 256 settings bytes the unit was left with (or gave)
  bool succeeded = false;
  // Where a failed command stopped: its step, the page of its bar, the first address
  // read back different, and the first error it said.
  std::string failedStep;
  int failedPage = 0;
  std::string failedAddress;
  std::string firstMessage;
  double seconds = 0;
  bool operator==(const UnitRecord &) const = default;
};

// A loader version as records and lists show it: 0x0161 as "1.61"; empty for unknown.
inline std::string LoaderVersionText(uint16_t version) {
  if (version == 0) return "";
  char text[8];
  std::snprintf(text, sizeof text, "%X.%02X", version >> 8, version & 0xFF);
  return text;
}

}  // namespace rilo
