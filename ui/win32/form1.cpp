#include "ui/win32/form1.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "ui/error_report.h"
#include "ui/win32/control_id.h"
#include "ui/win32/dpi.h"
#include "ui/win32/input_dialog.h"
#include "ui/win32/text.h"

namespace {

constexpr wchar_t kClassName[] = L"Form1";
// A fixed frame with a close box and a minimize box, as the window has a fixed size.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;
// Posted to the window to have a check's line said, once the window is active again.
constexpr UINT kSayUnannounced = WM_APP;

int Pixels(int twips, UINT dpi) { return ui::TwipsToPixels(twips, static_cast<int>(dpi)); }

RECT PixelRect(const ui::Twips& twips, UINT dpi) {
  const int left = Pixels(twips.left, dpi);
  const int top = Pixels(twips.top, dpi);
  return {left, top, left + Pixels(twips.width, dpi), top + Pixels(twips.height, dpi)};
}

// The whole window around a client area `client`, at `dpi`.
RECT WindowRect(RECT client, UINT dpi) {
  win32::AdjustWindowRectForDpi(client, kStyle, kExStyle, dpi);
  return client;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The window's font is the one the system uses for messages and dialogs, at the window's DPI.
win32::Font WindowFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  if (!win32::NonClientMetricsForDpi(metrics, dpi)) {
    // Deleting a stock object, as the owner will, does no harm.
    return win32::Font(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  }
  return win32::Font(CreateFontIndirectW(&metrics.lfMessageFont));
}

// The design's twips are laid out in units of the window's font, as a dialog's are: at the design's
// font an inch has `dpi` pixels, and a larger message font (the user's text size: "Make text
// bigger" in Windows 10 and 11) makes it as many more. Never fewer.
UINT LayoutDpi(UINT dpi, HFONT windowFont) {
  LOGFONTW font{};
  GetObjectW(windowFont, sizeof font, &font);
  const int design = MulDiv(ui::kWindowFontPoints, static_cast<int>(dpi), 72);
  const int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
  return height > design ? static_cast<UINT>(MulDiv(static_cast<int>(dpi), height, design)) : dpi;
}

// Whether `face` is installed as an outline font with the character set. A bitmap font, such as
// the "MS Sans Serif" of old, comes in a few pixel sizes only: it neither scales with the DPI nor
// looks bold at 12 points. Asked of the font GDI actually picks, since GDI substitutes silently.
bool IsOutlineFace(HDC dc, const std::wstring& face, BYTE charset) {
  LOGFONTW query{};
  query.lfHeight = -16;
  query.lfCharSet = charset;
  face.copy(query.lfFaceName, LF_FACESIZE - 1);
  const win32::Font font(CreateFontIndirectW(&query));
  const HGDIOBJ previous = SelectObject(dc, font.get());
  wchar_t picked[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, picked);
  constexpr DWORD kTrueTypeOutlines = 0x66796c67;    // "glyf"
  constexpr DWORD kPostScriptOutlines = 0x20464643;  // "CFF "
  const bool outline = GetFontData(dc, kTrueTypeOutlines, 0, nullptr, 0) != GDI_ERROR ||
                       GetFontData(dc, kPostScriptOutlines, 0, nullptr, 0) != GDI_ERROR;
  SelectObject(dc, previous);
  return outline && lstrcmpiW(picked, face.c_str()) == 0;
}

// The design's face where it scales; else "Microsoft Sans Serif", its outline successor with the
// same look, which Windows has had since 2000; else the window's own face, which every system has
// with a bold cut.
std::wstring ChooseFace(HWND window, const ui::FontDesign& design, HFONT windowFont) {
  const auto charset = static_cast<BYTE>(design.charset);
  const win32::WindowDc dc = win32::GetWindowDc(window);
  for (const std::wstring& face :
       {win32::Widen(design.face), std::wstring(L"Microsoft Sans Serif")}) {
    if (IsOutlineFace(dc.get(), face, charset)) return face;
  }
  LOGFONTW own{};
  GetObjectW(windowFont, sizeof own, &own);
  return own.lfFaceName;
}

win32::Font DesignFont(const ui::FontDesign& design, const std::wstring& face, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(design.points, static_cast<int>(dpi), 72);
  font.lfWeight = design.weight;
  font.lfCharSet = static_cast<BYTE>(design.charset);
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = CLEARTYPE_QUALITY;
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return win32::Font(CreateFontIndirectW(&font));
}

const wchar_t* WindowClass(ui::ControlKind kind) {
  switch (kind) {
    case ui::ControlKind::TextBox:
      return WC_EDITW;
    case ui::ControlKind::PushButton:
      break;
  }
  return WC_BUTTONW;
}

DWORD ControlStyle(const ui::ControlDesign& design) {
  const DWORD common = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  switch (design.kind) {
    case ui::ControlKind::TextBox:
      return common | ES_AUTOHSCROLL;
    case ui::ControlKind::PushButton:
      break;
  }
  return common | (design.keyRole == ui::KeyRole::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

DWORD ControlExStyle(const ui::ControlDesign& design) {
  return design.kind == ui::ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
}

[[noreturn]] void ThrowLastError(const char* operation) {
  throw std::runtime_error(std::string(operation) + " failed, error " +
                           std::to_string(GetLastError()));
}

}  // namespace

Form1::Form1(HINSTANCE instance, WORD icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;  // what DefDlgProcW keeps per window
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(icon));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    ThrowLastError("RegisterClassExW");
  }

  // The size is set once the window knows its DPI.
  const std::wstring caption = win32::Widen(ui::kForm1.caption);
  if (CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      0, 0, nullptr, nullptr, instance, this) == nullptr) {
    if (createFailure_) std::rethrow_exception(createFailure_);
    ThrowLastError("CreateWindowExW");
  }
  PlaceAtStoredPosition();
}

Form1::~Form1() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void Form1::Show(int showCommand) {
  ShowWindow(window_, showCommand);
  // As a text box does when the focus comes to it with a click: the caret before the text.
  SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Text1), TRUE);
  SendMessageW(Text1, EM_SETSEL, 0, 0);
  // Nobody can point at a control or read it before the window is on the screen; made before,
  // tooltips and names (which start COM) added a tenth to the time the window took to appear.
  AddHelp();
}

void Form1::AddHelp() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, instance, nullptr);
  if (tooltip_ == nullptr) ThrowLastError("CreateWindowExW");
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    std::wstring tip = win32::Widen(design->tooltip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(*design));
    tool.lpszText = tip.data();  // copied by the tooltip control
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!design->accessibleName.empty()) {
      accessibility_.Set(Control(*design), design->accessibleName);
    }
  }
  // Never shown and not a tab stop: neither the keyboard nor a screen reader's reading of the
  // window comes to it, while the alert it raises is heard.
  alert_ = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, window_, nullptr,
                           instance, nullptr);
  if (alert_ == nullptr) ThrowLastError("CreateWindowExW");
}

bool Form1::HandleDialogKeys(MSG& message) {
  if (window_ == nullptr) return false;
  // Wine matches access keys case-sensitively, and Alt+П arrives as "п". Upper case is what
  // Windows compares anyway, so this changes nothing there.
  if (message.message == WM_SYSCHAR) {
    message.wParam = reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<LPWSTR>(message.wParam)));
  }
  return ::IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefDlgProcW(window, message, wParam, lParam);
  // Nothing may unwind through the system's frames: a failure here ends the window, reported.
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    if (message == WM_CREATE) {
      form->createFailure_ = std::current_exception();
      return -1;
    }
    form->Report(ui::ErrorReport(std::current_exception()));
    return 0;
  }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_ACTIVATE:  // and on to DefDlgProcW, which gives the focus back
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      break;
    case kSayUnannounced:
      SayUnannounced();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETTINGCHANGE:  // and on to DefDlgProcW
      if (wParam == SPI_SETNONCLIENTMETRICS) OnTextSizeChanged();
      break;
    case WM_CLOSE:  // not the cancel button's command, which DefDlgProcW would make of it
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefDlgProcW(window_, message, wParam, lParam);
}

void Form1::OnCreate() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  // Created in tab order, which is the order the dialog manager tabs in.
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    const std::wstring text = win32::Widen(design->text);
    if (CreateWindowExW(ControlExStyle(*design), WindowClass(design->kind), text.c_str(),
                        ControlStyle(*design), 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(win32::ControlId(*design))),
                        instance, nullptr) == nullptr) {
      ThrowLastError("CreateWindowExW");
    }
  }
  Text1 = Control(ui::kText1);
  Command1 = Control(ui::kCommand1);
  Command2 = Control(ui::kCommand2);

  const UINT dpi = win32::DpiForWindow(window_);
  windowFont_ = WindowFont(dpi);
  command2Face_ = ChooseFace(window_, ui::kCommand2Font, windowFont_.get());
  Layout(dpi);
}

void Form1::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  if (id == win32::ControlId(ui::kCommand1)) {
    Command1_Click();
  } else if (id == win32::ControlId(ui::kCommand2)) {
    Command2_Click();
  }
}

void Form1::OnActivate(bool active) {
  if (active && !unannounced_.empty()) PostMessageW(window_, kSayUnannounced, 0, 0);
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) { Relayout(dpi, &suggested); }

// The user has chosen another text size: the window grows or shrinks with it, where it stands.
void Form1::OnTextSizeChanged() { Relayout(win32::DpiForWindow(window_), nullptr); }

void Form1::OnDestroy() {
  accessibility_.Clear();
  PostQuitMessage(0);
}

HWND Form1::Control(const ui::ControlDesign& design) const {
  return GetDlgItem(window_, win32::ControlId(design));
}

// Sizes, positions and fonts at `dpi` and the user's text size. The new fonts replace the old only
// once no control uses the old.
void Form1::Layout(UINT dpi) {
  win32::Font windowFont = WindowFont(dpi);
  win32::Font command2Font = DesignFont(ui::kCommand2Font, command2Face_, dpi);
  layoutDpi_ = LayoutDpi(dpi, windowFont.get());
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    const RECT bounds = PixelRect(design->bounds, layoutDpi_);
    const HWND control = Control(*design);
    SetWindowPos(control, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT font = design->font == &ui::kCommand2Font ? command2Font.get() : windowFont.get();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  windowFont_ = std::move(windowFont);
  command2Font_ = std::move(command2Font);
}

// Lays the window out at `dpi` and fits its frame to it: at the top left of `suggested` (the
// system's place for it at a new DPI) where given, else where it stands.
void Form1::Relayout(UINT dpi, const RECT* suggested) {
  Layout(dpi);
  const RECT frame = Frame(dpi, {0, 0});
  const RECT at = suggested ? *suggested : RECT{};
  SetWindowPos(window_, nullptr, at.left, at.top, frame.right - frame.left,
               frame.bottom - frame.top,
               (suggested ? 0 : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The whole window at `dpi`, its client area laid out at layoutDpi_ with its top left at `origin`.
RECT Form1::Frame(UINT dpi, POINT origin) const {
  RECT client = PixelRect(ui::kForm1.client, layoutDpi_);
  OffsetRect(&client, origin.x - client.left, origin.y - client.top);
  return WindowRect(client, dpi);
}

// Where the whole window fits on the work area at the stored position, it opens there; elsewhere
// where the system puts it.
void Form1::PlaceAtStoredPosition() {
  const UINT dpi = win32::DpiForWindow(window_);
  const RECT frame =
      Frame(dpi, {Pixels(ui::kForm1.client.left, dpi), Pixels(ui::kForm1.client.top, dpi)});
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  const HMONITOR screen = MonitorFromRect(&frame, MONITOR_DEFAULTTONULL);
  if (screen != nullptr && GetMonitorInfoW(screen, &monitor) && Contains(monitor.rcWork, frame)) {
    SetWindowPos(window_, nullptr, frame.left, frame.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The check reports its own failures: nothing escapes into the window procedure.
void Form1::Command1_Click() { ui::Check(*this); }

void Form1::Command2_Click() { DestroyWindow(window_); }

std::string Form1::Ask(std::string_view prompt) {
  return win32::AskText(window_, ui::kInputTitle, prompt, ui::kInputDefaultText, ui::kInputOk,
                        ui::kInputCancel);
}

// The user's, read at every check, since the user may change it while the program runs.
std::string Form1::DecimalSeparator() {
  wchar_t separator[8] = {};  // at most four characters and the null
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) {
    ThrowLastError("GetLocaleInfoEx");
  }
  return win32::Narrow(separator);
}

// A text box shows a text newly set from its first character, with the caret before it.
void Form1::ShowLine(std::string_view line) {
  if (!SetWindowTextW(Text1, win32::Widen(line).c_str())) ThrowLastError("SetWindowTextW");
  SendMessageW(Text1, EM_SETSEL, 0, 0);
  SendMessageW(Text1, EM_SCROLLCARET, 0, 0);
}

// A screen reader reads Text1 itself as the focus comes back to it; said again, the line would be
// heard twice. Elsewhere the line is said once the window is active again, from a message posted
// after the activation's: a reader cancels what it is saying as the foreground changes, and would
// cut a line said in the same turn short with its news of the window and the focus.
void Form1::Announce(std::string_view line) {
  if (GetFocus() == Text1) return;
  unannounced_ = line;
  OnActivate(GetActiveWindow() == window_);
}

void Form1::SayUnannounced() {
  if (unannounced_.empty() || GetActiveWindow() != window_) return;
  accessibility_.Announce(window_, alert_, unannounced_);
  unannounced_.clear();
}

void Form1::Report(std::string_view report) {
  MessageBoxW(window_, win32::Widen(report).c_str(), win32::Widen(ui::kForm1.caption).c_str(),
              MB_OK | MB_ICONERROR);
}
