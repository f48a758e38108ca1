#include "cli/status_display.h"

#include <algorithm>

namespace rilo {
namespace {

// Commands end by setting the bar to 500, past any maximum: a full bar.
int Position(const PortView &view) {
  return std::clamp(view.position, 0, view.maximum);
}

const char *ResultText(PortView::State state) {
  switch (state) {
    case PortView::State::Succeeded:
      return "成功";
    case PortView::State::Failed:
      return "失敗";
    case PortView::State::Running:
      break;
  }
  return "";
}

}  // namespace

StatusDisplay::StatusDisplay(std::ostream &out, std::vector<std::string> ports, bool terminal,
                             bool progressLines)
    : out_(out), ports_(std::move(ports)), terminal_(terminal), progressLines_(progressLines) {
  shown_.resize(ports_.size());
  for (const auto &name : ports_)
    nameWidth_ = std::max(nameWidth_, name.size());
}

std::string StatusDisplay::Prefix(size_t port) const {
  return ports_.size() > 1 ? ports_[port] + ": " : std::string();
}

std::string StatusDisplay::BlockLine(size_t port, const PortView &view) const {
  std::string line = ports_[port] + std::string(nameWidth_ - ports_[port].size() + 2, ' ') + view.phase;
  if (view.maximum > 0) line += "  " + std::to_string(Position(view)) + "/" + std::to_string(view.maximum);
  if (view.state != PortView::State::Running) line += std::string("  ") + ResultText(view.state);
  return line;
}

void StatusDisplay::PlainLines(size_t port, const PortView &view, std::string &text) {
  Shown &shown = shown_[port];
  if (view.maximum != shown.maximum) {
    shown.maximum = view.maximum;
    shown.tenth = -1;
  }
  if (progressLines_ && view.maximum > 0 && view.state == PortView::State::Running) {
    const int tenth = Position(view) * 10 / view.maximum;
    if (tenth != shown.tenth) {
      shown.tenth = tenth;
      text += Prefix(port) + "進度 " + std::to_string(Position(view)) + "/" + std::to_string(view.maximum) +
              " (" + std::to_string(tenth * 10) + "%)\n";
    }
  }
  if (view.state != shown.state) {
    shown.state = view.state;
    if (ports_.size() > 1) text += Prefix(port) + ResultText(view.state) + "\n";
  }
}

void StatusDisplay::Show(const std::vector<PortView> &views) {
  std::string text;
  for (size_t port = 0; port < views.size(); ++port) {
    for (const auto &line : views[port].lines)
      text += Prefix(port) + line + "\n";
    if (!terminal_) PlainLines(port, views[port], text);
  }
  if (terminal_) {
    std::vector<std::string> block;
    for (size_t port = 0; port < views.size(); ++port)
      block.push_back(BlockLine(port, views[port]));
    if (text.empty() && block == block_) return;
    // Back to the top of the block as drawn, and down from there.
    if (!block_.empty()) text.insert(0, "\x1b[" + std::to_string(block_.size()) + "F\x1b[J");
    for (const auto &line : block)
      text += line + "\n";
    block_ = std::move(block);
  }
  if (text.empty()) return;
  out_ << text << std::flush;
}

}  // namespace rilo
