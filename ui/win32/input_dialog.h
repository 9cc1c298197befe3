#pragma once

#include <string>
#include <string_view>

#include "ui/win32/windows_api.h"

namespace win32 {

// Asks for one text in a modal dialog owned by `owner`: the prompt, an entry field holding
// `defaultText` selected so that typing replaces it, and the buttons OK and Cancel. Enter
// confirms; Escape, Cancel and the close box cancel. Returns the entered text, of any length, or
// the empty text when the dialog was cancelled. Texts are UTF-8. Throws std::runtime_error when
// the dialog cannot be shown.
std::string AskText(HWND owner, std::string_view title, std::string_view prompt,
                    std::string_view defaultText, std::string_view ok, std::string_view cancel);

}  // namespace win32
