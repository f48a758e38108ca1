// The eleven feature flags read from the preference store at start-up. Each is one
// byte, compared with 1 (SpecialFunc with 0), as the stored values may hold any integer.
#pragma once

#include <cstdint>

namespace rilo {

struct FeatureFlags {
  uint8_t BattLow = 0;
  uint8_t BattLowAction = 0;
  uint8_t TxEMSCount = 0;
  uint8_t BattCount = 0;
  uint8_t Key1Time = 0;
  uint8_t SpecialFunc = 0;
  uint8_t CustomerInfo = 0;
  uint8_t IDCODE = 0;
  uint8_t DateCode = 0;
  uint8_t SN = 0;
  uint8_t Factory = 0;
};

}  // namespace rilo
