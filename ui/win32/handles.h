#pragma once

// Owners for the handles this front end creates: each is freed exactly once, by its owner.

#include <memory>
#include <type_traits>

#include "ui/win32/windows_api.h"

namespace win32 {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct ReleaseDcDeleter {
  HWND window;
  void operator()(HDC dc) const noexcept { ReleaseDC(window, dc); }
};
using WindowDc = std::unique_ptr<std::remove_pointer_t<HDC>, ReleaseDcDeleter>;

inline WindowDc GetWindowDc(HWND window) { return WindowDc(GetDC(window), {window}); }

}  // namespace win32
