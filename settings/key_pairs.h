// The five key pairs and the lists and bytes each one owns, in the order Up/Down,
// East/West, South/North, R1/R2, R3/R4.
#pragma once

#include <array>

#include "settings/form.h"

namespace rilo {

struct KeyPair {
  FormList action;
  FormList firstAcc, secondAcc;
  FormList firstEms, secondEms;
  FormList interlock;
  int actionByte;  // first ActionCode byte; the second follows
  int delayByte;   // interlock delay
  int accByte;     // first key's acceleration delay; the second key's follows
};

inline constexpr std::array<KeyPair, 5> kKeyPairs = {{
    {&Form::CBUDAction, &Form::CBUpAccTime, &Form::CBDownAccTime, &Form::CBUpEMS, &Form::CBDownEMS,
     &Form::CBUDInterLock, 32, 44, 50},
    {&Form::CBEWAction, &Form::CBEastAccTime, &Form::CBWestAccTime, &Form::CBEastEMS, &Form::CBWestEMS,
     &Form::CBEWInterLock, 34, 45, 52},
    {&Form::CBSNAction, &Form::CBSouthAccTime, &Form::CBNorthAccTime, &Form::CBSouthEMS, &Form::CBNorthEMS,
     &Form::CBSNInterLock, 36, 46, 54},
    {&Form::CBR12Action, &Form::CBR1AccTime, &Form::CBR2AccTime, &Form::CBR1EMS, &Form::CBR2EMS,
     &Form::CBR12InterLock, 38, 47, 56},
    {&Form::CBR34Action, &Form::CBR3AccTime, &Form::CBR4AccTime, &Form::CBR3EMS, &Form::CBR4EMS,
     &Form::CBR34InterLock, 40, 48, 58},
}};

// Bytes of the F1 key's acceleration delay and of the eleven first-speed delays.
inline constexpr int kR5AccByte = 60;
inline constexpr int kOneSpeedByte = 64;  // Up, Down, East, West, South, North, R1..R4, F1

}  // namespace rilo
