#pragma once

// The ids of the page's parts besides Form1 and its controls, which carry their design names:
// written into the page by make_page, looked up by the program.

#include <string_view>

namespace web::page {

inline constexpr std::string_view kInputDialog = "InputDialog";
inline constexpr std::string_view kErrorDialog = "ErrorReport";
inline constexpr std::string_view kEnded = "Ended";    // what the page says once the program ended
inline constexpr std::string_view kStatus = "Status";  // where a screen reader hears each result
// What the page says while the program loads, where it cannot run, where its files did not
// arrive, and where the site's page was opened from a file; app/web/shell.js shows them.
inline constexpr std::string_view kLoading = "Loading";
inline constexpr std::string_view kUnsupported = "Unsupported";
inline constexpr std::string_view kNotLoaded = "NotLoaded";
inline constexpr std::string_view kFromFile = "FromFile";
// The page's heading, which names Form1 for a screen reader.
inline constexpr std::string_view kTitle = "Title";

}  // namespace web::page
