// An editor wired to test seams: flags to set, a scripted operator, the Ventrix codec
// loaded from beside the test program, an identity page and a fixed "today".
#pragma once

#include <stdexcept>
#include <string>

#include "core/testing/scripted_operator.h"
#include "core/testing/test_ventrix.h"
#include "core/ventrix_api.h"
#include "settings/editor.h"

namespace rilo::testing {

struct EditorBench {
  FeatureFlags flags;
  ScriptedOperator op;
  PageFrame infoPage = [] {
    PageFrame p;
    p.fill(0xFF);
    return p;
  }();
  std::string today = "2026/1/5";
  Editor editor{flags, op, Ventrix(), infoPage, [this] { return today; }};

  OptionList &List(const std::string &name) {
    OptionList *l = editor.form.Find(name);
    if (!l) throw std::invalid_argument("no list " + name);
    return *l;
  }
  void Pick(const std::string &name, int index) { editor.Pick(List(name), index); }
  int Index(const std::string &name) { return List(name).index; }
  uint8_t Byte(int n) const { return B1(editor.Image, n); }

  // Sets the machine type as a handshake would.
  void Model(const std::string &type) {
    editor.MachineType = type;
    editor.MachineTypeChange();
  }
  // Loads `image` as a read or an open does: both images, then the presentation.
  void Load(const SettingsImage &image) {
    editor.LoadedImage = image;
    editor.Image = image;
    editor.ShowValue();
  }
};

}  // namespace rilo::testing
