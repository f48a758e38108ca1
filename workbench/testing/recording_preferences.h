// An in-memory preference store that also keeps every write in order, and can be told
// to refuse writes as a store without the rights to change the key would.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "core/preferences.h"

namespace rilo::testing {

class RecordingPreferences : public MemoryPreferences {
 public:
  std::vector<std::string> writes;  // "Name=value", in order
  bool refuseWrites = false;

  void WriteInteger(const std::string &name, int32_t value) override {
    Check(name);
    writes.push_back(name + "=" + std::to_string(value));
    MemoryPreferences::WriteInteger(name, value);
  }
  void WriteString(const std::string &name, const std::string &value) override {
    Check(name);
    writes.push_back(name + "=\"" + value + "\"");
    MemoryPreferences::WriteString(name, value);
  }

 private:
  void Check(const std::string &name) const {
    if (refuseWrites) throw std::runtime_error("cannot write " + name);
  }
};

// A store as a first run leaves it, with the given geometry.
inline void FillDefaults(MemoryPreferences &store) {
  store.values = {{"Left", 10},        {"Top", 20},          {"Height", 560},
                  {"Width", 800},      {"COM", "COM1"},      {"Language", "English"},
                  {"BattLow", 0},      {"BattLowAction", 0}, {"TxEMSCount", 0},
                  {"BattCount", 0},    {"Key1Time", 0},      {"SpecialFunc", 0},
                  {"CustomerInfo", 1}, {"IDCODE", 0},        {"DateCode", 0},
                  {"SN", 0},           {"Factory", 0}};
}

}  // namespace rilo::testing
