#pragma once

// The one way this front end includes <windows.h>: Unicode ("W") functions, Windows 10 API
// (per-monitor DPI), and none of the min/max macros that would break <algorithm>.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>
