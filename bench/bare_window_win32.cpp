// The least Win32 program with the window of quadrant.exe: a fixed-size top-level window titled
// "Form1" holding an edit control and two push buttons at the same places at 96 dpi, drawn by the
// same common controls (quadrant.exe's manifest), and nothing else: no dialog manager, tooltips,
// fonts of its own, COM or icon. startup.sh compares quadrant.exe's start with this one's.

#ifndef UNICODE
#define UNICODE
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
  windowClass.lpszClassName = L"BareWindow";
  RegisterClassW(&windowClass);
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, 312, 65};
  AdjustWindowRect(&frame, kStyle, FALSE);
  const HWND window = CreateWindowW(L"BareWindow", L"Form1", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                    frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                    nullptr, instance, nullptr);
  CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 4, 8, 301,
                  19, window, nullptr, instance, nullptr);
  CreateWindowW(L"BUTTON", L"Check", WS_CHILD | WS_VISIBLE, 4, 32, 269, 25, window, nullptr,
                instance, nullptr);
  CreateWindowW(L"BUTTON", L"X", WS_CHILD | WS_VISIBLE, 280, 32, 25, 25, window, nullptr, instance,
                nullptr);
  ShowWindow(window, showCommand);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
