// The object that owns, for the whole run, what the main window holds: the feature
// flags, the special group flags, the port name and the shell's view. The Qt window
// forwards its handlers here and mirrors the result; nothing here knows of Qt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/feature_flags.h"
#include "core/operator.h"
#include "core/preferences.h"
#include "workbench/shell_view.h"

namespace rilo {

// Outer window position and size in screen pixels, as the preference store keeps them.
struct WindowGeometry {
  int left = 0;
  int top = 0;
  int height = 0;
  int width = 0;
  bool operator==(const WindowGeometry &) const = default;
};

class Workbench {
 public:
  // `store` is the preference store held for the whole run; every read and write of
  // the shell goes through it, so values written by one handler are never overwritten
  // from a stale copy by another.
  Workbench(Preferences &store, Operator &op);

  // Window creation: reads the stored geometry, port and flags in their fixed order.
  // Any missing or mistyped value stops the read there and rewrites the whole default
  // set. `current` is the window's geometry before; returns the geometry to apply.
  WindowGeometry FormMenuCreate(WindowGeometry current);

  // Window shown: applies the flags to the view and checks the stored port.
  void FormMenuShow();

  // Window closing: keeps its geometry for the next start.
  void FormMenuClose(WindowGeometry geometry);

  // Port n (1..16) chosen from the menu or the tool-bar pop-up.
  void NCOMClick(int n);

  // The unlock dialog's confirm. Writes the typed code's flags and SpecialFunc, tells
  // the person the outcome, and answers true when the program must now quit.
  bool BPasswordOKClick(std::string_view typed);

  const FeatureFlags &flags() const { return flags_; }
  const std::array<uint8_t, 5> &specialGroupFlags() const { return specialGroupFlags_; }
  const std::string &portName() const { return portName_; }
  const ShellView &view() const { return view_; }

 private:
  bool ReadStoredPreferences(WindowGeometry &geometry);
  void WriteDefaults(const WindowGeometry &geometry);

  Preferences &store_;
  Operator &op_;
  FeatureFlags flags_;
  std::array<uint8_t, 5> specialGroupFlags_{};  // BattLow, BattLowAction, TxEMSCount, BattCount, Key1Time
  std::string portName_;
  ShellView view_;
};

}  // namespace rilo
