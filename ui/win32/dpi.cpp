#include "ui/win32/dpi.h"

#include <string>

#include "ui/win32/handles.h"

namespace win32 {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
// shellscalingapi.h declares it only for Windows 8.1 and later; MDT_EFFECTIVE_DPI is 0 there.
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

// `name` in `module`, or null where this Windows lacks it. A test build (QUADRANT_DPI_FALLBACKS)
// finds nothing, so that the older calls do all the work, as on Windows 7.
template <typename Function>
Function Find(HMODULE module, const char* name) {
#ifdef QUADRANT_DPI_FALLBACKS
  (void)module;
  (void)name;
  return nullptr;
#else
  if (module == nullptr) return nullptr;
  // The only way to reach a function by name: its type is the one its documentation gives.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
#endif
}

// shcore.dll from the system's folder only, never from beside the program. It stays loaded,
// as the program calls into it until it ends.
HMODULE SystemShcore() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\shcore.dll").c_str());
}

// Looked up once and never changed after: each a function of the system or null.
struct Functions {
  GetDpiForWindowFunction getDpiForWindow;
  AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi;
  SystemParametersInfoForDpiFunction systemParametersInfoForDpi;
  GetDpiForMonitorFunction getDpiForMonitor;
};

const Functions& Lookup() {
  static const Functions functions = [] {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    Functions found{Find<GetDpiForWindowFunction>(user32, "GetDpiForWindow"),
                    Find<AdjustWindowRectExForDpiFunction>(user32, "AdjustWindowRectExForDpi"),
                    Find<SystemParametersInfoForDpiFunction>(user32, "SystemParametersInfoForDpi"),
                    nullptr};
    if (found.getDpiForWindow == nullptr) {
      found.getDpiForMonitor = Find<GetDpiForMonitorFunction>(SystemShcore(), "GetDpiForMonitor");
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
