#include "cli/bench_operator.h"

#include "workbench/unfinished_work.h"
#include "workbench/unit_messages.h"

#include <algorithm>

namespace rilo {

template <class Change>
void BenchOperator::Changed(Change change) {
  {
    std::lock_guard held(lock_);
    change(view_);
  }
  changed_.Notify();
}

std::string BenchOperator::Where() const {
  std::lock_guard held(lock_);
  std::string where = view_.phase;
  if (view_.maximum > 0)
    where += " " + std::to_string(std::clamp(view_.position, 0, view_.maximum)) + "/" +
             std::to_string(view_.maximum);
  return where.empty() ? where : where + ": ";
}

void BenchOperator::Say(std::string line) {
  Changed([&](PortView &v) { v.lines.push_back({std::move(line)}); });
}

void BenchOperator::Moved(PortView &v) {
  if (!progressLines_ || v.maximum <= 0) return;
  // Commands end by setting the bar to 500, past any maximum: a full bar.
  const int position = std::clamp(v.position, 0, v.maximum);
  const int tenth = position * 10 / v.maximum;
  if (tenth == tenth_) return;
  tenth_ = tenth;
  v.lines.push_back({"進度 " + std::to_string(position) + "/" + std::to_string(v.maximum) + " (" +
                         std::to_string(tenth * 10) + "%)",
                     true});
}

void BenchOperator::Message(const std::string &caption, const std::string &text, Icon icon) {
  lastSaid_ = Where() + text;
  if (icon == Icon::Error && firstError_.empty()) firstError_ = lastSaid_;
  Say(caption + ": " + text);
}

bool BenchOperator::Ask(const std::string &caption, const std::string &text, Icon) {
  // Each question has the option that answers it; none answers another's.
  struct Option {
    bool given;
    const char *name;
  };
  const Option option = caption == kUnfinishedCaption ? Option{answers_.finish, "--finish"}
                        : caption == kDuplicateIdCaption
                            ? Option{answers_.allowDuplicateId, "--allow-duplicate-id"}
                            : Option{answers_.yes, "--yes"};
  lastSaid_ = Where() + text + (option.given ? " 確定" : " 取消");
  Say(caption + ": " + text +
      (option.given ? std::string(" 確定 (") + option.name + ")"
                    : std::string(" 取消 (加上 ") + option.name + " 即回答確定)"));
  return option.given;
}

void BenchOperator::SetProgressMax(int maximum) {
  tenth_ = -1;
  Changed([&](PortView &v) { v.maximum = maximum; });
}

void BenchOperator::SetProgress(int position) {
  if (!firstError_.empty()) return;  // the bar stays where the unit failed
  Changed([&](PortView &v) {
    v.position = position;
    Moved(v);
  });
}

void BenchOperator::StepProgress() {
  if (!firstError_.empty()) return;
  Changed([&](PortView &v) {
    ++v.position;
    Moved(v);
  });
}

void BenchOperator::SetPhase(std::string phase) {
  tenth_ = -1;
  Changed([&](PortView &v) {
    v.phase = std::move(phase);
    v.position = v.maximum = 0;
  });
}

void BenchOperator::Fail(const std::string &line) {
  lastSaid_ = Where() + line;
  if (firstError_.empty()) firstError_ = lastSaid_;
  Say(line);
}

std::string BenchOperator::FailureReason() const {
  if (!firstError_.empty()) return firstError_;
  if (!lastSaid_.empty()) return lastSaid_;
  std::lock_guard held(lock_);
  return view_.phase;
}

void BenchOperator::Finish(bool succeeded) {
  Changed([&](PortView &v) { v.state = succeeded ? PortView::State::Succeeded : PortView::State::Failed; });
}

PortView BenchOperator::Look() {
  std::lock_guard held(lock_);
  PortView view = view_;
  view_.lines.clear();
  return view;
}

}  // namespace rilo
