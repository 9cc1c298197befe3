// Reads the running program's windows from outside its process, for the end-to-end test: one
// command a line on standard input, one answer a line on standard output (UTF-8).
//
//   active                     which of form, dialog, alert has the keyboard, or "other"
//   focus                      the name of the control with the keyboard focus
//   default WINDOW             the name of WINDOW's button drawn as default, or "none"
//   text WINDOW CONTROL        the control's text
//   selection WINDOW CONTROL   "start end" of an edit control's selection
//   first-visible WINDOW CONTROL   the first character an edit control shows
//   paste WINDOW CONTROL TEXT  puts TEXT on the clipboard and pastes it into the control, as
//                              Ctrl+V does; TEXT "spaces:N:REST" stands for N spaces then REST
//   set-text WINDOW CONTROL TEXT   replaces the control's text (beyond any length limit)
//   close WINDOW               gives WINDOW the system's close command, which its close box and
//                              Alt+F4 give
//   name WINDOW CONTROL        what a screen reader calls the control
//   listen                     hooks the form's alerts (EVENT_SYSTEM_ALERT) as a screen reader
//   heard                      after 2 s, the names their objects had at each alert since the
//                              last "heard", joined by " | ", or "none"
//   layout form [SCALE]        "ok" where the window's client area, where it lies on the screen,
//                              and its controls are those of the design at the system's DPI
//                              (times SCALE, the client area then measured from where it lies),
//                              else what differs
//   text-size POINTS           sets the user's message font to POINTS, as Windows' text size
//                              does, for the programs that start after
//   x-window WINDOW            the X window that Wine shows WINDOW in (Wine's own property), as
//                              xdotool writes it
//   version PATH               the version resource of a program, as Windows reads it:
//                              "KEY=VALUE" pairs separated by "|"
//
// WINDOW is form (the program's window, with Text1, Command1 and Command2), dialog (an input
// dialog, with prompt, entry, OK and Cancel) or alert (the error report, with message). An answer
// that cannot be given is "none".

#include "ui/win32/windows_api.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form1_design.h"
#include "ui/win32/control_id.h"
#include "ui/win32/handles.h"
#include "ui/win32/text.h"

namespace {

// The window class of dialog boxes, which the input dialog and the message box are.
constexpr wchar_t kDialogClass[] = L"#32770";

HWND FindTopLevel(const std::string& name) {
  if (name == "form") return FindWindowW(L"Form1", win32::Widen(ui::kForm1.caption).c_str());
  if (name == "dialog") return FindWindowW(kDialogClass, win32::Widen(ui::kInputTitle).c_str());
  if (name == "alert") return FindWindowW(kDialogClass, win32::Widen(ui::kForm1.caption).c_str());
  return nullptr;
}

// The message box's text has the identifier of an unnamed static control.
constexpr int kMessageId = 0xFFFF;

HWND FirstChildOfClass(HWND parent, const wchar_t* windowClass) {
  return FindWindowExW(parent, nullptr, windowClass, nullptr);
}

HWND FindControl(HWND top, const std::string& name) {
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    if (name == design->name) return GetDlgItem(top, win32::ControlId(*design));
  }
  if (name == "entry") return FirstChildOfClass(top, L"Edit");
  if (name == "prompt") return FirstChildOfClass(top, L"Static");
  if (name == "OK") return GetDlgItem(top, IDOK);
  if (name == "Cancel") return GetDlgItem(top, IDCANCEL);
  if (name == "message") return GetDlgItem(top, kMessageId);
  return nullptr;
}

// The name FindControl knows `control` by, in whichever window it is.
std::string NameOf(HWND control) {
  for (const char* window : {"form", "dialog", "alert"}) {
    const HWND top = FindTopLevel(window);
    if (top == nullptr || GetParent(control) != top) continue;
    for (const char* name :
         {"Text1", "Command1", "Command2", "entry", "prompt", "OK", "Cancel", "message"}) {
      if (FindControl(top, name) == control) return name;
    }
  }
  return "other";
}

std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return "none";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return win32::Narrow(text);
}

HWND FocusedControl() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const HWND form = FindTopLevel("form");
  if (form == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info)) {
    return nullptr;
  }
  return info.hwndFocus;
}

std::string Active() {
  const HWND foreground = GetForegroundWindow();
  for (const char* name : {"form", "dialog", "alert"}) {
    if (foreground != nullptr && foreground == FindTopLevel(name)) return name;
  }
  return "other";
}

std::string DefaultButton(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return NameOf(child);
    }
  }
  return "none";
}

// N spaces then the rest, for texts too long to pass on a command line.
std::wstring Expand(const std::string& text) {
  if (text.rfind("spaces:", 0) != 0) return win32::Widen(text);
  const std::size_t colon = text.find(':', 7);
  const std::size_t count = std::stoul(text.substr(7, colon - 7));
  return std::wstring(count, L' ') + win32::Widen(text.substr(colon + 1));
}

bool Paste(HWND control, const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  void* data = GlobalLock(memory);
  std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(data));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;  // the clipboard owns it
  CloseClipboard();
  if (!put) GlobalFree(memory);
  return put && SendMessageW(control, WM_PASTE, 0, 0) == 0;
}

// The name of `child` of `accessible`, which it releases.
std::string ReadName(IAccessible* accessible, VARIANT child) {
  BSTR name = nullptr;
  const HRESULT result = accessible->get_accName(child, &name);
  accessible->Release();
  if (FAILED(result) || name == nullptr) return "none";
  const std::string text = win32::Narrow(std::wstring_view(name, SysStringLen(name)));
  SysFreeString(name);
  return text;
}

// What a screen reader reads as the control's name.
std::string AccessibleName(HWND control) {
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&accessible)))) {
    return "none";
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return ReadName(accessible, self);
}

// The names the alerts carried, in order: a WinEvent callback has no context of its own.
std::vector<std::string> heard;

void CALLBACK OnAlert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  IAccessible* accessible = nullptr;
  VARIANT id;  // a child's number, which needs no clearing
  const bool found = SUCCEEDED(AccessibleObjectFromEvent(window, object, child, &accessible, &id));
  heard.push_back(found && accessible ? ReadName(accessible, id) : "no object");
}

std::string Listen() {
  DWORD process = 0;
  GetWindowThreadProcessId(FindTopLevel("form"), &process);
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr,
                                             OnAlert, process, 0, WINEVENT_OUTOFCONTEXT);
  return process && hook ? "ok" : "none";
}

// Out-of-context events come to this thread as it takes its messages.
std::string Heard() {
  for (const DWORD end = GetTickCount() + 2000; static_cast<LONG>(end - GetTickCount()) > 0;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
  }
  std::string names;
  for (const std::string& name : heard) names += (names.empty() ? "" : " | ") + name;
  heard.clear();
  return names.empty() ? "none" : names;
}

std::string VersionResource(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return "none";
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof *translation) {
    return "none";
  }
  wchar_t block[32];
  swprintf(block, 32, L"\\StringFileInfo\\%04x%04x\\", translation->language,
           translation->codePage);
  std::string answer = "Translation=" + std::to_string(translation->language) + "," +
                       std::to_string(translation->codePage);
  for (const wchar_t* key : {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription",
                             L"CompanyName", L"LegalCopyright"}) {
    wchar_t* value = nullptr;
    std::wstring query = block;
    query.append(key);
    if (VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
        length > 0) {
      answer.append("|").append(win32::Narrow(key)).append("=");
      answer.append(win32::Narrow(std::wstring_view(value, length - 1)));
    }
  }
  return answer;
}

// `rect` as "left,top widthxheight".
std::string Describe(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
         std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}

RECT DesignRect(const ui::Twips& twips, int dpi) {
  const int left = ui::TwipsToPixels(twips.left, dpi);
  const int top = ui::TwipsToPixels(twips.top, dpi);
  return {left, top, left + ui::TwipsToPixels(twips.width, dpi),
          top + ui::TwipsToPixels(twips.height, dpi)};
}

std::string Layout(HWND form, int scale) {
  const int systemDpi = GetDeviceCaps(win32::GetWindowDc(nullptr).get(), LOGPIXELSY);
  const int dpi = systemDpi * scale;
  std::string differences;
  const auto compare = [&](std::string_view what, const RECT& found, const RECT& expected) {
    if (!EqualRect(&found, &expected)) {
      differences +=
          std::string(what) + " " + Describe(found) + " not " + Describe(expected) + "; ";
    }
  };
  RECT client{};
  GetClientRect(form, &client);
  POINT origin{0, 0};
  ClientToScreen(form, &origin);
  OffsetRect(&client, origin.x, origin.y);
  RECT design = DesignRect(ui::kForm1.client, dpi);
  if (scale != 1) OffsetRect(&design, client.left - design.left, client.top - design.top);
  compare("client area", client, design);
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    RECT bounds{};
    const HWND control = GetDlgItem(form, win32::ControlId(*design));
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&bounds), 2);
    compare(design->name, bounds, DesignRect(design->bounds, dpi));
  }
  return differences.empty() ? "ok" : differences;
}

bool TextSize(int points) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
  const int dpi = GetDeviceCaps(win32::GetWindowDc(nullptr).get(), LOGPIXELSY);
  metrics.lfMessageFont.lfHeight = -MulDiv(points, dpi, 72);
  return SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics,
                               SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

std::string Answer(const std::string& line) {
  if (line.rfind("version ", 0) == 0) return VersionResource(win32::Widen(line.substr(8)));
  std::istringstream words(line);
  std::string command, window, name, rest;
  words >> command >> window >> name;
  std::getline(words >> std::ws, rest);
  if (command == "active") return Active();
  if (command == "text-size") return TextSize(std::stoi(window)) ? "ok" : "none";
  if (command == "listen") return Listen();
  if (command == "heard") return Heard();
  if (command == "focus") {
    const HWND focus = FocusedControl();
    return focus == nullptr ? "none" : NameOf(focus);
  }
  const HWND top = FindTopLevel(window);
  if (top == nullptr) return "none";
  if (command == "default") return DefaultButton(top);
  if (command == "layout") return Layout(top, name.empty() ? 1 : std::stoi(name));
  if (command == "close") return PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0) ? "ok" : "none";
  if (command == "x-window") {
    return std::to_string(
        reinterpret_cast<std::uintptr_t>(GetPropW(top, L"__wine_x11_whole_window")));
  }
  const HWND control = FindControl(top, name);
  if (control == nullptr) return "none";
  if (command == "text") return WindowText(control);
  if (command == "name") return AccessibleName(control);
  if (command == "selection") {
    const auto selection = static_cast<DWORD>(SendMessageW(control, EM_GETSEL, 0, 0));
    return std::to_string(LOWORD(selection)) + " " + std::to_string(HIWORD(selection));
  }
  if (command == "first-visible") {
    return std::to_string(SendMessageW(control, EM_GETFIRSTVISIBLELINE, 0, 0));
  }
  if (command == "paste") return Paste(control, Expand(rest)) ? "ok" : "none";
  if (command == "set-text") {
    const std::wstring text = Expand(rest);
    return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? "ok"
                                                                                        : "none";
  }
  return "none";
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::string answer;
    try {
      answer = Answer(line);
    } catch (const std::exception&) {
      answer = "none";
    }
    std::cout << answer << std::endl;
  }
  return 0;
}
