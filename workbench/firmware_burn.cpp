// Burning TxImage or RxImage into a unit: erase, every used page, the signature page,
// the identity page, both settings blocks, the other top pages and the vectors; then,
// when asked, everything written read back.
#include "workbench/firmware_burn.h"

#include <algorithm>
#include <span>

#include "core/conversion.h"
#include "link/read_back.h"

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
// Pages the read-back reads beyond the image's own: the signature, the two settings
// blocks, the identity page and the top page. The count is made exact once the burn is
// done; until then the bar's end stands about where it will be.
constexpr int kReadBackBeyondImage = 5;

struct WriteTexts {
  const char *step;
  const char *doneCaption;
  const char *done;
  const char *failed;
  const char *wrongDevice;
};
constexpr WriteTexts kTransmitterTexts = {"寫入發射機", "寫入程式!", "寫入發射機程式完成!!",
                                          "寫入發射機程式失敗,請再試一次!!",
                                          "您要燒的機器是接收機吧?按錯了喔~!"};
constexpr WriteTexts kReceiverTexts = {"寫入接收機", "寫入程式", "寫入接收機程式完成!!",
                                       "寫入接收機程式失敗,請再試一次", "您要燒的機器是發射機吧?按錯了喔~!"};
constexpr const char *kFailedCaption = "寫入程式!";

bool StartsInTransmitterArea(const FirmwareImage &image) {
  return image[0][5] == 0xF0;
}

// The pages of `image` before its top page: the burn's share of the bar, less its
// fixed steps.
int PagesBeforeTop(const FirmwareImage &image, bool transmitter) {
  int pages = 0;
  while (pages < kImagePages) {
    const uint16_t address = PageAddress(image[pages]);
    if (address == kInfoPageAddress || (transmitter && address == kTopPage)) break;
    ++pages;
  }
  return pages;
}

int UsedPages(const FirmwareImage &image) {
  return static_cast<int>(
      std::count_if(image.begin(), image.end(), [](const PageFrame &p) { return IsUsed(p); }));
}

std::string Counted(const char *phase, int n, int of) {
  return std::string(phase) + " " + std::to_string(n) + "/" + std::to_string(of);
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

const char *FirmwareBurn::Step(bool transmitter) {
  return (transmitter ? kTransmitterTexts : kReceiverTexts).step;
}

FirmwareBurn::FirmwareBurn(UnitSteps &steps, FirmwareBuffers &firmware, const ProductLine &productLine,
                           const VentrixApi &ventrix)
    : steps_(steps),
      loader_(steps.loader),
      firmware_(firmware),
      productLine_(productLine),
      ventrix_(ventrix) {}

// True when the identified unit is not the kind the command burns; the person is told.
bool FirmwareBurn::WrongDevice(bool transmitter) {
  const FirmwareImage &image = transmitter ? *firmware_.TxImage : *firmware_.RxImage;
  const std::string &role = loader_.DeviceRole;
  const bool wrong = transmitter ? role == "Rx" || (role == "Tx" && !StartsInTransmitterArea(image))
                                 : role == "Tx" || (role == "Rx" && StartsInTransmitterArea(image));
  if (wrong) {
    const WriteTexts &texts = transmitter ? kTransmitterTexts : kReceiverTexts;
    steps_.person.Message(kWrongDeviceCaption, texts.wrongDevice, Icon::Error);
  }
  return wrong;
}

// The handshake's passwords tried without telling anyone, to learn the unit's role
// before anything is erased. True, with the role identified, when one opened it.
bool FirmwareBurn::ProbeRole() {
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

void FirmwareBurn::SealPageFrame() {
  firmware_.PageFrame[kPageSize - 2] = 0;
  firmware_.PageFrame[kPageSize - 1] = 0;
  ventrix_.CheckSum(firmware_.PageFrame.data(), kPageSize);
}

// Sends PageFrame and waits for the unit's verdict on it.
bool FirmwareBurn::SendBurnPage(uint32_t waitMs) {
  return loader_.SendPage(firmware_.PageFrame, waitMs);
}

// The steps of a burn up to its last exchange. False when the command ends without
// its success message; the messages of a failure are shown here.
bool FirmwareBurn::Run(bool transmitter, bool factory, bool verify, uint32_t fastBaud) {
  const WriteTexts &texts = transmitter ? kTransmitterTexts : kReceiverTexts;
  bool erased = false;
  auto failed = [&] {
    if (transmitter) steps_.person.SetProgress(kTransmitterFailedProgress);
    if (erased) steps_.person.LeftErased();
    steps_.person.Message(kFailedCaption, texts.failed, Icon::Error);
    return false;
  };

  const FirmwareImage &source = transmitter ? *firmware_.TxImage : *firmware_.RxImage;
  burnSteps_ = PagesBeforeTop(source, transmitter) + kProgressSteps;
  steps_.person.SetProgress(0);
  steps_.person.SetProgressMax(burnSteps_ + (verify ? UsedPages(source) + kReadBackBeyondImage : 0));

  steps_.editor.MakeCompleteCode();
  const std::string idText = steps_.editor.form.EEqupmentID.text;
  if (TrimBlanks(steps_.editor.form.EEqupmentDate.text) == kEmptyDate) steps_.editor.EEqupmentDateClick();
  steps_.StoreIdCode(idText);
  // A field that is not a number stops the burn before the unit is erased.
  const IdentityFields identity =
      steps_.IdentityFieldsOf(steps_.editor.form.EEqupmentSN.text, steps_.editor.form.EEqupmentDate.text);
  if (!transmitter && !steps_.IdCodeMayGo(idText, steps_.editor.form.EEqupmentSN.text)) return false;

  FirmwareImage &burn = *firmware_.BurnImage;
  for (PageFrame &page : burn)
    page.fill(0xFF);
  burn = transmitter ? *firmware_.TxImage : *firmware_.RxImage;

  switch (EraseForBurn(transmitter, factory)) {
    case Erasure::Erased:
      break;
    case Erasure::WrongDevice:
    case Erasure::Refused:
      return false;
    case Erasure::Failed:
      return failed();
  }
  erased = true;
  plan_.assign(kMemorySize, -1);
  if (!BurnPages(fastBaud)) return failed();
  if (!BurnUnitData(transmitter, identity)) return failed();
  if (verify && !VerifyBurnedFlash(texts.doneCaption, fastBaud)) return failed();
  if (!steps_.journal.Close() || !steps_.journal.CloseEarlierBurns(loader_)) {
    steps_.TellJournalRefused();
    return false;
  }
  steps_.person.Message(texts.doneCaption, texts.done, Icon::Information);
  return true;
}

// The unit identified (where a stored password opens it) and then mass-erased and
// opened blank, or left alone when it is of the other kind.
FirmwareBurn::Erasure FirmwareBurn::EraseForBurn(bool transmitter, bool factory) {
  loader_.CurrentPassword = kErasedPassword;
  // A unit that opens with a stored password is identified before the erase, so the
  // wrong button does not wipe it. Only a unit that opens with none is erased first.
  if (loader_.PortReady() && ProbeRole() && WrongDevice(transmitter)) return Erasure::WrongDevice;
  // Three of the burn's fixed steps go to the way to a blank unit, each a page's time
  // or so: the probe, the erase, the handshake after it.
  steps_.person.StepProgress();
  loader_.CurrentPassword = kErasedPassword;
  // The unit is about to hold nothing: the ledger knows what was going into it first.
  if (!OpenJournal(transmitter)) return Erasure::Refused;
  steps_.person.ShowPhase("抹除");
  // A refused (or unanswered) erase leaves the old program in place: nothing burned
  // over it could be trusted, read back or not.
  if (!loader_.MassErase()) return Erasure::Failed;
  steps_.person.StepProgress();
  if (!steps_.Connect(factory)) return Erasure::Failed;
  steps_.person.StepProgress();
  loader_.IdentifyDevice();
  if (WrongDevice(transmitter)) return Erasure::WrongDevice;
  return Erasure::Erased;
}

// The burn's journal entry: the firmware's used pages, and what the settings blocks
// will hold. False, after saying why, when the ledger refused it.
bool FirmwareBurn::OpenJournal(bool transmitter) {
  const std::optional<SettingsImage> blocks = steps_.WrittenBlocks();
  if (!blocks) return false;
  Bytes pages;
  for (const PageFrame &page : *firmware_.BurnImage)
    if (IsUsed(page)) pages.insert(pages.end(), page.begin(), page.end());
  const auto &form = steps_.editor.form;
  if (!steps_.journal.Open(transmitter ? "write-firmware --tx" : "write-firmware --rx", loader_,
                           std::string(TrimBlanks(form.EEqupmentID.text)),
                           std::string(TrimBlanks(form.EEqupmentSN.text)), *blocks, pages)) {
    steps_.TellJournalRefused();
    return false;
  }
  return true;
}

// Every used page of BurnImage, then the signature page, each looked at by the unit.
// Streamed (with a `fastBaud`): one password (and patch) for all pages, each page's
// acknowledgement awaited at once and no sync after it.
bool FirmwareBurn::BurnPages(uint32_t fastBaud) {
  PageFrame &frame = firmware_.PageFrame;
  const bool patched = loader_.PatchNeeded == 1;
  const bool streamed = fastBaud != 0;
  const int pages = UsedPages(*firmware_.BurnImage);
  int page = 0;
  loader_.EnterLoader();
  if (patched) {
    if (!loader_.SendDefaultPassword() || !loader_.StartRomLoader() || !loader_.SendDefaultPassword() ||
        !loader_.SendLoaderPatch())
      return false;
  } else if (streamed && !loader_.SendDefaultPassword()) {
    return false;
  }
  if (streamed && !steps_.StreamAt(fastBaud)) return false;
  // The unit's verdict on each frame is looked at: a refused page fails here, not at the
  // next password. The patch serves one command: it is started before every page.
  auto send = [&](uint32_t waitMs) {
    if (streamed) return (!patched || loader_.StreamStartPatch()) && loader_.StreamPage(frame, waitMs);
    if (patched ? !loader_.StartPatch() : !loader_.SendDefaultPassword()) return false;
    return SendBurnPage(waitMs);
  };
  // Unused pages cost no time on the line: the bar counts only what is sent, and each
  // page names itself beside it.
  for (const PageFrame &image : *firmware_.BurnImage) {
    if (!IsUsed(image)) continue;
    steps_.person.ShowPhase(Counted("寫入", ++page, pages));
    steps_.person.StepProgress();
    frame = image;
    // With the patch, the vector area stays erased until the vectors are written from
    // the password. The check bytes follow the blanked data, or the unit would refuse it.
    if (patched && PageAddress(frame) == kTopPage) {
      std::fill_n(frame.begin() + kPageData + kVectorArea, kPageBytes - kVectorArea, uint8_t{0xFF});
      SealPageFrame();
    }
    if (!send(patched ? kPatchedPageWaitMs : kRomPageWaitMs)) return false;
    PlanPage(plan_, frame);
    if (!streamed && !loader_.SyncAccepted()) return false;
  }

  frame.fill(0xFF);
  SetPageHeader(frame, kSignatureAddress);
  std::copy(productLine_.SignatureCode.begin(), productLine_.SignatureCode.end(), frame.begin() + kPageData);
  SealPageFrame();
  if (!send(kSignatureWaitMs)) return false;
  PlanPage(plan_, frame);
  return streamed || loader_.SyncAccepted();
}

// The identity page, both settings blocks, the other top pages and the vectors.
bool FirmwareBurn::BurnUnitData(bool transmitter, const IdentityFields &identity) {
  loader_.CurrentPassword = kErasedPassword;
  steps_.person.ShowPhase("寫入識別資料");
  steps_.journal.IdentityGoesOut();
  switch (loader_.PrepareIdentityPage(identity)) {
    case Loader::IdentityUpdate::Prepared:
      if (!loader_.EraseTopSegment(kTopSegment)) return false;
      std::fill(plan_.begin() + kTopSegment, plan_.end(), int16_t{0xFF});
      break;
    case Loader::IdentityUpdate::Unchanged:
      // The bar goes on from where it stands: a jump to its end would leave it full
      // through the identity data and the read-back.
      break;
    case Loader::IdentityUpdate::NotRead:
      return false;
  }
  steps_.person.StepProgress();
  if (!steps_.WriteBlock(1)) return false;
  steps_.person.StepProgress();
  if (!steps_.WriteBlock(0)) return false;
  steps_.person.StepProgress();
  Plan(plan_, 0x1000, steps_.editor.Image.data(), kBlock1);
  Plan(plan_, 0x1080, steps_.editor.Image.data() + kBlock1, kBlock1);
  Plan(plan_, 0x1080 + kCheckWordRoutineOffset, kCheckWordRoutine.data(), kCheckWordRoutine.size());
  const uint8_t marker = steps_.MarkerOfType();
  if (!steps_.Restored(loader_.RestoreTopPages(marker))) return false;
  steps_.person.StepProgress();
  for (const PageFrame &page : loader_.SavedTopPages)
    PlanPage(plan_, page);
  PageFrame identityPage = loader_.InfoPage;
  if (PageAddress(identityPage) == kInfoPageAddress && marker != 0) identityPage[kMarkerAt] = marker;
  PlanPage(plan_, identityPage);

  const bool patched = loader_.PatchNeeded == 1;
  const bool shortImage = loader_.ShortImage == 1;
  loader_.CurrentPassword = transmitter              ? productLine_.PasswordC
                            : patched || !shortImage ? productLine_.PasswordB
                                                     : productLine_.PasswordA;
  if (patched && !loader_.StartPatch()) return false;
  // The vectors are proven even when nothing else is read back: without them the unit
  // would not start.
  const Written vectors = loader_.PutVectors();
  if (vectors.ending == Written::Ending::Differs) steps_.TellDifference(kFailedCaption, vectors.differsAt);
  if (!vectors) return false;
  Plan(plan_, kVectorsAddress, loader_.CurrentPassword.data(), loader_.CurrentPassword.size());
  steps_.person.StepProgress();
  return true;
}

// Reads back, 128 bytes at a time, every address the burn wrote, and compares. The
// first difference is named to the person under `caption`; a page that cannot be read
// back whole is a failed line, not a difference.
std::vector<uint16_t> FirmwareBurn::ReadBackStarts() const {
  std::vector<uint16_t> starts;
  for (uint32_t address = 0; address < kMemorySize; ++address) {
    if (plan_[address] < 0) continue;
    const auto start = static_cast<uint16_t>(std::min<uint32_t>(address, kMemorySize - kPageBytes));
    starts.push_back(start);
    address = start + kPageBytes - 1;
  }
  return starts;
}

bool FirmwareBurn::VerifyBurnedFlash(const char *caption, uint32_t fastBaud) {
  const PageFrame identityPage = loader_.InfoPage;
  const std::vector<uint16_t> starts = ReadBackStarts();
  // The bar's end made exact: the burn's steps, then one per page read back.
  steps_.person.SetProgressMax(burnSteps_ + static_cast<int>(starts.size()));
  steps_.person.SetProgress(burnSteps_);
  const bool streamed = fastBaud != 0;
  // Streamed, the unit is opened once with the password just written, which the vectors'
  // own proof has shown it takes.
  if (streamed) {
    loader_.EnterLoader();
    if (!loader_.SendPassword()) {
      steps_.TellConnectionFailed();
      return false;
    }
    if (!steps_.StreamAt(fastBaud)) return false;
  }
  auto read = [&](uint16_t start, std::span<uint8_t, kPageBytes> got) {
    if (streamed) return loader_.StreamRead(start, got);
    const ReadOutcome outcome = loader_.ReadPageOutcome(start);
    if (outcome == ReadOutcome::Read)
      std::copy_n(loader_.InfoPage.begin() + kPageData, kPageBytes, got.begin());
    return outcome;
  };
  bool same = true;
  for (size_t n = 0; same && n < starts.size(); ++n) {
    const uint16_t start = starts[n];
    steps_.person.ShowPhase(Counted("驗證", static_cast<int>(n) + 1, static_cast<int>(starts.size())));
    std::array<uint8_t, kPageBytes> want{};
    for (int i = 0; i < kPageBytes; ++i)
      want[i] = plan_[start + i] < 0 ? 0xFF : static_cast<uint8_t>(plan_[start + i]);
    // A reply lost or garbled on the line is asked for again, as the firmware read does.
    std::array<uint8_t, kPageBytes> got{};
    ReadOutcome outcome = read(start, got);
    for (int retry = 0; outcome == ReadOutcome::Missing && retry < kVerifyRetries; ++retry)
      outcome = read(start, got);
    if (outcome != ReadOutcome::Read) {
      steps_.TellConnectionFailed();
      same = false;
      break;
    }
    if (const auto at = FirstDifference(start, want, got)) {
      steps_.TellDifference(caption, *at);
      same = false;
    }
    steps_.person.StepProgress();
  }
  loader_.InfoPage = identityPage;
  return same;
}

}  // namespace rilo
