"""Drives the real quadrant.exe under Wine as a person would, with key presses through the X
server, and reads its windows back with the probe, a Windows program of its own: the story of
story.py, and what is the Windows program's own.
Usage: e2e_test.py PROGRAM PROBE SCREENSHOT_DIR"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import (  # noqa: E402
    Keyboard, check, check_soon, exit_status, focus, keys, run, screenshot, wait_for)
from story import STORY, tell  # noqa: E402

PROGRAM, PROBE, SHOTS = sys.argv[1:4]


class Probe:
    def __init__(self):
        self.process = subprocess.Popen(["wine", PROBE], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, encoding="utf-8")

    def __call__(self, *words):
        self.process.stdin.write(" ".join(words) + "\n")
        self.process.stdin.flush()
        return self.process.stdout.readline().rstrip("\r\n")

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=10)


class Driver(Keyboard):
    """The story's steps (story.py) on the program, read back by the probe."""

    def __init__(self, program, probe):
        self.program, self.probe = program, probe

    def active(self, window):
        """Waits until Wine, too, has given `window` the keyboard: Wine moves the X focus some time
        after the window manager has made a window active, slowly where it runs emulated."""
        wait_for(f"{window} active in Wine", lambda: self.probe("active"), window, 15)
        # Wine makes the X window some time after the window: "0" until then, which is no window.
        focus(window, lambda: self.probe(f"x-window {window}"))

    def ask(self, coordinate):
        self.active("dialog")
        wait_for(f"the dialog asking for {coordinate}", lambda: self.probe("text dialog prompt"),
                 f"Введите {coordinate}")

    def reply(self, typed, key):
        # A letter that the keyboard's layout lacks xdotool maps to a spare key just before it
        # presses it, which Wine may read with the old map: the probe writes such a text.
        if typed and not typed.lstrip("-").replace(".", "").isdigit():
            self.probe(f"set-text dialog entry {typed}")
            typed = None
        # The close command, as the dialog's close box and Alt+F4 give it: Alt+F4 itself is Wine's
        # to handle, and under emulation now and then it lost the key.
        super().reply(typed, None if key == "close" else key)
        if key == "close":
            check("the close command", self.probe("close dialog"), "ok")

    def follows(self, what, kind, expected):
        """A new line is announced where the focus is not in Text1, where a screen reader reads it
        as the focus comes back; a line kept is not."""
        if kind == "end":
            check(f"exit status after {what}", exit_status(self.program), 0)
            return
        self.active("alert" if kind == "report" else "form")
        read = "text alert message" if kind == "report" else "text form Text1"
        check_soon(what, lambda: self.probe(read), expected)
        if kind != "report":
            heard = expected if kind == "line" and self.probe("focus") != "Text1" else "none"
            check(f"alerts heard after {what}", self.probe("heard"), heard)


def main():
    program = subprocess.Popen(["wine", PROGRAM])
    probe = Probe()
    driver = Driver(program, probe)
    driver.active("form")
    check("listening for alerts", probe("listen"), "ok")
    check("initial line", probe("text form Text1"), "Нажмите кнопку [Проверить координаты]")
    check("the window's layout", probe("layout form"), "ok")
    check("focus at start", probe("focus"), "Text1")
    check("default button at start", probe("default form"), "Command1")
    check("what a screen reader calls Command1", probe("name form Command1"),
          "Проверить координаты")
    # Tab order, and the default frame on the focused button, back on Command1 in Text1.
    for control, default in [("Command1", "Command1"), ("Command2", "Command2"),
                             ("Text1", "Command1")]:
        keys("Tab")
        wait_for(f"the focus on {control}", lambda: probe("focus"), control, 5)
        # The dialog manager moves the default frame just after the focus.
        check_soon(f"default button with the focus on {control}", lambda: probe("default form"),
                   default)

    def entry_at_first():
        """The default text is selected, so typing replaces it."""
        check("entry field", probe("text dialog entry"), "0")
        check("selection in the entry field", probe("selection dialog entry"), "0 1")
        check("focus in the dialog", probe("focus"), "entry")

    def line_from_start():
        check("first character shown", probe("first-visible form Text1"), "0")
        check("selection after a check", probe("selection form Text1"), "0 0")
        screenshot(SHOTS, "form1-after-check.png")

    # A long line is shown from its start. A paste longer than an edit control takes by default
    # arrives whole; closing the dialog cancels it; the focus comes back to Command1, where the
    # access key left it.
    long_line, paste = "a line longer than the box", "a long paste and a closed dialog"
    tell(driver, [(long_line, ["Return"], [("X", "-123456789.123456", "Return"),
                                           ("Y", "987654321.75", "Return")],
                   ("line", "X = -123456789,123456; Y = 987654321,75; Пложение: II четверть"))] +
         STORY[:2] + [(paste, ["Return"], [("X", None, "Return"), ("Y", "7", "close")],
                       ("line", "X = 5; Y=0; Положение ось X"))] + STORY[2:],
         {(long_line, "X"): entry_at_first,
          (long_line, "Y"): lambda: screenshot(SHOTS, "input-dialog.png"),
          (long_line, None): line_from_start,
          (paste, "X"): lambda: check("a long paste", probe("paste dialog entry spaces:99999:5"),
                                      "ok"),
          (paste, None): lambda: check("focus after a check from Command1", probe("focus"),
                                       "Command1")})

    # At twice the design's text size the window is twice as large. (Wine's other processes keep
    # their metrics until they start again, so a change while the program runs is not tried.)
    check("a larger text size", probe("text-size 18"), "ok")
    driver.program = subprocess.Popen(["wine", PROGRAM])
    driver.active("form")
    check("the layout at twice the text size", probe("layout form 2"), "ok")
    keys("Escape")
    driver.program.wait(timeout=15)
    probe.close()


if __name__ == "__main__":
    sys.exit(run("end-to-end under Wine", SHOTS, main))
