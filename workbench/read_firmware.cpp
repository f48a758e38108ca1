// Reading a unit's whole program area into the firmware images, with its settings and
// its vectors (the password it opened with), ready to be saved as a firmware file.
#include <algorithm>
#include <span>
#include <string>

#include "workbench/command_scope.h"

namespace rilo {
namespace {

constexpr const char *kReadCaption = "讀取程式";
constexpr const char *kReadErrorCaption = "讀取錯誤";
constexpr const char *kReadError = "讀取程式錯誤,請您再試一次!!";
constexpr const char *kModelCaption = "機型錯誤";
constexpr const char *kModelError = "機器型號錯誤,請確認您的機器型號是否正確!!";
constexpr int kRetryBudget = 5;
constexpr int kPageBytes = 128;
constexpr int kVectorArea = 96;  // data offset of 0xFFE0 in the page 0xFF80

constexpr const char *kWrongDeviceCaption = "錯誤";

struct ReadTexts {
  const char *step;
  const char *done;
  const char *failed;
  const char *wrongDevice;
};
constexpr ReadTexts kTransmitterTexts = {"讀取發射機", "讀取發射機程式完成!!", "讀取發射機程式失敗!!",
                                         "您要讀的機器是接收機吧?按錯了喔~!"};
constexpr ReadTexts kReceiverTexts = {"讀取接收機", "讀取接收機程式完成!!", "讀取接收機程式失敗!!",
                                      "您要讀的機器是發射機吧?按錯了喔~!"};

}  // namespace

Outcome Workbench::NLoadTxPrgClick() {
  return Run(kTransmitterTexts.step, true, [this] { return ReadFirmware(true); });
}

Outcome Workbench::NLoadRxPrgClick() {
  return Run(kReceiverTexts.step, true, [this] { return ReadFirmware(false); });
}

// Pages from `start` to the top of the flash into ReadImage. A page that gets no answer
// (or an answer that fails its check) is asked again with a fresh loader entry, at most
// five times, except the first page, which has no retries: the count starts spent.
bool Workbench::ReadFirmwareRange(uint16_t start) {
  const int last = (0xFFFF - start) / kPageBytes;
  op_.SetProgressMax(last + 5);
  FirmwareImage &image = *firmware_.ReadImage;
  // The page reads pass through InfoPage, which holds the identity page of the
  // handshake that the version display shows afterwards.
  const PageFrame identityPage = loader_.InfoPage;
  int retries = kRetryBudget;
  bool read = true;
  for (int i = 0; read && i <= last; ++i) {
    op_.StepProgress();
    const auto address = static_cast<uint16_t>(start + kPageBytes * i);
    for (;;) {
      const ReadOutcome outcome = loader_.ReadPageOutcome(address);
      if (outcome == ReadOutcome::Read) break;
      if (outcome == ReadOutcome::Refused || retries == kRetryBudget) {
        op_.Message(kReadErrorCaption, kReadError, Icon::Error);
        read = false;
        break;
      }
      ++retries;
    }
    if (!read) break;
    retries = 0;
    image[i] = loader_.InfoPage;
  }
  loader_.InfoPage = identityPage;
  if (!read) return false;
  // The vector area is the password, written on its own by a burn.
  std::fill_n(image[last].begin() + kPageData + kVectorArea, kPageBytes - kVectorArea, uint8_t{0xFF});
  RefreshCheckBytes(image, ventrix_);
  return true;
}

// True when the unit the handshake opened is of the other kind: the person is told,
// and nothing is read. A unit of unknown kind is read.
bool Workbench::WrongReadKind(bool transmitter) {
  const std::string role = loader_.UnitRole();
  if (role != (transmitter ? "Rx" : "Tx")) return false;
  op_.Message(kWrongDeviceCaption, (transmitter ? kTransmitterTexts : kReceiverTexts).wrongDevice,
              Icon::Error);
  return true;
}

bool Workbench::ReadFirmware(bool transmitter) {
  const ReadTexts &texts = transmitter ? kTransmitterTexts : kReceiverTexts;
  op_.SetProgress(0);
  bool read = steps_.Connect(flags_.Factory == 1);
  if (read && WrongReadKind(transmitter)) return false;
  if (read) {
    op_.StepProgress();
    for (FirmwareImage *image : {firmware_.ReadImage.get(), firmware_.SingleImage.get()})
      for (PageFrame &page : *image)
        page.fill(0xFF);
    const uint16_t start = transmitter ? 0xF000 : loader_.ShortImage == 1 ? 0xE000 : 0xC000;
    read = ReadFirmwareRange(start);
  }
  if (read) {
    FirmwareImage &image = transmitter ? *firmware_.TxImage : *firmware_.RxImage;
    image = *firmware_.ReadImage;
    *firmware_.SingleImage = *firmware_.ReadImage;
    op_.StepProgress();
    read = loader_.ReadSettingsBlock(1, std::span<uint8_t, 128>(deviceSettings_.data() + kBlock1, 128)) ==
           ReadOutcome::Read;
    if (read) {
      op_.StepProgress();
      read = loader_.ReadSettingsBlock(0, std::span<uint8_t, 128>(deviceSettings_.data(), 128)) ==
             ReadOutcome::Read;
    }
  }
  if (!read) {
    op_.Message(kReadCaption, texts.failed, Icon::Error);
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
    op_.Message(kReadCaption, texts.done, Icon::Information);
    loadedSource_ = transmitter ? LoadedSource::TransmitterFirmware : LoadedSource::ReceiverFirmware;
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
