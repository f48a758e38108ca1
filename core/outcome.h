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
  bool answer = false;  // a question's answer: true for OK
  bool operator==(const Said &) const = default;
};

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
  std::vector<Said> messages;

  // The first error said, else the last message or question; nullptr when nothing was said.
  const Said *Reason() const {
    for (const Said &said : messages)
      if (said.icon == Icon::Error) return &said;
    return messages.empty() ? nullptr : &messages.back();
  }
};

}  // namespace rilo
