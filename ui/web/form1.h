#pragma once

// The program's one window in the browser: Form1 as the page's element of that id, with Text1,
// Command1 and Command2, made from the window's design by make_page. Text1 shows the result of
// the last check; Command1 asks for X and Y and writes where the point lies, Command2 ends the
// program. Enter in Text1 presses Command1, Escape presses Command2.

namespace web {

// Brings the page's Form1 to life once the program has loaded.
void ShowForm1();

}  // namespace web

// The commands, which the page calls as their buttons are pressed (ShowForm1 binds them).
extern "C" {
void Command1_Click();
void Command2_Click();
}
