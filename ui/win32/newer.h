#pragma once

// Functions of Windows newer than 7, which the program must not import: the loader of an older
// Windows would refuse to start it. Each is looked up here, once, by the code whose older calls do
// its work where it is missing (dpi.cpp, accessibility.cpp).

#include "ui/win32/windows_api.h"

namespace win32 {

// `name` in the system's `library`, or null where this Windows lacks it. The library comes from
// the system's folder only, never from beside the program, and stays loaded, as the program may
// call into it until it ends. A test build (QUADRANT_NEWER_FUNCTIONS_MISSING) finds nothing, so
// that the older calls do all the work, as on Windows 7.
void* FindNewerFunction(const wchar_t* library, const char* name);

// The same, as `Function`: the type that the function's documentation gives it.
template <typename Function>
Function FindNewer(const wchar_t* library, const char* name) {
  return reinterpret_cast<Function>(FindNewerFunction(library, name));
}

}  // namespace win32
