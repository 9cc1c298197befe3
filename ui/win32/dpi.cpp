#include "ui/win32/dpi.h"

#include "ui/win32/handles.h"
#include "ui/win32/newer.h"

namespace win32 {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
// shellscalingapi.h declares it only for Windows 8.1 and later; MDT_EFFECTIVE_DPI is 0 there.
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

// Looked up once and never changed after: each a function of the system or null.
struct Functions {
  GetDpiForWindowFunction getDpiForWindow;
  AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi;
  SystemParametersInfoForDpiFunction systemParametersInfoForDpi;
  GetDpiForMonitorFunction getDpiForMonitor;
};

const Functions& Lookup() {
  static const Functions functions = [] {
    Functions found{
        FindNewer<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow"),
        FindNewer<AdjustWindowRectExForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi"),
        FindNewer<SystemParametersInfoForDpiFunction>(L"user32.dll", "SystemParametersInfoForDpi"),
        nullptr};
    if (found.getDpiForWindow == nullptr) {
      found.getDpiForMonitor =
          FindNewer<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    }
    return found;
  }();
  return functions;
}

UINT SystemDpi() {
  const WindowDc screen = GetWindowDc(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void ScaleFont(LOGFONTW& font, UINT from, UINT to) {
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(to), static_cast<int>(from));
}

}  // namespace

UINT DpiForWindow(HWND window) {
  const Functions& functions = Lookup();
  if (functions.getDpiForWindow != nullptr) return functions.getDpiForWindow(window);
  if (functions.getDpiForMonitor != nullptr) {
    UINT x = 0;
    UINT y = 0;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (SUCCEEDED(functions.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) return y;
  }
  return SystemDpi();
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
  const Functions& functions = Lookup();
  if (functions.adjustWindowRectExForDpi != nullptr) {
    return functions.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi);
  }
  return AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi) {
  metrics.cbSize = sizeof metrics;
  const Functions& functions = Lookup();
  if (functions.systemParametersInfoForDpi != nullptr) {
    return functions.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                                                0, dpi);
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
  const UINT system = SystemDpi();
  if (dpi != system) {
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont}) {
      ScaleFont(*font, system, dpi);
    }
  }
  return true;
}

}  // namespace win32
