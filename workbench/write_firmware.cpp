// Burning TxImage or RxImage into a unit: erase, every used page, the signature page,
// the identity page, both settings blocks, the other top pages and the vectors; then,
// with VerifyBurn, everything written read back.
#include <algorithm>
#include <span>

#include "core/conversion.h"
#include "link/read_back.h"
#include "workbench/command_scope.h"

namespace rilo {
namespace {

constexpr const char *kWrongDeviceCaption = "錯誤";
constexpr const char *kEmptyDate = "20  /  /";
constexpr uint16_t kTopSegment = 0xFE00;
constexpr uint16_t kTopPage = 0xFF80;
constexpr uint16_t kSignatureAddress = 0xFC00;
constexpr uint16_t kVectorsAddress = 0xFFE0;
constexpr uint32_t kMemorySize = 0x10000;
constexpr int kPageBytes = 128;
constexpr int kVectorArea = 96;  // data offset of 0xFFE0 in the page 0xFF80
constexpr uint32_t kPatchedPageWaitMs = 100;
constexpr uint32_t kRomPageWaitMs = 200;
constexpr uint32_t kSignatureWaitMs = 100;
constexpr int kProgressSteps = 11;
constexpr int kTransmitterFailedProgress = 516;
constexpr int kVerifyRetries = 5;

struct WriteTexts {
  const char *doneCaption;
  const char *done;
  const char *failed;
  const char *wrongDevice;
};
constexpr WriteTexts kTransmitterTexts = {"寫入程式!", "寫入發射機程式完成!!",
                                          "寫入發射機程式失敗,請再試一次!!",
                                          "您要燒的機器是接收機吧?按錯了喔~!"};
constexpr WriteTexts kReceiverTexts = {"寫入程式", "寫入接收機程式完成!!", "寫入接收機程式失敗,請再試一次",
                                       "您要燒的機器是發射機吧?按錯了喔~!"};
constexpr const char *kFailedCaption = "寫入程式!";

bool StartsInTransmitterArea(const FirmwareImage &image) {
  return image[0][5] == 0xF0;
}

// What the unit must hold after the burn: for every address the last byte sent to it,
// -1 where nothing was written (erased flash, 0xFF, since the burn began with a mass
// erase). The top segment's erase sets its addresses to 0xFF. A byte sent as 0xFF
// programs nothing and keeps what an earlier frame put there (a file's top page
// repeats 0xFF60..0xFF7F as 0xFF); two different bytes sent to one address without an
// erase between them leave a byte that neither frame meant, and the read-back says so.
using FlashPlan = std::vector<int16_t>;

void Plan(FlashPlan &plan, uint16_t address, const uint8_t *data, size_t count) {
  for (size_t i = 0; i < count && address + i < kMemorySize; ++i) {
    int16_t &planned = plan[address + i];
    if (data[i] != 0xFF || planned < 0) planned = data[i];
  }
}

void PlanPage(FlashPlan &plan, const PageFrame &frame) {
  Plan(plan, PageAddress(frame), frame.data() + kPageData, kPageBytes);
}

}  // namespace

void Workbench::NWriteTxPrgClick() {
  WriteFirmware(true);
}

void Workbench::NWriteRxPrgClick() {
  WriteFirmware(false);
}

void Workbench::NVerifyBurnClick() {
  VerifyBurn = VerifyBurn == 1 ? 0 : 1;
  view_.verifyBurn = VerifyBurn == 1;
  store_.WriteInteger("VerifyBurn", VerifyBurn);
}

void Workbench::WriteFirmware(bool transmitter) {
  CommandScope scope(*this, true);
  if (!scope.Started()) return;
  const FirmwareImage &image = transmitter ? *firmware.TxImage : *firmware.RxImage;
  int pages = 0;
  while (pages < kImagePages) {
    const uint16_t address = PageAddress(image[pages]);
    if (address == kInfoPageAddress || (transmitter && address == kTopPage)) break;
    ++pages;
  }
  op_.SetProgress(0);
  op_.SetProgressMax(pages + kProgressSteps);
  if (!BurnFirmware(transmitter)) return;
  const WriteTexts &texts = transmitter ? kTransmitterTexts : kReceiverTexts;
  op_.Message(texts.doneCaption, texts.done, Icon::Information);
  if (transmitter)
    view_.visible["BWriteTx"] = true;
  else
    editor_.IncrementIdCode();
}

// True when the identified unit is not the kind the command burns; the person is told.
bool Workbench::WrongDevice(bool transmitter) {
  const FirmwareImage &image = transmitter ? *firmware.TxImage : *firmware.RxImage;
  const std::string &role = loader_.DeviceRole;
  const bool wrong = transmitter ? role == "Rx" || (role == "Tx" && !StartsInTransmitterArea(image))
                                 : role == "Tx" || (role == "Rx" && StartsInTransmitterArea(image));
  if (wrong) {
    const WriteTexts &texts = transmitter ? kTransmitterTexts : kReceiverTexts;
    op_.Message(kWrongDeviceCaption, texts.wrongDevice, Icon::Error);
  }
  return wrong;
}

// The handshake's passwords tried without telling anyone, to learn the unit's role
// before anything is erased. True, with the role identified, when one opened it.
bool Workbench::ProbeRole() {
  for (const VectorTable *password :
       {&productLine_.PasswordA, &productLine_.PasswordB, &productLine_.PasswordC, &kErasedPassword}) {
    loader_.EnterLoader();
    loader_.CurrentPassword = *password;
    if (loader_.SendPassword()) {
      loader_.IdentifyDevice();
      return true;
    }
  }
  return false;
}

void Workbench::SealPageFrame() {
  firmware.PageFrame[kPageSize - 2] = 0;
  firmware.PageFrame[kPageSize - 1] = 0;
  ventrix_.CheckSum(firmware.PageFrame.data(), kPageSize);
}

// Sends PageFrame and waits for the unit's verdict on it.
bool Workbench::SendBurnPage(uint32_t waitMs) {
  link_.SendFrame(firmware.PageFrame.data(), firmware.PageFrame.size());
  link_.WaitReply(waitMs, 1);
  return link_.ReplyBuffer[0] == kAccepted;
}

// The steps of a burn up to its last exchange. False when the command ends without
// its success message; the messages of a failure are shown here.
bool Workbench::BurnFirmware(bool transmitter) {
  const WriteTexts &texts = transmitter ? kTransmitterTexts : kReceiverTexts;
  auto failed = [&] {
    if (transmitter) op_.SetProgress(kTransmitterFailedProgress);
    op_.Message(kFailedCaption, texts.failed, Icon::Error);
    return false;
  };
  auto accepted = [this] { return link_.ReplyBuffer[0] == kAccepted; };

  editor_.MakeCompleteCode();
  const std::string idText = editor_.form.EEqupmentID.text;
  const std::string serialText = editor_.form.EEqupmentSN.text;
  if (TrimBlanks(editor_.form.EEqupmentDate.text) == kEmptyDate) editor_.EEqupmentDateClick();
  StoreIdCode(idText);

  FirmwareImage &burn = *firmware.BurnImage;
  for (PageFrame &page : burn)
    page.fill(0xFF);
  burn = transmitter ? *firmware.TxImage : *firmware.RxImage;
  loader_.CurrentPassword = kErasedPassword;

  // A unit that opens with a stored password is identified before the erase, so the
  // wrong button does not wipe it. Only a unit that opens with none is erased first.
  if (link_.Reopen() && link_.State() == PortState::Open && ProbeRole() && WrongDevice(transmitter))
    return false;
  loader_.CurrentPassword = kErasedPassword;
  loader_.MassErase();
  if (!loader_.ConnectDevice()) return failed();
  loader_.IdentifyDevice();
  if (WrongDevice(transmitter)) return false;

  FlashPlan plan(kMemorySize, -1);
  PageFrame &frame = firmware.PageFrame;
  const bool patched = loader_.PatchNeeded == 1;
  loader_.EnterLoader();
  if (patched) {
    if (!loader_.SendDefaultPassword() || !loader_.StartRomLoader() || !loader_.SendDefaultPassword() ||
        !loader_.SendLoaderPatch())
      return failed();
    for (const PageFrame &page : burn) {
      if (!IsUsed(page)) continue;
      op_.StepProgress();
      frame = page;
      // The vector area stays erased until the vectors are written from the password.
      // The check bytes follow the blanked data, or the unit would refuse the frame.
      if (PageAddress(frame) == kTopPage) {
        std::fill_n(frame.begin() + kPageData + kVectorArea, kPageBytes - kVectorArea, uint8_t{0xFF});
        SealPageFrame();
      }
      if (!loader_.StartPatch() || !SendBurnPage(kPatchedPageWaitMs)) return failed();
      PlanPage(plan, frame);
      loader_.SendSync();
      if (!accepted()) return failed();
    }
  } else {
    for (const PageFrame &page : burn) {
      op_.StepProgress();
      if (!IsUsed(page)) continue;
      frame = page;
      if (!loader_.SendDefaultPassword()) return failed();
      // The unit's verdict on each page is looked at: a refused page fails here, not at
      // the next password.
      if (!SendBurnPage(kRomPageWaitMs)) return failed();
      PlanPage(plan, frame);
      loader_.SendSync();
      if (!accepted()) return failed();
    }
  }

  frame.fill(0xFF);
  SetPageHeader(frame, kSignatureAddress);
  std::copy(productLine_.SignatureCode.begin(), productLine_.SignatureCode.end(), frame.begin() + kPageData);
  SealPageFrame();
  if (patched ? !loader_.StartPatch() : !loader_.SendDefaultPassword()) return failed();
  if (!SendBurnPage(kSignatureWaitMs)) return failed();
  PlanPage(plan, frame);
  loader_.SendSync();
  if (!accepted()) return failed();

  loader_.CurrentPassword = kErasedPassword;
  const std::string dateText = editor_.form.EEqupmentDate.text;
  if (!loader_.UpdateIdentityPage(kTopSegment, serialText, dateText)) return failed();
  if (!loader_.IdentityUnchanged) std::fill(plan.begin() + kTopSegment, plan.end(), int16_t{0xFF});
  op_.StepProgress();
  if (!loader_.WriteSettingsBlock(1, editor_.Image)) return failed();
  op_.StepProgress();
  if (!loader_.WriteSettingsBlock(0, editor_.Image)) return failed();
  op_.StepProgress();
  Plan(plan, 0x1000, editor_.Image.data(), kBlock1);
  Plan(plan, 0x1080, editor_.Image.data() + kBlock1, kBlock1);
  Plan(plan, 0x1080 + kCheckWordRoutineOffset, kCheckWordRoutine.data(), kCheckWordRoutine.size());
  if (!loader_.RestoreTopPages()) return failed();
  op_.StepProgress();
  for (const PageFrame &page : loader_.SavedTopPages)
    PlanPage(plan, page);
  PageFrame identity = loader_.InfoPage;
  if (PageAddress(identity) == kInfoPageAddress) {
    if (editor_.MachineType == "12") identity[kMarkerAt] = 0xAA;
    if (editor_.MachineType == "10") identity[kMarkerAt] = 0xAC;
  }
  PlanPage(plan, identity);

  const bool shortImage = loader_.ShortImage == 1;
  loader_.CurrentPassword = transmitter              ? productLine_.PasswordC
                            : patched || !shortImage ? productLine_.PasswordB
                                                     : productLine_.PasswordA;
  if (patched && !loader_.StartPatch()) return failed();
  if (!loader_.WriteVectors()) return failed();
  Plan(plan, kVectorsAddress, loader_.CurrentPassword.data(), loader_.CurrentPassword.size());
  op_.StepProgress();

  if (VerifyBurn == 1 && !VerifyBurnedFlash(plan, texts.doneCaption)) return failed();
  // The unit is written whole: top pages held from an update cut short belong to what
  // it was before, and must not be put into a blank unit by a later settings write.
  loader_.InterruptedUpdate.reset();
  return true;
}

// Reads back, 128 bytes at a time, every address the burn wrote, and compares. The
// first difference is named to the person under `caption`.
bool Workbench::VerifyBurnedFlash(const std::vector<int16_t> &expected, const char *caption) {
  const PageFrame identityPage = loader_.InfoPage;
  bool same = true;
  for (uint32_t address = 0; same && address < kMemorySize; ++address) {
    if (expected[address] < 0) continue;
    const auto start = static_cast<uint16_t>(std::min<uint32_t>(address, kMemorySize - kPageBytes));
    std::array<uint8_t, kPageBytes> want{};
    for (int i = 0; i < kPageBytes; ++i)
      want[i] = expected[start + i] < 0 ? 0xFF : static_cast<uint8_t>(expected[start + i]);
    // A reply lost or garbled on the line is asked for again, as the firmware read does;
    // a page that cannot be read back at all differs from its first byte on.
    ReadOutcome outcome = loader_.ReadPageOutcome(start);
    for (int retry = 0; outcome == ReadOutcome::Missing && retry < kVerifyRetries; ++retry)
      outcome = loader_.ReadPageOutcome(start);
    std::span<const uint8_t> got;
    if (outcome == ReadOutcome::Read)
      got = std::span<const uint8_t>(loader_.InfoPage).subspan(kPageData, kPageBytes);
    same = MatchesReadBack(op_, caption, start, want, got);
    address = start + kPageBytes - 1;
  }
  loader_.InfoPage = identityPage;
  return same;
}

}  // namespace rilo
