// Loader entry, the password handshake and identification.
#include <algorithm>
#include <array>

#include "link/loader.h"

namespace rilo {
namespace {

constexpr uint32_t kLineChangeMs = 5;
constexpr uint32_t kLastLineChangeMs = 10;
constexpr uint32_t kSyncWaitMs = 50;
constexpr uint32_t kPasswordWaitMs = 10;
constexpr uint32_t kIdentifyWaitMs = 10;

// The entry pattern on the modem lines; the inverted pattern flips every RTS level.
enum class Line { Dtr, Rts };
struct LineChange {
  Line line;
  bool on;
};
constexpr std::array<LineChange, 7> kEntryPattern = {{{Line::Dtr, false},
                                                      {Line::Rts, true},
                                                      {Line::Rts, false},
                                                      {Line::Rts, true},
                                                      {Line::Rts, false},
                                                      {Line::Dtr, true},
                                                      {Line::Rts, true}}};

// Role of a chip identity (reply bytes 4 and 5).
std::string RoleOf(uint8_t high, uint8_t low) {
  if (high == 0xF1 && low == 0x12) return "Tx";
  if ((high == 0xF1 && low == 0x23) || (high == 0x12 && low == 0x32) || (high == 0xF1 && low == 0x49))
    return "Rx";
  return {};
}

}  // namespace

Loader::Loader(Link &link, const VentrixApi &ventrix, const ProductLine &productLine)
    : link_(link), ventrix_(ventrix), productLine_(productLine) {
  InfoPage.fill(0xFF);
}

void Loader::RunEntryPattern(bool rtsInverted) {
  for (size_t i = 0; i < kEntryPattern.size(); ++i) {
    const LineChange &change = kEntryPattern[i];
    if (change.line == Line::Dtr)
      link_.SetDtr(change.on);
    else
      link_.SetRts(change.on != rtsInverted);
    link_.Delay(i + 1 == kEntryPattern.size() ? kLastLineChangeMs : kLineChangeMs);
  }
  SendSync();
}

void Loader::EnterLoader() {
  if (link_.State() == PortState::NeverOpened) return;
  // The reset returns the loader to its 9600: the line goes back with it.
  if (link_.Rate() != kLoaderBaud) static_cast<void>(link_.SetRate(kLoaderBaud));
  StrayEntryReply.reset();
  if (!RtsInverted) {
    RunEntryPattern(false);
    if (Accepted()) return;
    NoteStrayReply();
  }
  RunEntryPattern(true);
  if (Accepted())
    RtsInverted = 1;
  else
    NoteStrayReply();
}

void Loader::NoteStrayReply() {
  if (link_.ReplyLength() > 0 && !StrayEntryReply) StrayEntryReply = link_.ReplyBuffer[0];
}

void Loader::SendSync() {
  link_.SendFrame(&kSync, 1);
  link_.WaitReply(kSyncWaitMs, 1);
}

bool Loader::SyncAccepted() {
  SendSync();
  return Accepted();
}

std::optional<uint32_t> Loader::TimedSync() {
  link_.Send(&kSync, 1);
  const uint32_t sent = link_.Tick();
  link_.WaitReply(kSyncWaitMs, 1);
  if (!Accepted()) return std::nullopt;
  return link_.Tick() - sent;
}

bool Loader::PortReady() {
  return link_.State() != PortState::NeverOpened && link_.Reopen() && link_.State() == PortState::Open;
}

// One try of the handshake's password order: a fresh entry, then the password.
bool Loader::TryPassword(const VectorTable &password) {
  EnterLoader();
  CurrentPassword = password;
  return SendPassword();
}

Handshake Loader::ConnectDevice() {
  Opened = OpenedWith::None;
  // A port that went away with its device (a USB adapter pulled and plugged in again)
  // is opened afresh rather than left dead until the next start.
  // A port never opened sends nothing, so nothing answers.
  if (link_.State() == PortState::NeverOpened) return {Handshake::Ending::NoAnswer};
  if (!link_.Reopen()) return {Handshake::Ending::NoPort};
  if (TryPassword(productLine_.PasswordA)) {
    Opened = OpenedWith::PasswordA;
    PatchNeeded = 0;
    ShortImage = 1;
  } else if (TryPassword(productLine_.PasswordB)) {
    Opened = OpenedWith::PasswordB;
    PatchNeeded = 1;
    ShortImage = 0;
  } else if (TryPassword(productLine_.PasswordC)) {
    Opened = OpenedWith::PasswordC;
    IdentifyDevice();
    ShortImage = 0;
  } else {
    EnterLoader();
    if (!SendDefaultPassword()) return {Handshake::Ending::NoAnswer};
    Opened = OpenedWith::Erased;
    CurrentPassword = kErasedPassword;
    IdentifyDevice();
  }
  DeviceConnected = 1;
  // A failed read leaves the marker 0xFF; the caller decides what that means.
  return {Handshake::Ending::Opened, ReadPageOutcome(kInfoPageAddress)};
}

std::string Loader::UnitRole() const {
  switch (Opened) {
    case OpenedWith::PasswordA:
    case OpenedWith::PasswordB:
      return "Rx";
    case OpenedWith::PasswordC:
      return DeviceRole.empty() ? "Tx" : DeviceRole;
    case OpenedWith::Erased:
    case OpenedWith::None:
      break;
  }
  return DeviceRole;
}

void Loader::IdentifyDevice() {
  DeviceRole.clear();
  LoaderVersion = 0;
  ChipId = {};
  // The password is tried and the flow moves on: a refusal shows as an unanswered query.
  EnterLoader();
  static_cast<void>(SendPassword());
  IdentityReply reply = Identify(kVersionQueryFrame);
  DeviceRole = RoleOf(reply[4], reply[5]);
  ChipId = {reply[4], reply[5]};
  LoaderVersion = static_cast<uint16_t>(reply[14] << 8 | reply[15]);
  if (reply[14] == 0x01 && reply[15] == 0x61) {
    PatchNeeded = 0;
    ShortImage = 0;
    return;
  }
  if (reply[14] != 0x00 || reply[15] != 0x00) {
    PatchNeeded = 0;
    ShortImage = 1;
    return;
  }

  // Loader 1.10 does not answer the version query: read its version from 0x0FF0.
  EnterLoader();
  static_cast<void>(SendPassword());
  reply = Identify(kChipReadFrame);
  DeviceRole = RoleOf(reply[4], reply[5]);
  ChipId = {reply[4], reply[5]};
  LoaderVersion = static_cast<uint16_t>(reply[14] << 8 | reply[15]);
  if (reply[14] == 0x00 && reply[15] == 0x00) return;
  if (reply[15] == 0x10) {
    PatchNeeded = 1;
    ShortImage = 0;
  } else {
    PatchNeeded = 0;
  }
}

Loader::IdentityReply Loader::Identify(const Frame10 &query) {
  IdentityReply reply{};
  link_.SendFrame(query.data(), query.size());
  link_.WaitReply(kIdentifyWaitMs, reply.size());
  // Only a reply that starts as data says anything; anything else reads as no answer.
  const ReplyBytes &received = link_.ReplyBuffer;
  if (received[0] == kDataReply && received[1] == 0x00)
    std::copy_n(received.begin(), reply.size(), reply.begin());
  return reply;
}

bool Loader::SendPassword() {
  return Password(CurrentPassword);
}

bool Loader::SendDefaultPassword() {
  return Password(kErasedPassword);
}

bool Loader::Password(const VectorTable &password) {
  std::array<uint8_t, kPasswordHeader.size() + 32 + 2> frame{};
  std::copy(kPasswordHeader.begin(), kPasswordHeader.end(), frame.begin());
  std::copy(password.begin(), password.end(), frame.begin() + kPasswordHeader.size());
  Seal(frame.data(), frame.size());
  return Command(frame.data(), frame.size(), kPasswordWaitMs);
}

}  // namespace rilo
