#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "ui/check.h"
#include "ui/form1_design.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/handles.h"
#include "ui/win32/windows_api.h"

// The program's one window, on user32 and comctl32. Text1 shows the result of the last check;
// Command1 asks for X and Y and writes where the point lies, Command2 ends the program.
//
// Form1 is a window of a dialog class (its default procedure is DefDlgProcW), so that the dialog
// manager gives it what a dialog has: Tab order, access keys, Enter for the default or the focused
// button with the default frame following the focus, and Escape for the cancel button. The
// message loop hands it its messages through IsDialogMessage. Sizes follow the window's DPI and
// the user's text size, and are laid out again when either changes.
class Form1 : private ui::CheckFace {
 public:
  // Creates the window hidden, at the stored position where the whole window fits on the work
  // area there, with the icon resource `icon` of `instance`. Throws when the window cannot be
  // created.
  Form1(HINSTANCE instance, WORD icon);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Shows the window with the focus in Text1, then gives the controls their tooltips and the
  // names screen readers read, and makes the hidden alert that has a check's line said where no
  // newer way is there (Accessibility::Announce). Throws when either cannot be made.
  void Show(int showCommand);

  // Hands a keyboard message to the dialog manager (IsDialogMessage); true if it took it. For the
  // message loop.
  bool HandleDialogKeys(MSG& message);

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void OnCreate();
  void OnCommand(int id, int notification);
  void OnActivate(bool active);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnTextSizeChanged();
  void OnDestroy();

  void Command1_Click();
  void Command2_Click();

  void AddHelp();
  HWND Control(const ui::ControlDesign& design) const;
  void Layout(UINT dpi);
  void Relayout(UINT dpi, const RECT* suggested);
  RECT Frame(UINT dpi, POINT origin) const;
  void PlaceAtStoredPosition();

  // What a check needs of the window.
  std::string Ask(std::string_view prompt) override;
  std::string DecimalSeparator() override;
  void ShowLine(std::string_view line) override;
  void Announce(std::string_view line) override;
  void Report(std::string_view report) override;
  void SayUnannounced();

  // The controls are named as the window's design and the other front ends name them.
  HWND Text1 = nullptr;
  HWND Command1 = nullptr;
  HWND Command2 = nullptr;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;  // owned by window_, which destroys it
  HWND alert_ = nullptr;    // a hidden child of window_, which destroys it
  std::wstring command2Face_;
  win32::Font windowFont_;
  UINT layoutDpi_ = 96;  // the DPI at which the design's twips are laid out (Layout)
  win32::Font command2Font_;
  win32::Accessibility accessibility_;
  std::string unannounced_;           // a line to be said once the window is active again
  std::exception_ptr createFailure_;  // why WM_CREATE failed, for the constructor to throw
};
