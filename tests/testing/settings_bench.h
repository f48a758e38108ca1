// The Workbench of the window, started as the window starts it, wired in-process to
// one simulated unit on the virtual clock, with a scripted person at the screen; and
// the messages and looks into the unit the settings tests share.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/preferences.h"
#include "core/testing/scripted_operator.h"
#include "ledger/ledger_location.h"
#include "link/testing/wired_unit.h"
#include "workbench/workbench.h"

namespace rilo::testing {

// What the window shows of a failed handshake.
inline const ShownMessage kModelError{"型號錯誤", "機器型號錯誤,請確認您的機器型號是否正確!!", Icon::Error,
                                      false};
inline const ShownMessage kConnectFailed{"連線失敗",
                                         "連線失敗,請檢查連線狀況及確認通信埠是否正確後再試一次;"
                                         "若通信埠錯誤,需於設定後重新啟動程式!",
                                         Icon::Error, false};

inline const ShownMessage kReadDone{"讀取", "讀取設定完成!!", Icon::Information, false};
inline const ShownMessage kReadError{"讀取錯誤", "讀取設定錯誤,請再試一次!!", Icon::Error, false};
inline const ShownMessage kWriteDone{"寫入", "寫入設定完成!!", Icon::Information, false};
inline const ShownMessage kWriteFailed{"寫入", "寫入設定失敗!!", Icon::Error, false};
inline const ShownMessage kOverwrite{"寫入", "ID-CODE與原先不符,是否要覆蓋原有的ID-CODE?", Icon::Information,
                                     true};
inline const ShownMessage kRestoreError{"寫入設定錯誤", "寫入設定錯誤,請再試一次", Icon::Error, false};

inline std::vector<uint8_t> Flash(const sim::Unit &unit, uint32_t address, size_t count) {
  const auto bytes = unit.memory().Bytes(address, count);
  return {bytes.begin(), bytes.end()};
}

inline std::vector<uint8_t> Block(const SettingsImage &image, int block) {
  return {image.begin() + 128 * block, image.begin() + 128 * (block + 1)};
}

inline bool Sent(const sim::Unit &unit, uint8_t command) {
  return std::any_of(unit.requests().begin(), unit.requests().end(), [&](const sim::Request &r) {
    return r.kind == sim::Request::Kind::kFrame && r.command() == command;
  });
}

inline FeatureFlags Factory() {
  FeatureFlags f;
  f.Factory = 1;
  return f;
}

struct SettingsBench {
  explicit SettingsBench(const sim::UnitConfig &config, FeatureFlags f = {}) : unit(config) {
    for (const char *name : {"Left", "Top", "Height", "Width"})
      store.WriteInteger(name, 0);
    store.WriteString("COM", "COM1");
    const std::pair<const char *, uint8_t> flags[] = {
        {"BattLow", f.BattLow},       {"BattLowAction", f.BattLowAction},
        {"TxEMSCount", f.TxEMSCount}, {"BattCount", f.BattCount},
        {"Key1Time", f.Key1Time},     {"SpecialFunc", f.SpecialFunc},
        {"CustomerInfo", 1},          {"IDCODE", f.IDCODE},
        {"DateCode", f.DateCode},     {"SN", f.SN},
        {"Factory", f.Factory}};
    for (auto [name, value] : flags)
      store.WriteBool(name, value);
    bench.FormMenuCreate({});
    bench.FormMenuShow();
    bench.UseLedger(OpenLedger("sqlite::memory:"), "bench-test");
  }

  Editor &editor() { return bench.editor(); }
  OptionList &List(const char *name) { return *editor().form.Find(name); }
  // Every message since the last look, and forget them.
  std::vector<ShownMessage> Shown() { return std::exchange(person.shown, {}); }

  sim::Unit unit;
  VirtualClock clock;
  sim::SimulatedPort port{unit, clock};
  ScriptedOperator person;
  MemoryPreferences store;
  Workbench bench{
      store, person, port, clock, Ventrix(), ToolProductLine(), [] {
                    return std::string("2026/1/5"); }};
};

}  // namespace rilo::testing
