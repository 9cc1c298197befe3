#include "ui/win32/windows_api.h"

#include <commctrl.h>

#include <cstdlib>
#include <exception>

#include "app/win32/resource.h"
#include "ui/error_report.h"
#include "ui/form1_design.h"
#include "ui/win32/form1.h"
#include "ui/win32/text.h"

namespace {

int RunMessageLoop(Form1& form) {
  MSG message;
  BOOL got = FALSE;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (!form.HandleDialogKeys(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return got == 0 ? static_cast<int>(message.wParam) : EXIT_FAILURE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    Form1 form(instance, QUADRANT_ICON);
    form.Show(showCommand);
    return RunMessageLoop(form);
  } catch (...) {
    MessageBoxW(nullptr, win32::Widen(ui::ErrorReport(std::current_exception())).c_str(),
                win32::Widen(ui::kForm1.caption).c_str(), MB_OK | MB_ICONERROR);
    return EXIT_FAILURE;
  }
}
