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

StatusDisplay::StatusDisplay(std::ostream &out, std::vector<std::string> ports, bool terminal)
    : out_(out), ports_(std::move(ports)), terminal_(terminal) {
  shownState_.resize(ports_.size(), PortView::State::Running);
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

void StatusDisplay::Show(const std::vector<PortView> &views) {
  std::string text;
  for (size_t port = 0; port < views.size(); ++port) {
    for (const auto &line : views[port].lines)
      if (!terminal_ || !line.progress) text += Prefix(port) + line.text + "\n";
    if (terminal_ || views[port].state == shownState_[port]) continue;
    shownState_[port] = views[port].state;
    if (ports_.size() > 1) text += Prefix(port) + ResultText(views[port].state) + "\n";
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
