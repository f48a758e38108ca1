// What a command did, for whoever ran it: done or failed, where it stopped, the first
// address that read back different, and what it said, in order. The window has shown
// the messages as they came; rilo-cli takes its exit status, summary and record from
// here, never from a message text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/operator.h"

namespace rilo {

// A message box or a question as the command put it to the person.
struct Said {
  std::string caption;
  std::string text;
  Icon icon = Icon::None;
  bool question = false;
  bool answer = false;  // a question's answer: true for OK (Yes or No: the command went on)
  bool operator==(const Said &) const = default;
};

// What the status bar (window) or the error line (rilo-cli) adds to a burn that failed
// after its erase; the message box keeps the failure's own words.
inline constexpr const char *kLeftErasedText = "機器已抹除,須重新燒錄才能運作";

// A streamed transfer's line: the rate asked for, and the slowest the transfer ran at
// (lower when the unit or the adapter could not take it).
struct FastLine {
  uint32_t asked = 0;
  uint32_t used = 0;
  bool operator==(const FastLine &) const = default;
};

// How the status bar (window) or a line (rilo-cli) says which rate a fast transfer used.
inline std::string FastLineText(const FastLine &line) {
  std::string text = "快速傳輸 " + std::to_string(line.used) + " bps";
  if (line.used != line.asked) text += " (" + std::to_string(line.asked) + " bps 未被接受)";
  return text;
}

struct Outcome {
  bool done = false;
  std::string step;  // the command as the person knows it: "讀取設定", "寫入接收機"
  // Where the progress bar stood at the first error, else at the last message or question
  // (pages 0: the command had no bar).
  int page = 0;
  int pages = 0;
  std::optional<uint16_t> differsAt;  // a write read back different from here on
  // Why the port failed, when it did ("COM3: 連接埠已被其他程式使用"): the messages keep the
  // connection failure's own text, the status bar or the error line says this.
  std::string portTrouble;
  // A burn failed after its erase: the unit holds no whole program and will not run
  // until it is burned again.
  bool leftErased = false;
  // Where the command streamed its pages on a faster line: the rate it ran at.
  std::optional<FastLine> fastLine;
  std::vector<Said> messages;

  // The first error said, else the last message or question; nullptr when nothing was said.
  const Said *Reason() const {
    for (const Said &said : messages)
      if (said.icon == Icon::Error) return &said;
    return messages.empty() ? nullptr : &messages.back();
  }
};

}  // namespace rilo
