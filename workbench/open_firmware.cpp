// The open command's steps for firmware files: the parse into fresh buffers, then,
// only for a file the parser took, the copies into the window's buffers.
#include "workbench/open_firmware.h"

#include "base/sha256.h"

#include "workbench/command_scope.h"
#include "workbench/file_identity.h"
#include "workbench/file_messages.h"

namespace rilo {
namespace {

using namespace file_messages;

using Rows = uint8_t (*)[128];
using Frames = uint8_t (*)[138];

std::unique_ptr<FirmwareImage> UnusedImage() {
  auto image = std::make_unique<FirmwareImage>();
  ResetImage(*image);
  return image;
}

Frames FramesOf(FirmwareImage &image) {
  return reinterpret_cast<Frames>(image.data());
}

}  // namespace

std::optional<FirmwareFileContent> ParseFirmwareFile(const VentrixApi &ventrix, FirmwareFile kind,
                                                     const std::string &text,
                                                     const FirmwareFileContent &vectorsBefore) {
  FirmwareFileContent file;
  const Rows rows = reinterpret_cast<Rows>(file.settings.data());
  const char *rest = nullptr;
  if (kind == FirmwareFile::Text) {
    file.single = {UnusedImage(), vectorsBefore.single.vectors};
    rest = ventrix.ArrangeTxt(text.c_str(), file.single.vectors.data(), rows, FramesOf(*file.single.image));
  } else {
    file.tx = {UnusedImage(), vectorsBefore.tx.vectors};
    file.rx = {UnusedImage(), vectorsBefore.rx.vectors};
    rest = ventrix.ArrangeDat(text.c_str(), file.tx.vectors.data(), file.rx.vectors.data(), rows,
                              FramesOf(*file.tx.image), FramesOf(*file.rx.image));
  }
  // Not the format's first character (rest == text) or malformed (null): refused.
  if (!rest || rest == text.c_str()) return std::nullopt;
  return file;
}

Outcome Workbench::OpenFirmwareFile(FirmwareFile kind, const std::string &path) {
  return Run("開啟檔案", false, [&] { return OpenFirmware(kind, path); });
}

bool Workbench::OpenFirmware(FirmwareFile kind, const std::string &path) {
  const std::optional<std::string> text = ReadParserText(path);
  if (!text) return false;
  FirmwareFileContent before;
  before.single.vectors = firmware_.SingleVectors;
  before.tx.vectors = firmware_.TxVectors;
  before.rx.vectors = firmware_.RxVectors;
  const std::optional<FirmwareFileContent> file = ParseFirmwareFile(ventrix_, kind, *text, before);
  if (!file) {
    op_.Message(kFormatCaption, kFormatText, Icon::Error);
    return false;
  }

  lastFileName_ = path;
  firmwareFile_ = path.substr(path.find_last_of("/\\") + 1);
  firmwareSha256_ = Sha256Hex(*text);
  ResetImages();
  if (kind == FirmwareFile::Text) {
    *firmware_.SingleImage = *file->single.image;
    *firmware_.TxImage = *file->single.image;
    *firmware_.RxImage = *file->single.image;
    firmware_.SingleVectors = file->single.vectors;
    firmware_.TxVectors = file->single.vectors;
    firmware_.RxVectors = file->single.vectors;
    const bool transmitter = IsTransmitterFirmware(firmware_.SingleVectors);
    view_.visible["NWriteTxPrg"] = view_.visible["BWriteTx"] = transmitter;
    view_.visible["NWriteRxPrg"] = view_.visible["BWriteRx"] = !transmitter;
    loadedSource_ = LoadedSource::FirmwareTextFile;
  } else {
    *firmware_.TxImage = *file->tx.image;
    *firmware_.RxImage = *file->rx.image;
    firmware_.TxVectors = file->tx.vectors;
    firmware_.RxVectors = file->rx.vectors;
    for (const char *control : {"BWriteTx", "BWriteRx", "NWriteRxPrg", "NWriteTxPrg"})
      view_.visible[control] = true;
    loadedSource_ = LoadedSource::FirmwareDataFile;
  }
  editor_.LoadedImage = file->settings;
  editor_.Image = file->settings;
  editor_.ShowValue();
  view_.saveDefaultExt = kind == FirmwareFile::Text ? "txt" : "dat";
  view_.saveFilter = kind == FirmwareFile::Text ? "TXT Format [*.txt]" : "DAT Format [*.dat]";
  ShowOpenedFile();
  return true;
}

// The end of the factory flow for every file kind: the model the loaded block names,
// the identity fields from the working block, the message.
void Workbench::ShowOpenedFile() {
  editor_.MachineType.clear();
  const std::string_view model = MachineTypeOf(editor_.LoadedImage);
  if (!model.empty()) {
    SetFileModel(editor_, model);
    editor_.MachineTypeChange();
  }
  ShowFileIdentity(editor_);
  op_.Message(kOpenCaption, kOpened, Icon::Information);
  editor_.IdentityShown = 0;
}

}  // namespace rilo
