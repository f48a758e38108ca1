// show and set: the settings editor on the command line. A file is presented as a
// read presents a unit's settings, and each NAME=INDEX is picked as a person picks an
// entry in the window, so the same rules and cascades apply.
#include <charconv>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/settings_files.h"
#include "cli/terminal_operator.h"
#include "settings/editor.h"
#include "settings/short_date.h"

namespace rilo {
namespace {

struct Pick {
  std::string name;
  int index;
};

struct SettingsArguments {
  std::string file;
  std::string out;
  bool raw = false;
  std::string model;  // "10", "12", or empty: the image's own model code
  std::vector<Pick> picks;
};

std::optional<int> ParseIndex(std::string_view s) {
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || value < 0) return std::nullopt;
  return value;
}

// Parses the words after the command's name; `withPicks` allows NAME=INDEX and -o OUT.
std::optional<SettingsArguments> Parse(const Arguments &args, bool withPicks) {
  SettingsArguments a;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &w = args[i];
    if (w == "--raw") {
      a.raw = true;
    } else if (w == "--q10" || w == "--q12") {
      if (!a.model.empty()) {
        std::cerr << "--q10 與 --q12 只能擇一\n";
        return std::nullopt;
      }
      a.model = w.substr(3);
    } else if (withPicks && w == "-o") {
      if (++i == args.size()) {
        std::cerr << "-o 之後應為輸出檔名\n";
        return std::nullopt;
      }
      a.out = args[i];
    } else if (withPicks && w.find('=') != std::string::npos) {
      const size_t eq = w.find('=');
      const auto index = ParseIndex(std::string_view(w).substr(eq + 1));
      if (eq == 0 || !index) {
        std::cerr << "選擇應寫成 名稱=項次 (例如 CBUDAction=3): " << w << "\n";
        return std::nullopt;
      }
      a.picks.push_back({w.substr(0, eq), *index});
    } else if (w.starts_with("-") || !a.file.empty()) {
      std::cerr << "無法辨識的參數: " << w << "\n";
      return std::nullopt;
    } else {
      a.file = w;
    }
  }
  if (a.file.empty()) {
    std::cerr << "缺少設定檔名\n";
    return std::nullopt;
  }
  if (withPicks && a.out.empty()) {
    std::cerr << "缺少輸出檔名 (-o OUT)\n";
    return std::nullopt;
  }
  return a;
}

// The editor with what a bench session has: no feature flags, no unit attached.
struct Session {
  explicit Session(const VentrixApi &ventrix) : editor(flags, op, ventrix, infoPage, SystemShortDate) {
    infoPage.fill(0xFF);
  }
  FeatureFlags flags;
  TerminalOperator op;
  PageFrame infoPage;
  Editor editor;
};

// A raw image has no customer record.
std::optional<SettingsFile> Read(const SettingsArguments &a, const VentrixApi &ventrix) {
  std::string error;
  std::optional<SettingsFile> file;
  if (!a.raw) {
    file = ReadSettingsFile(a.file, ventrix, &error);
  } else if (const auto image = ReadRawImage(a.file, &error)) {
    file = SettingsFile{*image, {}};
  }
  if (!file) std::cerr << error << "\n";
  return file;
}

// One line per field, so a script reads it line by line: a memo's line breaks are
// written "\n", and a backslash "\\".
std::string OneLine(std::string_view text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i).starts_with("\r\n")) {
      line += "\\n";
      ++i;
    } else if (text[i] == '\\') {
      line += "\\\\";
    } else if (text[i] == '\r' || text[i] == '\n') {
      line += "\\n";
    } else {
      line += text[i];
    }
  }
  return line;
}

// As a read from a unit whose model the handshake already knew: the control set is in
// force while the image is presented, and fitted again afterwards.
void Present(Editor &editor, const SettingsImage &image, const std::string &model) {
  editor.MachineType = model.empty() ? std::string(MachineTypeOf(image)) : model;
  if (!editor.MachineType.empty()) editor.MachineTypeChange();
  editor.LoadedImage = image;
  editor.Image = image;
  editor.ShowValue();
  if (!editor.MachineType.empty()) editor.MachineTypeChange();
}

void Print(const Editor &editor, const CustomerRecord &customer) {
  std::cout << "MachineType=" << editor.MachineType << "\n";
  std::cout << "EEqupmentID=" << editor.form.EEqupmentID.text << "\n";
  for (const OptionList *l : editor.form.Lists()) {
    std::cout << l->name << "=";
    if (l->index < 0)
      std::cout << "-";
    else
      std::cout << l->index << "\t" << l->entries[l->index];
    if (!l->enabled) std::cout << "\tdisabled";
    if (!l->visible) std::cout << "\thidden";
    std::cout << "\n";
  }
  for (size_t f = 0; f < customer.texts.size(); ++f)
    std::cout << "CUSTOMER." << kCustomerFields[f].control << "=" << OneLine(customer.texts[f]) << "\n";
}

}  // namespace

int RunShow(const Arguments &args, const VentrixApi &ventrix) {
  const auto a = Parse(args, false);
  if (!a) return kExitUsage;
  const auto file = Read(*a, ventrix);
  if (!file) return kExitFailed;
  Session s(ventrix);
  Present(s.editor, file->image, a->model);
  Print(s.editor, file->customer);
  return kExitOk;
}

int RunSet(const Arguments &args, const VentrixApi &ventrix) {
  const auto a = Parse(args, true);
  if (!a) return kExitUsage;
  const auto file = Read(*a, ventrix);
  if (!file) return kExitFailed;
  Session s(ventrix);
  Present(s.editor, file->image, a->model);

  for (const Pick &p : a->picks) {
    OptionList *list = s.editor.form.Find(p.name);
    if (!list) {
      std::cerr << "沒有名為 " << p.name << " 的選項清單\n";
      return kExitFailed;
    }
    if (p.index >= list->Count()) {
      std::cerr << p.name << " 沒有第 " << p.index << " 項 (可選 0 到 " << list->Count() - 1 << ")\n";
      return kExitFailed;
    }
    if (!list->enabled || !list->visible) {
      std::cerr << p.name << (list->enabled ? " 目前隱藏" : " 目前停用") << ",無法選擇\n";
      return kExitFailed;
    }
    s.editor.Pick(*list, p.index);
  }

  std::string error;
  // The customer record goes with the settings it came with.
  const bool written = a->raw ? WriteRawImage(a->out, s.editor.Image, &error)
                              : WriteSettingsFile(a->out, {s.editor.Image, file->customer}, &error);
  if (!written) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace rilo
