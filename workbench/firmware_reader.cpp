#include "workbench/firmware_reader.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

namespace rilo {
namespace {

constexpr const char *kReadErrorCaption = "讀取錯誤";
constexpr const char *kReadError = "讀取程式錯誤,請您再試一次!!";
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

const char *FirmwareReader::Step(bool transmitter) {
  return (transmitter ? kTransmitterTexts : kReceiverTexts).step;
}

const char *FirmwareReader::DoneText(bool transmitter) {
  return (transmitter ? kTransmitterTexts : kReceiverTexts).done;
}

const char *FirmwareReader::FailedText(bool transmitter) {
  return (transmitter ? kTransmitterTexts : kReceiverTexts).failed;
}

ReadOutcome FirmwareReader::ReadPage(uint16_t address, bool streamed, PageFrame &page) {
  if (!streamed) {
    const ReadOutcome outcome = loader_.ReadPageOutcome(address);
    if (outcome == ReadOutcome::Read) page = loader_.InfoPage;
    return outcome;
  }
  std::array<uint8_t, kPageBytes> data;
  const ReadOutcome outcome = loader_.StreamRead(address, data);
  if (outcome != ReadOutcome::Read) return outcome;
  page.fill(0);
  SetPageHeader(page, address);
  std::copy(data.begin(), data.end(), page.begin() + kPageData);
  return outcome;  // the check bytes are made for every page at the end
}

// Pages from `start` to the top of the flash into ReadImage. A page that gets no answer
// (or an answer that fails its check) is asked again, with a fresh loader entry unless
// `streamed`, at most five times, except the first page, which has no retries: the
// count starts spent.
bool FirmwareReader::ReadRange(uint16_t start, bool streamed) {
  const int last = (0xFFFF - start) / kPageBytes;
  steps_.person.SetProgressMax(last + 5);
  FirmwareImage &image = *firmware_.ReadImage;
  // The page reads pass through InfoPage, which holds the identity page of the
  // handshake that the version display shows afterwards.
  const PageFrame identityPage = loader_.InfoPage;
  int retries = kRetryBudget;
  bool read = true;
  for (int i = 0; read && i <= last; ++i) {
    steps_.person.StepProgress();
    steps_.person.ShowPhase("讀取 " + std::to_string(i + 1) + "/" + std::to_string(last + 1));
    const auto address = static_cast<uint16_t>(start + kPageBytes * i);
    for (;;) {
      const ReadOutcome outcome = ReadPage(address, streamed, image[i]);
      if (outcome == ReadOutcome::Read) break;
      if (outcome == ReadOutcome::Refused || retries == kRetryBudget) {
        steps_.person.Message(kReadErrorCaption, kReadError, Icon::Error);
        read = false;
        break;
      }
      ++retries;
    }
    if (!read) break;
    retries = 0;
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
bool FirmwareReader::WrongKind(bool transmitter) {
  const std::string role = loader_.UnitRole();
  if (role != (transmitter ? "Rx" : "Tx")) return false;
  steps_.person.Message(kWrongDeviceCaption, (transmitter ? kTransmitterTexts : kReceiverTexts).wrongDevice,
                        Icon::Error);
  return true;
}

FirmwareReader::Ending FirmwareReader::Run(bool transmitter, bool factory, uint32_t fastBaud) {
  if (!steps_.Connect(factory)) return Ending::Failed;
  if (WrongKind(transmitter)) return Ending::WrongKind;
  steps_.person.StepProgress();
  for (FirmwareImage *image : {firmware_.ReadImage.get(), firmware_.SingleImage.get()})
    for (PageFrame &page : *image)
      page.fill(0xFF);
  const uint16_t start = transmitter ? 0xF000 : loader_.ShortImage == 1 ? 0xE000 : 0xC000;
  const uint8_t patchNeeded = loader_.PatchNeeded, shortImage = loader_.ShortImage;
  if (fastBaud != 0) {
    // The loader's version and chip tell whether it can go faster, and whether the
    // settings blocks need the patch: the identification knows the loader better than
    // the password does. It leaves the loader open for the pages. Where the program
    // area starts stays as the handshake decided.
    loader_.IdentifyDevice();
    loader_.ShortImage = shortImage;
    if (!steps_.StreamAt(fastBaud)) return Ending::Failed;
  }
  if (!ReadRange(start, fastBaud != 0)) return Ending::Failed;
  FirmwareImage &image = transmitter ? *firmware_.TxImage : *firmware_.RxImage;
  image = *firmware_.ReadImage;
  *firmware_.SingleImage = *firmware_.ReadImage;
  // Streamed, the blocks come from the loader the pages came from, as two more reads.
  auto readBlock = [&](int block) {
    if (fastBaud == 0) return loader_.ReadSettingsBlock(block, BlockOf(unitSettings_, block));
    return loader_.StreamRead(block == 0 ? 0x1000 : 0x1080, BlockOf(unitSettings_, block));
  };
  steps_.person.StepProgress();
  if (readBlock(1) != ReadOutcome::Read) return Ending::Failed;
  steps_.person.StepProgress();
  if (readBlock(0) != ReadOutcome::Read) return Ending::Failed;
  if (fastBaud != 0) return Ending::Read;
  // Last, since it enters the loader afresh (a patched loader loses its patch): the
  // loader's version, for the record and the status bar, as the settings read learns
  // it.
  loader_.IdentifyDevice();
  loader_.PatchNeeded = patchNeeded;
  loader_.ShortImage = shortImage;
  return Ending::Read;
}

}  // namespace rilo
