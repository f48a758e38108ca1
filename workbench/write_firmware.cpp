// The burn commands as the window runs them: the progress bar, the burn itself, and
// what a burn that ended well changes in the window.
#include "workbench/command_scope.h"
#include "workbench/firmware_burn.h"

namespace rilo {
Outcome Workbench::NWriteTxPrgClick() {
  return RunOnUnit(FirmwareBurn::Step(true), "write-firmware", [this] { return WriteFirmware(true); });
}

Outcome Workbench::NWriteRxPrgClick() {
  Outcome outcome =
      RunOnUnit(FirmwareBurn::Step(false), "write-firmware", [this] { return WriteFirmware(false); });
  // The next receiver's code, once this one's is recorded as written.
  if (outcome.done) editor_.IncrementIdCode();
  return outcome;
}

void Workbench::NVerifyBurnClick() {
  UseVerifyBurn(!verifyBurn_);
  store_.WriteInteger("VerifyBurn", verifyBurn_ ? 1 : 0);
}

void Workbench::UseVerifyBurn(bool verify) {
  verifyBurn_ = verify;
  view_.verifyBurn = verify;
}

void Workbench::NFastTransferClick() {
  UseFastTransfer(fastBaud_ == 0 ? kFastTransferBaud : 0);
  store_.WriteInteger("FastTransfer", fastBaud_ == 0 ? 0 : 1);
}

void Workbench::UseFastTransfer(uint32_t baud) {
  fastBaud_ = baud;
  view_.fastTransfer = baud != 0;
}

bool Workbench::Burnable(bool transmitter) const {
  const auto shown = view_.visible.find(transmitter ? "NWriteTxPrg" : "NWriteRxPrg");
  return shown != view_.visible.end() && shown->second;
}

bool Workbench::WriteFirmware(bool transmitter) {
  // With the ID advance on, the receiver's code comes from the ledger, so no two
  // receivers get one, whatever bench burned the last.
  if (!transmitter && editor_.IdIncrement == 1 && ledger_ && !ReserveNextId()) return false;
  if (!FirmwareBurn(steps_, firmware_, productLine_, ventrix_)
           .Run(transmitter, flags_.Factory == 1, verifyBurn_, fastBaud_))
    return false;
  if (transmitter) view_.visible["BWriteTx"] = true;
  return true;
}

}  // namespace rilo
