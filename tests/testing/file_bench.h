// A Workbench started as the window starts it (factory flag on or off), with the real
// Ventrix library, a scripted person, and a scratch folder for the files it opens and
// saves.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/testing/scripted_operator.h"
#include "core/testing/test_ventrix.h"
#include "link/testing/recording_port.h"
#include "link/virtual_clock.h"
#include "workbench/workbench.h"

namespace rilo::testing {

// A folder of its own under the system's temporary folder, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("rilo-files-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  std::string Path(const std::string &name) const { return (path_ / name).string(); }
  const std::filesystem::path &path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a file leaves in the Workbench; equal before and after a refused open.
struct Snapshot {
  explicit Snapshot(Workbench &b)
      : single(*b.firmware.SingleImage),
        tx(*b.firmware.TxImage),
        rx(*b.firmware.RxImage),
        vectors{b.firmware.SingleVectors, b.firmware.TxVectors, b.firmware.RxVectors},
        image(b.editor().Image),
        loaded(b.editor().LoadedImage),
        machineType(b.editor().MachineType),
        caption(b.editor().form.Caption),
        serial(b.editor().form.EEqupmentSN.text),
        date(b.editor().form.EEqupmentDate.text),
        visible(b.view().visible),
        saveExt(b.view().saveDefaultExt),
        lastFile(b.LastFileName),
        source(b.LoadedSource),
        customer(b.Customer.texts) {}
  FirmwareImage single, tx, rx;
  std::vector<VectorTable> vectors;
  SettingsImage image, loaded;
  std::string machineType, caption, serial, date;
  std::map<std::string, bool> visible;
  std::string saveExt, lastFile;
  uint8_t source;
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

  ScratchFolder folder;
  VirtualClock clock;
  RecordingPort port{clock};
  ScriptedOperator person;
  MemoryPreferences store;
  Workbench bench{
      store, person, port, clock, Ventrix(), ProductLine{}, [] { return std::string("2026/1/5"); }};
};

}  // namespace rilo::testing
