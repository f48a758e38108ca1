// A Workbench over test parts: the given store and person, a recording port on a
// virtual clock, no format library and empty product-line data.
#pragma once

#include "base/virtual_clock.h"
#include "link/testing/recording_port.h"
#include "workbench/workbench.h"

namespace rilo::testing {

class TestWorkbench {
 public:
  TestWorkbench(Preferences &store, Operator &person)
      : bench(store, person, port, clock, VentrixApi{}, ProductLine{}) {}

  VirtualClock clock;
  RecordingPort port{clock};
  Workbench bench;
};

}  // namespace rilo::testing
