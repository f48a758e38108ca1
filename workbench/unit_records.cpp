// What the ledger keeps of each unit command: the unit as the command identified it,
// its identity fields, the firmware and settings it took or gave, and how it ended.
#include <cstdio>
#include <string>

#include "base/sha256.h"
#include "core/conversion.h"
#include "ledger/utc_time.h"
#include "workbench/workbench.h"

namespace rilo {
namespace {

// An identity field's text, empty when it holds no more than its empty value: the
// model code alone, or the date's bare mask.
std::string Filled(std::string_view text) {
  const std::string trimmed(TrimBlanks(text));
  return trimmed.size() <= 2 || trimmed == "20  /  /" ? "" : trimmed;
}

std::string Digest(const SettingsImage &image) {
  return Sha256Hex(std::string_view(reinterpret_cast<const char *>(image.data()), image.size()));
}

}  // namespace

void Workbench::UseLedger(std::unique_ptr<Ledger> ledger, std::string bench) {
  ledger_ = std::move(ledger);
  ledgerBench_ = std::move(bench);
  ledgerProblem_.clear();
}

void Workbench::LedgerUnusable(std::string reason) {
  ledger_.reset();
  ledgerProblem_ = std::move(reason);
}

UnitRecord Workbench::RecordOf(const Outcome &outcome, const char *command, uint32_t startTick) const {
  UnitRecord r;
  r.time = UtcNow();
  r.bench = ledgerBench_;
  r.port = journal_.place().port;
  r.device = journal_.place().device;
  r.command = command;
  r.kind = loader_.UnitRole();
  r.model = editor_.MachineType;
  r.loaderVersion = LoaderVersionText(loader_.LoaderVersion);
  const auto &form = editor_.form;
  r.id = Filled(form.EEqupmentID.text);
  r.serial = Filled(form.EEqupmentSN.text);
  r.date = Filled(form.EEqupmentDate.text);
  const std::string_view name = command;
  if (name == "write-firmware") {
    r.firmwareFile = firmwareFile_;
    r.firmwareSha256 = firmwareSha256_;
  }
  // The settings the unit gave (a read) or was given (the working image as written).
  if (name == "read" || name == "read-firmware")
    r.settingsSha256 = outcome.done ? Digest(deviceSettings_) : "";
  else if (name == "write" || name == "write-firmware")
    r.settingsSha256 = Digest(editor_.Image);
  r.succeeded = outcome.done;
  if (!outcome.done) {
    r.failedStep = outcome.step;
    r.failedPage = outcome.page;
    if (outcome.differsAt) {
      char address[8];
      std::snprintf(address, sizeof address, "0x%04X", *outcome.differsAt);
      r.failedAddress = address;
    }
    if (const Said *reason = outcome.Reason()) r.firstMessage = reason->text;
  }
  // The unit's own time: what the person took over a message box is not the command's.
  r.seconds = static_cast<uint32_t>(clock_.Tick() - startTick - op_.personMs()) / 1000.0;
  return r;
}

}  // namespace rilo
