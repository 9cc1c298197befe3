#pragma once

// What Form1 needs of the page it lives in (index.html, made by make_page from the design). Texts
// are UTF-8; elements are named by their ids. Ask and Report wait for the user while the browser
// goes on (Asyncify): the caller's stack is kept and resumed once the dialog is closed.

#include <string>
#include <string_view>

namespace web::dom {

// Makes the form live: its buttons enabled, each calling the exported function named after it and
// the event ("Command1_Click"); Enter in a text box and Escape press the buttons marked as the
// default and the cancel one; the focus goes to `focus`, with the caret before its text.
void Bind(std::string_view form, std::string_view focus);

// Replaces the text of a text box and shows it from its first character.
void ShowText(std::string_view box, std::string_view text);

// The decimal separator of the browser's language (the first the user asks pages for), as Intl
// writes numbers there.
std::string DecimalSeparator();

// Shows the modal input dialog `dialog` with `prompt` and `text` selected in its entry field, and
// returns the text confirmed, or the empty text when the dialog was cancelled.
std::string Ask(std::string_view dialog, std::string_view prompt, std::string_view text);

// Shows `message` in the modal alert dialog `dialog` until it is closed.
void Report(std::string_view dialog, std::string_view message);

// Takes the form off the page and shows `ended` instead; closes the window where the browser lets
// a page do so.
void End(std::string_view form, std::string_view ended);

}  // namespace web::dom
