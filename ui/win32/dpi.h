#pragma once

// The DPI functions of Windows 10 1607, looked up on first use (newer.h), each in front of the
// older calls that do its work where it is missing (Windows 7, 8.1, 10 before 1607).

#include "ui/win32/windows_api.h"

namespace win32 {

// The window's own DPI (GetDpiForWindow); else its monitor's (GetDpiForMonitor, Windows 8.1);
// else the system's (GetDeviceCaps), the one DPI that Windows 7 scales for.
UINT DpiForWindow(HWND window);

// The whole window around the client area `rect`, at `dpi` (AdjustWindowRectExForDpi); else at
// the system's DPI (AdjustWindowRectEx): before Windows 10 1607 the system draws the frame at the
// system's DPI on every monitor.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// The system's metrics for captions, menus and messages, with their fonts at `dpi`
// (SystemParametersInfoForDpi); else SystemParametersInfoW's, with the fonts scaled from the
// system's DPI to `dpi`.
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi);

}  // namespace win32
