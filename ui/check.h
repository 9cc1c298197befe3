#pragma once

// The check that Command1 starts, written once for every front end. A front end supplies how its
// platform asks, shows, announces and reports; the order of those steps, and so what a user sees
// and hears, is decided here.

#include <string>
#include <string_view>

namespace ui {

// What a check needs of the window it runs in. Each may throw; the check reports what it throws.
class CheckFace {
 public:
  // Shows the modal input dialog titled kInputTitle with `prompt` and kInputDefaultText selected,
  // and returns the text confirmed, or the empty text when the dialog was cancelled or closed.
  virtual std::string Ask(std::string_view prompt) = 0;
  // The separator that the user's language writes before a number's fraction, read at each check.
  virtual std::string DecimalSeparator() = 0;
  // Replaces the text of Text1 with `line`, shown from its first character.
  virtual void ShowLine(std::string_view line) = 0;
  // Has a screen reader say `line`, which Text1 now shows, once and whole, wherever the focus is.
  virtual void Announce(std::string_view line) = 0;
  // Tells the user, in a modal message, that the check failed: `report` as ErrorReport writes it.
  // Must not throw.
  virtual void Report(std::string_view report) = 0;

 protected:
  ~CheckFace() = default;
};

// Asks for X, then for Y, and writes where the point lies into Text1 and has it announced. A step
// that fails ends the check, and the failure is reported rather than thrown; Text1 keeps what it
// had.
void Check(CheckFace& face);

}  // namespace ui
