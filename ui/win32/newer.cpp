#include "ui/win32/newer.h"

#include <string>

namespace win32 {

void* FindNewerFunction(const wchar_t* library, const char* name) {
#ifdef QUADRANT_NEWER_FUNCTIONS_MISSING
  (void)library;
  (void)name;
  return nullptr;
#else
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const HMODULE module = LoadLibraryW((std::wstring(folder, length) + L'\\' + library).c_str());
  // The only way to reach a function by name.
  return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
#endif
}

}  // namespace win32
