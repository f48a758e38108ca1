// A Workbench started as the window starts it (factory flag on or off), with the real
// Ventrix library, a scripted person, and a scratch folder for the files it opens and
// saves.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/virtual_clock.h"
#include "core/testing/programs.h"
#include "core/testing/scripted_operator.h"
#include "core/testing/test_ventrix.h"
#include "link/testing/recording_port.h"
#include "workbench/testing/recording_preferences.h"
#include "workbench/workbench.h"

namespace rilo::testing {

inline void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string &path) {
  return ReadWholeFile(path);
}

// What a file leaves in the Workbench; equal before and after a refused open.
struct Snapshot {
  explicit Snapshot(Workbench &b)
      : single(*b.firmware().SingleImage),
        tx(*b.firmware().TxImage),
        rx(*b.firmware().RxImage),
        vectors{b.firmware().SingleVectors, b.firmware().TxVectors, b.firmware().RxVectors},
        image(b.editor().Image),
        loaded(b.editor().LoadedImage),
        machineType(b.editor().MachineType),
        caption(b.editor().form.Caption),
        serial(b.editor().form.EEqupmentSN.text),
        date(b.editor().form.EEqupmentDate.text),
        visible(b.view().visible),
        saveExt(b.view().saveDefaultExt),
        lastFile(b.lastFileName()),
        source(b.loadedSource()),
        customer(b.customer().texts) {}
  FirmwareImage single, tx, rx;
  std::vector<VectorTable> vectors;
  SettingsImage image, loaded;
  std::string machineType, caption, serial, date;
  std::map<std::string, bool> visible;
  std::string saveExt, lastFile;
  LoadedSource source;
  std::array<std::string, kCustomerFieldCount> customer;
  bool operator==(const Snapshot &) const = default;
};

struct FileBench {
  explicit FileBench(uint8_t factory) {
    for (const char *name : {"Left", "Top", "Height", "Width"})
      store.WriteInteger(name, 0);
    store.WriteString("COM", "COM1");
    for (const char *name : {"BattLow", "BattLowAction", "TxEMSCount", "BattCount", "Key1Time", "SpecialFunc",
                             "CustomerInfo", "IDCODE", "DateCode", "SN"})
      store.WriteBool(name, false);
    store.WriteBool("CustomerInfo", true);
    store.WriteBool("Factory", factory == 1);
    bench.FormMenuCreate({});
    bench.FormMenuShow();
    person.shown.clear();
  }

  Editor &editor() { return bench.editor(); }
  // Every message since the last look, and forget them.
  std::vector<ShownMessage> Shown() { return std::exchange(person.shown, {}); }

  ScratchFolder folder{"rilo-files"};
  VirtualClock clock;
  RecordingPort port{clock};
  ScriptedOperator person;
  RecordingPreferences store;
  Workbench bench{
      store, person, port, clock, Ventrix(), ProductLine{}, [] { return std::string("2026/1/5"); }};
};

}  // namespace rilo::testing
