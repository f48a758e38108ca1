// Block, erase and patch commands of the loader.
#include <algorithm>
#include <array>

#include "link/loader.h"

namespace rilo {
namespace {

constexpr uint32_t kOneByteWaitMs = 10;
constexpr uint32_t kMassEraseWaitMs = 500;
constexpr uint32_t kEraseWaitMs = 50;
constexpr uint32_t kPatchWaitMs = 100;
constexpr uint32_t kPatchedWriteWaitMs = 100;
constexpr uint32_t kRomWriteWaitMs = 200;
constexpr uint32_t kSettingsReadWaitMs = 100;
constexpr uint32_t kPageReadWaitMs = 200;
constexpr size_t kDataReplyLength = 134;
constexpr std::array<uint8_t, 4> kDataReplyHeader = {kDataReply, 0x00, 0x80, 0x80};  // 128 bytes follow
constexpr int kReplyData = 4;  // offset of the 128 data bytes in a data reply
constexpr int kBlockSize = 128;

uint16_t SettingsAddress(int block) {
  return block == 0 ? 0x1000 : 0x1080;
}

}  // namespace

Frame10 Loader::ReadFrame(uint16_t address) const {
  Frame10 frame = {
      0x80, 0x14, 0x04, 0x04, static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(address >> 8),
      0x80, 0x00};
  Seal(frame.data(), frame.size());
  return frame;
}

void Loader::Seal(uint8_t *frame, size_t count) const {
  frame[count - 2] = 0;
  frame[count - 1] = 0;
  ventrix_.CheckSum(frame, static_cast<int32_t>(count));
}

bool Loader::Command(const uint8_t *frame, size_t count, uint32_t timeoutMs) {
  link_.SendFrame(frame, count);
  link_.WaitReply(timeoutMs, 1);
  if (!Accepted()) return false;
  SendSync();
  return true;
}

bool Loader::SendPage(const PageFrame &page, uint32_t waitMs) {
  link_.SendFrame(page.data(), page.size());
  link_.WaitReply(waitMs, 1);
  return Accepted();
}

bool Loader::MassErase() {
  // The firmware write starts here, before its handshake: the port must be there too.
  if (!link_.Reopen()) return false;
  EnterLoader();
  link_.SendFrame(kMassEraseFrame.data(), kMassEraseFrame.size());
  link_.WaitReply(kMassEraseWaitMs, 1);
  return Accepted();
}

bool Loader::WriteVectors() {
  std::array<uint8_t, kWriteVectorsHeader.size() + 32 + 2> frame{};
  std::copy(kWriteVectorsHeader.begin(), kWriteVectorsHeader.end(), frame.begin());
  std::copy(CurrentPassword.begin(), CurrentPassword.end(), frame.begin() + kWriteVectorsHeader.size());
  Seal(frame.data(), frame.size());
  return Command(frame.data(), frame.size(), kOneByteWaitMs);
}

bool Loader::SendLoaderPatch() {
  std::array<uint8_t, kLoaderPatchHeader.size() + kLoaderPatch.size() + 2> frame{};
  std::copy(kLoaderPatchHeader.begin(), kLoaderPatchHeader.end(), frame.begin());
  std::copy(kLoaderPatch.begin(), kLoaderPatch.end(), frame.begin() + kLoaderPatchHeader.size());
  Seal(frame.data(), frame.size());
  return Command(frame.data(), frame.size(), kPatchWaitMs);
}

bool Loader::StartRomLoader() {
  return Command(kStartRomLoaderFrame.data(), kStartRomLoaderFrame.size(), kOneByteWaitMs);
}

bool Loader::StartPatch() {
  return Command(kStartPatchFrame.data(), kStartPatchFrame.size(), kOneByteWaitMs);
}

void Loader::PatchPreamble() {
  // Each step is tried and the flow moves on: what the unit did not take shows in the
  // checked data reply of a read, or in the read-back of a write.
  static_cast<void>(StartRomLoader());
  static_cast<void>(SendPassword());
  static_cast<void>(SendLoaderPatch());
  static_cast<void>(StartPatch());
}

bool Loader::EraseSegment(uint16_t address) {
  Frame10 frame = {
      0x80, 0x16, 0x04, 0x04, static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(address >> 8),
      0x02, 0xA5};
  Seal(frame.data(), frame.size());
  return Command(frame.data(), frame.size(), kEraseWaitMs);
}

bool Loader::EraseSettingsBlock(int block) {
  const Frame10 &frame = kEraseSettingsFrames[block == 0 ? 0 : 1];
  link_.SendFrame(frame.data(), frame.size());
  link_.WaitReply(kEraseWaitMs, 1);
  const bool erased = Accepted();
  SendSync();
  return erased;
}

bool Loader::WriteSettingsBlock(int block, std::span<const uint8_t, 128> data) {
  PageFrame frame;
  frame.fill(0xFF);
  SetPageHeader(frame, SettingsAddress(block));
  std::copy(data.begin(), data.end(), frame.begin() + kPageData);
  Seal(frame.data(), frame.size());

  // A refused password or patch step leaves the block frame refused, or its bytes
  // different when read back: the caller reads back every block it writes.
  EnterLoader();
  static_cast<void>(SendPassword());
  if (PatchNeeded) PatchPreamble();
  link_.SendFrame(frame.data(), frame.size());
  link_.WaitReply(PatchNeeded ? kPatchedWriteWaitMs : kRomWriteWaitMs, 1);
  if (!Accepted()) return false;
  SendSync();
  return true;
}

ReadOutcome Loader::DataReplyOutcome() const {
  const size_t length = link_.ReplyLength();
  if (length == 1) return ReadOutcome::Refused;
  const ReplyBytes &reply = link_.ReplyBuffer;
  if (length != kDataReplyLength ||
      !std::equal(kDataReplyHeader.begin(), kDataReplyHeader.end(), reply.begin()))
    return ReadOutcome::Missing;
  // A byte lost or a bit flipped on the line shows in the check bytes over the whole reply.
  std::array<uint8_t, kDataReplyLength> sealed;
  std::copy_n(reply.begin(), kDataReplyLength, sealed.begin());
  Seal(sealed.data(), sealed.size());
  return std::equal(sealed.begin(), sealed.end(), reply.begin()) ? ReadOutcome::Read : ReadOutcome::Missing;
}

ReadOutcome Loader::ReadSettingsBlock(int block, std::span<uint8_t, 128> into) {
  // The password and the patch are tried and the read moves on: a refusal shows in the
  // reply, which is checked whole.
  EnterLoader();
  static_cast<void>(SendPassword());
  if (PatchNeeded) PatchPreamble();
  const Frame10 &frame = kReadSettingsFrames[block == 0 ? 0 : 1];
  link_.SendFrame(frame.data(), frame.size());
  link_.WaitReply(kSettingsReadWaitMs, kDataReplyLength);
  const ReadOutcome outcome = DataReplyOutcome();
  if (outcome != ReadOutcome::Read) return outcome;
  std::copy_n(link_.ReplyBuffer.begin() + kReplyData, kBlockSize, into.begin());
  SendSync();
  return ReadOutcome::Read;
}

ReadOutcome Loader::ReadBack(uint16_t address, std::span<uint8_t, 128> data) {
  return ReadFromOpenLoader(address, data, true);
}

ReadOutcome Loader::ReadFromOpenLoader(uint16_t address, std::span<uint8_t, 128> data, bool pause) {
  const Frame10 frame = ReadFrame(address);
  if (pause)
    link_.SendFrame(frame.data(), frame.size());
  else
    link_.Send(frame.data(), frame.size());
  link_.WaitReply(kPageReadWaitMs, kDataReplyLength);
  const ReadOutcome outcome = DataReplyOutcome();
  if (outcome == ReadOutcome::Read)
    std::copy_n(link_.ReplyBuffer.begin() + kReplyData, kBlockSize, data.begin());
  return outcome;
}

ReadOutcome Loader::ReadPageOutcome(uint16_t address) {
  InfoPage.fill(0xFF);
  const Frame10 frame = ReadFrame(address);
  EnterLoader();
  static_cast<void>(SendPassword());  // a refusal shows in the checked reply
  link_.SendFrame(frame.data(), frame.size());
  link_.WaitReply(kPageReadWaitMs, kDataReplyLength);
  const ReadOutcome outcome = DataReplyOutcome();
  if (outcome != ReadOutcome::Read) return outcome;
  std::copy_n(link_.ReplyBuffer.begin() + kReplyData, kBlockSize, InfoPage.begin() + kPageData);
  SetPageHeader(InfoPage, address);
  Seal(InfoPage.data(), InfoPage.size());
  return ReadOutcome::Read;
}

}  // namespace rilo
