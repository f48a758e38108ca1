// The open and save commands: the dialogs, the choice of the file kind, the questions,
// and the write. What each kind does to the buffers is in open_settings, open_firmware
// and save_settings.
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

void Workbench::NOpenfileClick(FileDialogs &dialogs) {
  CommandScope scope(*this, false);
  if (!scope.Started()) return;
  const auto chosen = dialogs.ChooseFileToOpen(view_.openFilter, store_.ReadString(kLastFolder).value_or(""));
  if (!chosen) return;
  if (flags_.Factory != 1) {
    // The form's filter offered the settings file by its design name; from now on
    // the dialog names it as the save dialog does.
    view_.openFilter = "RILO Format [*.rilo]";
    OpenSettingsNoFactory(chosen->path);
    return;
  }
  switch (chosen->filterIndex) {
    case 1:
      OpenSettingsFactory(chosen->path);
      break;
    case 2:
      OpenFirmwareFile(FirmwareFile::Text, chosen->path);
      break;
    case 3:
      OpenFirmwareFile(FirmwareFile::Data, chosen->path);
      break;
    default:  // the dialog offers these three kinds only
      break;
  }
}

void Workbench::OpenSettingsFactory(const std::string &path) {
  const std::optional<std::string> text = ReadParserText(path);
  if (!text) return;
  const std::optional<SettingsFileContent> file = ParseSettingsFile(ventrix_, *text);
  if (!file) {
    op_.Message(kFormatCaption, kFormatText, Icon::Error);
    return;
  }
  LastFileName = path;
  editor_.LoadedImage = file->image;
  editor_.Image = file->image;
  editor_.ShowValue();
  Customer = ReadCustomerBlock(file->customerText);
  LoadedSource = 1;
  view_.saveDefaultExt = "rilo";
  view_.saveFilter = "RILO Format [*.rilo]";
  ShowOpenedFile();
}

void Workbench::OpenSettingsNoFactory(const std::string &path) {
  const std::optional<std::string> text = ReadParserText(path);
  if (!text || !OpenSettingsFile(editor_, ventrix_, op_, *text, &Customer)) return;
  LastFileName = path;
  LoadedSource = 1;
  view_.saveDefaultExt = "rilo";
  view_.saveFilter = "RILO Format [*.rilo]";
}

void Workbench::NSavefileClick(FileDialogs &dialogs) {
  CommandScope scope(*this, false);
  if (!scope.Started()) return;
  // The folded identity stays in the working image whatever happens next.
  if (!PrepareSettingsSave(editor_, flags_, ventrix_, op_)) return;
  const bool factory = flags_.Factory == 1;
  if (factory && view_.saveDefaultExt == "dat") {
    const bool program = op_.Ask(kSaveCaption, kFormatQuestion, Icon::None);
    view_.saveDefaultExt = program ? "dat" : "rilo";
    view_.saveFilter = program ? "DAT Format [*.dat]" : "RILO Format [*.rilo]";
  }
  const std::string proposed =
      LastFileName.empty() ? store_.ReadString(kLastFolder).value_or("") : LastFileName;
  const std::optional<std::string> path =
      dialogs.ChooseFileToSave(view_.saveFilter, view_.saveDefaultExt, proposed);
  if (!path) return;
  // Only the file last opened is asked about: any other file is written over as chosen.
  if (*path == LastFileName && !op_.Ask(kSaveCaption, kOverwriteQuestion, Icon::Information)) return;

  const std::string kind = factory ? view_.saveDefaultExt : "rilo";
  TextLines lines;
  if (kind == "txt") {
    lines = FirmwareTextFileLines(firmware.SingleVectors, editor_.Image, *firmware.SingleImage);
  } else if (kind == "dat") {
    if (!FitsDataFile(*firmware.TxImage) || !FitsDataFile(*firmware.RxImage)) {
      op_.Message(kErrorCaption, kNotARun, Icon::Error);
      return;
    }
    lines = FirmwareDataFileLines(firmware.TxVectors, firmware.RxVectors, editor_.Image, *firmware.TxImage,
                                  *firmware.RxImage);
  } else {
    lines = SettingsFileLines(editor_.Image, Customer);
  }
  std::string reason;
  if (!WriteFileAtomically(*path, JoinCrLf(lines), &reason)) {
    op_.Message(kSaveFileCaption, "無法儲存檔案 " + *path + "\n" + reason, Icon::Error);
    return;
  }
  RememberFolder(*path);
  op_.Message(kSaveFileCaption, kSaved, Icon::Information);
}

}  // namespace rilo
