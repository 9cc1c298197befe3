#pragma once

// What Form1 needs of the page it lives in (index.html, made by make_page from the design). Texts
// are UTF-8; elements are named by their ids. Ask and Report wait for the user while the browser
// goes on (Asyncify): the caller's stack is kept and resumed as the dialog closes, within the
// key's or the click's own task, so that keys typed ahead reach the dialog shown next (Bind).
//
// A failure of the page's script inside any of these (a missing element, a browser that lacks a
// function) is thrown as a ScriptError, so that a check reports it as it reports a run-time error.

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace web::dom {

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a press of the button of that id calls.
struct Press {
  std::string_view button;
  void (*handler)();
};

// Makes the form live: its buttons enabled, each calling its handler of `presses` (a button without
// one is a failure); Enter in a text box and Escape press the buttons marked as the default and the
// cancel one; the focus goes to `focus`, with the caret before its text. While a dialog is open, no
// press of a button, by any route, calls anything. The page's dialogs answer (Ask, Report) as they
// close, not on their later "close" event.
void Bind(std::string_view form, std::string_view focus, std::initializer_list<Press> presses);

// Replaces the text of a text box and shows it from its first character.
void ShowText(std::string_view box, std::string_view text);

// Has a screen reader say `text` once it is done speaking, through the live region `region`.
void Announce(std::string_view region, std::string_view text);

// The decimal separator of the first of the browser's languages that Intl knows, as Intl writes
// numbers there; the period where it knows none of them.
std::string DecimalSeparator();

// Shows the modal input dialog `dialog` with `prompt` and `text` selected in its entry field, and
// returns the text confirmed, or the empty text when the dialog was cancelled.
std::string Ask(std::string_view dialog, std::string_view prompt, std::string_view text);

// Shows `message` in the modal alert dialog `dialog` until it is closed. Where the dialog cannot
// be shown, the browser's own alert says it.
void Report(std::string_view dialog, std::string_view message);

// Takes the form off the page and shows `ended` instead, with the focus on its link, its words said
// through the live region `region`; closes the window where it is the program's own (an installed
// app, a window opened for the program).
void End(std::string_view form, std::string_view ended, std::string_view region);

}  // namespace web::dom
