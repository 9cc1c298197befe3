#pragma once

#include <string_view>
#include <vector>

#include "ui/win32/windows_api.h"

struct IAccPropServices;

namespace win32 {

// What a screen reader reads beyond what the controls say of themselves: names for controls whose
// own text does not name them, and the result line of a check, said wherever the focus is. Names
// are given the Windows way for a control without a label, a dynamic annotation through
// IAccPropServices. Starts COM on the calling thread with the first annotation, and ends it with
// the object; where COM or the service is missing, controls keep the names their texts give them.
class Accessibility {
 public:
  Accessibility() = default;
  ~Accessibility();
  Accessibility(const Accessibility&) = delete;
  Accessibility& operator=(const Accessibility&) = delete;

  // Gives `control` the name `name` (UTF-8). False where it could not be given.
  bool Set(HWND control, std::string_view name);

  // Has a screen reader say `line` (UTF-8) once, whatever has the focus. Where the system has UI
  // Automation notifications (Windows 10 1709), one is raised from `window`; elsewhere `alert`, a
  // hidden child of `window`, takes `line` as its text and, annotated, as its name, with the role
  // of an alert, and raises an alert event. Only one of the two, so that a reader that hears both
  // kinds does not say the line twice. The line is on the screen already: an announcement that
  // cannot be made is no failure of the check.
  void Announce(HWND window, HWND alert, std::string_view line);

  // Takes every annotation back; due before the controls are destroyed.
  void Clear();

 private:
  bool Start();
  // Names `control` `name` and, where `alert`, gives it the role of an alert.
  bool Annotate(HWND control, std::string_view name, bool alert);

  bool comStarted_ = false;
  bool started_ = false;
  IAccPropServices* services_ = nullptr;
  std::vector<HWND> annotated_;
};

}  // namespace win32
