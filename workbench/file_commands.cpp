// The open and save commands: the dialogs, the choice of the file kind, the questions,
// and the write. What each kind does to the buffers is in open_settings, open_firmware
// and save_settings.
#include <cctype>
#include <filesystem>

#include "files/file_text.h"
#include "files/file_writers.h"
#include "workbench/command_scope.h"
#include "workbench/file_messages.h"
#include "workbench/open_settings.h"
#include "workbench/save_settings.h"

namespace rilo {
namespace {

using namespace file_messages;

constexpr const char *kLastFolder = "LastFolder";

// The file kind the open dialog chose (1 settings, 2 firmware text, 3 firmware data):
// its filter's, or with every file shown, the file's extension's.
int KindOf(const FileDialogs::Chosen &chosen) {
  if (chosen.filterIndex >= 1 && chosen.filterIndex <= 3) return chosen.filterIndex;
  std::string extension = PathFromUtf8(chosen.path).extension().string();
  for (char &c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".txt" ? 2 : extension == ".dat" ? 3 : 1;
}

// Whether a file, even a dangling link, stands at `path`. A folder there is no file to
// lose: the write itself refuses it, and says so.
bool NameTaken(const std::string &path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::symlink_status(PathFromUtf8(path), error);
  return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

std::optional<std::string> Workbench::ReadParserText(const std::string &path) {
  std::string reason;
  const std::optional<std::string> bytes = ReadFileBytes(path, &reason);
  if (!bytes) {
    op_.Message(kOpenCaption, "無法開啟檔案 " + path + "\n" + reason, Icon::Error);
    return std::nullopt;
  }
  RememberFolder(path);
  std::optional<std::string> text = ParserText(*bytes);
  if (!text) op_.Message(kFormatCaption, kFormatText, Icon::Error);
  return text;
}

// Only a folder that held a file the tool could read or write is offered again.
void Workbench::RememberFolder(const std::string &path) {
  const std::u8string folder = PathFromUtf8(path).parent_path().u8string();
  KeepPreferences([&] { store_.WriteString(kLastFolder, std::string(folder.begin(), folder.end())); });
}

Outcome Workbench::NOpenfileClick(FileDialogs &dialogs) {
  Outcome outcome = Run("開啟檔案", false, [&] {
    const auto chosen =
        dialogs.ChooseFileToOpen(view_.openFilter, store_.ReadString(kLastFolder).value_or(""));
    if (!chosen) return false;
    if (flags_.Factory != 1) {
      // The form's filter offered the settings file by its design name; from now on
      // the dialog names it as the save dialog does.
      view_.openFilter = "RILO Format [*.rilo]";
      return OpenSettingsNoFactory(chosen->path);
    }
    switch (KindOf(*chosen)) {
      case 2:
        return OpenFirmware(FirmwareFile::Text, chosen->path);
      case 3:
        return OpenFirmware(FirmwareFile::Data, chosen->path);
      default:
        return OpenSettingsFactory(chosen->path);
    }
  });
  // What is open now came from a file.
  if (outcome.done) {
    firmwareUnsaved_ = false;
    WorkKept();
  }
  return outcome;
}

bool Workbench::OpenSettingsFactory(const std::string &path) {
  const std::optional<std::string> text = ReadParserText(path);
  if (!text) return false;
  const std::optional<SettingsFileContent> file = ParseSettingsFile(ventrix_, *text);
  if (!file) {
    op_.Message(kFormatCaption, kFormatText, Icon::Error);
    return false;
  }
  lastFileName_ = path;
  editor_.LoadedImage = file->image;
  editor_.Image = file->image;
  editor_.ShowValue();
  customer_ = ReadCustomerBlock(file->customerText);
  CustomerFrom(path);
  loadedSource_ = LoadedSource::SettingsFile;
  view_.saveDefaultExt = "rilo";
  view_.saveFilter = "RILO Format [*.rilo]";
  ShowOpenedFile();
  return true;
}

bool Workbench::OpenSettingsNoFactory(const std::string &path) {
  const std::optional<std::string> text = ReadParserText(path);
  if (!text || !AdoptSettingsText(*text)) return false;
  lastFileName_ = path;
  CustomerFrom(path);
  return true;
}

void Workbench::CustomerFrom(const std::string &path) {
  const std::u8string name = PathFromUtf8(path).filename().u8string();
  customerSource_.assign(name.begin(), name.end());
}

Outcome Workbench::OpenSettingsText(const std::string &text) {
  return Run("開啟檔案", false, [&] { return AdoptSettingsText(text); });
}

bool Workbench::AdoptSettingsText(const std::string &text) {
  if (!OpenSettingsFile(editor_, ventrix_, op_, text, &customer_)) return false;
  loadedSource_ = LoadedSource::SettingsFile;
  view_.saveDefaultExt = "rilo";
  view_.saveFilter = "RILO Format [*.rilo]";
  return true;
}

Outcome Workbench::NSavefileClick(FileDialogs &dialogs) {
  return Run("儲存檔案", false, [&] { return Save(dialogs); });
}

bool Workbench::Save(FileDialogs &dialogs) {
  // The folded identity stays in the working image whatever happens next.
  if (!PrepareSettingsSave(editor_, flags_, ventrix_, op_)) return false;
  const bool factory = flags_.Factory == 1;
  if (factory && view_.saveDefaultExt == "dat") {
    const bool program = op_.Ask(kSaveCaption, kFormatQuestion, Icon::None);
    view_.saveDefaultExt = program ? "dat" : "rilo";
    view_.saveFilter = program ? "DAT Format [*.dat]" : "RILO Format [*.rilo]";
  }
  const std::string proposed =
      lastFileName_.empty() ? store_.ReadString(kLastFolder).value_or("") : lastFileName_;
  const std::optional<std::string> path =
      dialogs.ChooseFileToSave(view_.saveFilter, view_.saveDefaultExt, proposed);
  if (!path) return false;
  // Any name already taken is asked about, not only the file last opened: a customer's
  // file saved over by a slip of the mouse is gone.
  if (NameTaken(*path) && !op_.Ask(kSaveCaption, kOverwriteQuestion, Icon::Information)) return false;
  return WriteFile(*path, factory ? view_.saveDefaultExt : "rilo");
}

Outcome Workbench::SaveFile(const std::string &path) {
  return Run("儲存檔案", false, [&] {
    if (!PrepareSettingsSave(editor_, flags_, ventrix_, op_)) return false;
    return WriteFile(path, flags_.Factory == 1 ? view_.saveDefaultExt : "rilo");
  });
}

// The file of `kind` ("txt", "dat", else a settings file) written whole to `path`.
bool Workbench::WriteFile(const std::string &path, const std::string &kind) {
  TextLines lines;
  if (kind == "txt") {
    lines = FirmwareTextFileLines(firmware_.SingleVectors, editor_.Image, *firmware_.SingleImage);
  } else if (kind == "dat") {
    if (!FitsDataFile(*firmware_.TxImage) || !FitsDataFile(*firmware_.RxImage)) {
      op_.Message(kErrorCaption, kNotARun, Icon::Error);
      return false;
    }
    lines = FirmwareDataFileLines(firmware_.TxVectors, firmware_.RxVectors, editor_.Image, *firmware_.TxImage,
                                  *firmware_.RxImage);
  } else {
    lines = SettingsFileLines(editor_.Image, customer_);
  }
  std::string reason;
  if (!WriteFileAtomically(path, JoinCrLf(lines), &reason)) {
    op_.Message(kSaveFileCaption, "無法儲存檔案 " + path + "\n" + reason, Icon::Error);
    return false;
  }
  RememberFolder(path);
  if (kind == "txt" || kind == "dat") firmwareUnsaved_ = false;
  WorkKept();
  op_.Message(kSaveFileCaption, kSaved, Icon::Information);
  return true;
}

}  // namespace rilo
