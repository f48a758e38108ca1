// What a main window needs in a test: a recording preference store, a scripted person,
// a recording port on a virtual clock, no format library and empty product-line data.
#pragma once

#include <memory>

#include "app/form_menu.h"
#include "core/testing/scripted_operator.h"
#include "link/testing/recording_port.h"
#include "workbench/testing/recording_preferences.h"

namespace rilo::testing {

struct WindowParts {
  RecordingPreferences store;
  ScriptedOperator person;
  VirtualClock clock;
  RecordingPort port{clock};

  // The window, created and shown as the program does.
  std::unique_ptr<TFormMenu> Start(PrinterChooser *printer = nullptr) {
    auto window = std::make_unique<TFormMenu>(store, VentrixApi{}, ProductLine{},
                                              WindowSeams{&person, printer, &port, &clock});
    window->show();
    return window;
  }
};

}  // namespace rilo::testing
