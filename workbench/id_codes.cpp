// Receivers' ID codes through the ledger: reserved before a receiver is written, kept
// by a unit that may hold one, given back by a unit that failed before its code went out.
#include "core/conversion.h"
#include "workbench/command_scope.h"

namespace rilo {
namespace {

constexpr const char *kNoFreeId = "此機型已沒有可用的 ID-CODE!!";

// The range of one model's codes: its two digits, then six.
std::pair<int64_t, int64_t> ModelRange(const std::string &machineType) {
  const int64_t model = machineType.empty() ? 0 : std::stoll(machineType);
  return {model * 1000000, model * 1000000 + 999999};
}

std::string CodeText(int64_t code) {
  std::string text = std::to_string(code);
  return std::string(text.size() < 8 ? 8 - text.size() : 0, '0') + text;
}

}  // namespace

bool Workbench::ReserveNextId() {
  reservedId_.reset();
  reservedIdKept_.reset();
  if (!ledger_) return true;
  const auto [first, last] = ModelRange(editor_.MachineType);
  try {
    const std::optional<int64_t> field = IdCodeNumber(editor_.form.EEqupmentID.text);
    int64_t from = field && *field >= first && *field <= last ? *field : first + 1;
    if (!field) {
      if (const auto highest = ledger_->LastId(first, last)) from = *highest + 1;
    }
    const std::vector<int64_t> codes = ledger_->ReserveIds(from, last, 1, ledgerBench_, {portName_});
    if (codes.empty()) {
      op_.Message(kLedgerCaption, kNoFreeId, Icon::Error);
      return false;
    }
    TakeReservedId(codes[0]);
    return true;
  } catch (const DatabaseError &e) {
    op_.Message(kLedgerCaption, kLedgerUnusable + std::string(e.what()), Icon::Error);
    return false;
  }
}

void Workbench::TakeReservedId(int64_t code) {
  reservedId_ = code;
  reservedIdKept_.reset();
  editor_.TypeIdentity({.id = CodeText(code), .serial = "", .date = ""});
}

// A receiver written with an ID code holds it in the ledger from then on, whether the
// command ended well or failed after the code went out to it; a code reserved for a
// unit that failed before that goes back.
void Workbench::KeepOrReleaseId(const Outcome &outcome, std::string_view command) {
  const bool writes = command == "write" || command == "write-firmware";
  const bool receiver = lastRecord_.kind == "Rx";
  const std::optional<int64_t> code = IdCodeNumber(lastRecord_.id);
  const bool kept = writes && receiver && code && (outcome.done || journal_.identitySent());
  if (kept) ledger_->UseId(*code, lastRecord_.serial, ledgerBench_, journal_.place().port);
  if (reservedId_) {
    if (!kept || code != reservedId_) ledger_->ReleaseId(*reservedId_);
    reservedIdKept_ = kept && code == reservedId_;
    reservedId_.reset();
  }
}

}  // namespace rilo
