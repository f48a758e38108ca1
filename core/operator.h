// The person at the screen: message boxes, OK/Cancel questions, the progress bar
// and the busy look. Commands talk to the person only through this seam, so every
// command runs the same in the window, in rilo-cli and under a scripted test.
#pragma once

#include <string>

namespace rilo {

enum class Icon { None, Information, Error };

// A Yes/No/Cancel question's answer.
enum class Choice { Yes, No, Cancel };

// Caption of plain messages (an OK box without an icon) and of runtime errors.
inline constexpr const char *kProgramTitle = "RILO1Q12";

class Operator {
 public:
  virtual ~Operator() = default;

  // A modal message box with an OK button.
  virtual void Message(const std::string &caption, const std::string &text, Icon icon) = 0;

  // A modal OK/Cancel question; true for OK.
  virtual bool Ask(const std::string &caption, const std::string &text, Icon icon) = 0;

  // A modal Yes/No/Cancel question. Where no one can answer, Cancel: nothing is let go.
  virtual Choice Choose(const std::string &, const std::string &, Icon) { return Choice::Cancel; }

  // The progress bar. Positions beyond the maximum (commands end with 500) show a full bar.
  virtual void SetProgressMax(int maximum) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void StepProgress() = 0;
  // What the command is doing now, beside the bar ("寫入 37/74"); empty when it ends.
  virtual void ShowPhase(const std::string &) {}

  // Hourglass and a translucent window while a device command runs.
  virtual void SetBusy(bool busy) = 0;
};

}  // namespace rilo
