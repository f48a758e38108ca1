// Reading a unit's whole program area into the firmware images, with its settings and
// its vectors (the password it opened with), ready to be saved as a firmware file.
#include "workbench/command_scope.h"
#include "workbench/firmware_reader.h"

namespace rilo {
namespace {

constexpr const char *kReadCaption = "讀取程式";
constexpr const char *kModelCaption = "機型錯誤";
constexpr const char *kModelError = "機器型號錯誤,請確認您的機器型號是否正確!!";

}  // namespace

Outcome Workbench::NLoadTxPrgClick() {
  return RunOnUnit(FirmwareReader::Step(true), "read-firmware", [this] { return ReadFirmware(true); });
}

Outcome Workbench::NLoadRxPrgClick() {
  return RunOnUnit(FirmwareReader::Step(false), "read-firmware", [this] { return ReadFirmware(false); });
}

bool Workbench::ReadFirmware(bool transmitter) {
  op_.SetProgress(0);
  FirmwareReader reader(steps_, firmware_, deviceSettings_, ventrix_);
  switch (reader.Run(transmitter, flags_.Factory == 1, fastBaud_)) {
    case FirmwareReader::Ending::Read:
      break;
    case FirmwareReader::Ending::WrongKind:
      return false;
    case FirmwareReader::Ending::Failed:
      op_.Message(kReadCaption, FirmwareReader::FailedText(transmitter), Icon::Error);
      PrepareFirmwareSave(transmitter);
      return false;
  }
  op_.StepProgress();
  editor_.LoadedImage = deviceSettings_;
  editor_.Image = deviceSettings_;
  firmware_.SingleVectors = loader_.CurrentPassword;
  (transmitter ? firmware_.TxVectors : firmware_.RxVectors) = loader_.CurrentPassword;
  editor_.ShowValue();
  editor_.MachineType = MachineTypeOf(editor_.LoadedImage);
  bool done = false;
  if (editor_.MachineType.empty()) {
    op_.Message(kModelCaption, kModelError, Icon::Error);
  } else {
    editor_.MachineTypeChange();
    op_.StepProgress();
    op_.Message(kReadCaption, FirmwareReader::DoneText(transmitter), Icon::Information);
    loadedSource_ = transmitter ? LoadedSource::TransmitterFirmware : LoadedSource::ReceiverFirmware;
    // Nowhere but in this window until saved as a firmware file.
    firmwareUnsaved_ = true;
    WorkKept();
    done = true;
  }
  PrepareFirmwareSave(transmitter);
  return done;
}

// A read of one kind after a read of the other offers the data file that holds both;
// otherwise the text file, remembering which kind chose it.
void Workbench::PrepareFirmwareSave(bool transmitter) {
  const FirmwareRead other = transmitter ? FirmwareRead::Receiver : FirmwareRead::Transmitter;
  if (lastFirmwareRead_ == other) {
    view_.saveDefaultExt = "dat";
    view_.saveFilter = "DAT Format [*.dat]";
    return;
  }
  view_.saveDefaultExt = "txt";
  view_.saveFilter = "TXT Format [*.txt]";
  lastFirmwareRead_ = transmitter ? FirmwareRead::Transmitter : FirmwareRead::Receiver;
}

}  // namespace rilo
