#pragma once

// The one way this front end includes <windows.h>: Unicode ("W") functions, and none of the
// min/max macros that would break <algorithm>. The build declares the API of Windows 7
// (_WIN32_WINNT 0x0601), so that a newer function does not compile: those that the program uses
// where Windows has them are looked up at run time (newer.h).

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
