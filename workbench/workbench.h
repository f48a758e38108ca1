// The object that owns, for the whole run, what the main window holds: the feature
// flags, the special group flags, the port name, the link to the unit, the settings
// editor with its form, and the shell's view. The Qt window forwards its handlers here
// and mirrors the result; nothing here knows of Qt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/feature_flags.h"
#include "core/operator.h"
#include "core/preferences.h"
#include "core/ventrix_api.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/loader.h"
#include "link/product_line.h"
#include "link/serial_port.h"
#include "settings/editor.h"
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
  // from a stale copy by another. The library and the product-line data are copied.
  Workbench(Preferences &store, Operator &op, SerialPort &port, Clock &clock, const VentrixApi &ventrix,
            const ProductLine &productLine);
  Workbench(const Workbench &) = delete;
  Workbench &operator=(const Workbench &) = delete;

  // Window creation: reads the stored geometry, port and flags in their fixed order.
  // Any missing or mistyped value stops the read there and rewrites the whole default
  // set. Then opens the port, once for the whole run. `current` is the window's
  // geometry before; returns the geometry to apply.
  WindowGeometry FormMenuCreate(WindowGeometry current);

  // Window shown: applies the flags to the view and the form, checks the stored port.
  void FormMenuShow();

  // Window closing: keeps its geometry for the next start.
  void FormMenuClose(WindowGeometry geometry);

  // The quit command: the port is closed before the window.
  void NQuitClick();

  // Port n (1..16) chosen from the menu or the tool-bar pop-up. Stored at once; the
  // port opened at start-up stays in use until the next start.
  void NCOMClick(int n);

  // The unlock dialog's confirm. Writes the typed code's flags and SpecialFunc, tells
  // the person the outcome, and answers true when the program must now quit.
  bool BPasswordOKClick(std::string_view typed);

  const FeatureFlags &flags() const { return flags_; }
  const std::array<uint8_t, 5> &specialGroupFlags() const { return specialGroupFlags_; }
  const std::string &portName() const { return portName_; }
  const ShellView &view() const { return view_; }
  Editor &editor() { return editor_; }
  const Link &link() const { return link_; }

 private:
  bool ReadStoredPreferences(WindowGeometry &geometry);
  void WriteGeometry(const WindowGeometry &geometry);
  void WriteDefaults(const WindowGeometry &geometry);

  Preferences &store_;
  Operator &op_;
  const VentrixApi ventrix_;
  const ProductLine productLine_;
  FeatureFlags flags_;
  std::array<uint8_t, 5> specialGroupFlags_{};  // BattLow, BattLowAction, TxEMSCount, BattCount, Key1Time
  std::string portName_;
  ShellView view_;
  Link link_;
  // The editor reads the identity page the loader fills, and the loader stamps the
  // machine type the editor keeps: each holds a reference into the other.
  Editor editor_;
  Loader loader_;
};

}  // namespace rilo
