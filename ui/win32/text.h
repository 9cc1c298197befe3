#pragma once

// UTF-16, which Windows speaks, and UTF-8, which the core and the window's design speak, meet
// only here.

#include <string>
#include <string_view>

namespace win32 {

// Invalid UTF-8 becomes U+FFFD; never fails but for memory.
std::wstring Widen(std::string_view utf8);

// Unpaired surrogates become U+FFFD; never fails but for memory.
std::string Narrow(std::wstring_view utf16);

}  // namespace win32
