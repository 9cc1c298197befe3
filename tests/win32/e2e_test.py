"""Drives the real quadrant.exe under Wine as a person would, with key presses through the X
server, and reads its windows back with the probe, a Windows program of its own.
With "short", only the layout, one check and the end, for a second build of the program.
Usage: e2e_test.py PROGRAM PROBE SCREENSHOT_DIR [short]"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import (  # noqa: E402
    check, check_soon, focus, keys, run, screenshot, type_text, wait_for)

PROGRAM, PROBE, SHOTS = sys.argv[1:4]
SHORT = sys.argv[4:] == ["short"]


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


def main():
    program = subprocess.Popen(["wine", PROGRAM])
    probe = Probe()

    def active(window):
        """Waits until Wine, too, has given `window` the keyboard: Wine moves the X focus some time
        after the window manager has made a window active, slowly where it runs emulated."""
        wait_for(f"{window} active in Wine", lambda: probe("active"), window, 15)
        # Wine makes the X window some time after the window: "0" until then, which is no window.
        focus(window, lambda: probe(f"x-window {window}"))

    def dialog(prompt):
        active("dialog")
        wait_for(f"the dialog asking '{prompt}'", lambda: probe("text dialog prompt"), prompt)

    def line_after(what, expected, heard=None):
        active("form")
        check_soon(what, lambda: probe("text form Text1"), expected)
        check(f"alerts heard after {what}", probe("heard"), expected if heard is None else heard)

    active("form")
    check("listening for alerts", probe("listen"), "ok")
    check("initial line", probe("text form Text1"), "Нажмите кнопку [Проверить координаты]")
    check("the window's layout", probe("layout form"), "ok")
    if SHORT:
        keys("Return")
        dialog("Введите X")
        keys("Return")
        dialog("Введите Y")
        keys("Return")
        line_after("a check", "X = 0; Y = 0; Положение - начало координат", heard="none")
        screenshot(SHOTS, "form1-after-check.png")
        keys("Escape")
        check("exit status after Escape", program.wait(timeout=15), 0)
        probe.close()
        return
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

    # Enter in Text1; the default text is selected, so typing replaces it. A long line is shown
    # from its start.
    keys("Return")
    dialog("Введите X")
    check("entry field", probe("text dialog entry"), "0")
    check("selection in the entry field", probe("selection dialog entry"), "0 1")
    check("focus in the dialog", probe("focus"), "entry")
    type_text("-123456789.123456")
    keys("Return")
    dialog("Введите Y")
    type_text("987654321.75")
    screenshot(SHOTS, "input-dialog.png")
    keys("Return")
    # Started from Text1, where the focus comes back and a screen reader reads the line there.
    line_after("a check", "X = -123456789,123456; Y = 987654321,75; Пложение: II четверть",
               heard="none")
    check("first character shown", probe("first-visible form Text1"), "0")
    check("selection after a check", probe("selection form Text1"), "0 0")
    screenshot(SHOTS, "form1-after-check.png")

    # The access key; Escape in a dialog cancels it alone, which reads as 0.
    keys("alt+Cyrillic_pe")
    dialog("Введите X")
    keys("Escape")
    dialog("Введите Y")
    type_text("5")
    keys("Return")
    line_after("the access key and a cancelled X", "X = 0; Y = 5; Положение - ось Y")

    # A paste longer than an edit control takes by default arrives whole; closing the dialog
    # cancels it. The close command is given as its close box and Alt+F4 give it: Alt+F4 itself
    # is Wine's to handle, and under emulation now and then it lost the key. The access key left
    # the focus on Command1, and it comes back there.
    keys("Return")
    dialog("Введите X")
    check("a long paste", probe("paste dialog entry spaces:99999:5"), "ok")
    keys("Return")
    dialog("Введите Y")
    type_text("7")
    check("the close command", probe("close dialog"), "ok")
    line_after("a long paste and a closed dialog", "X = 5; Y=0; Положение ось X")
    check("focus after a check from Command1", probe("focus"), "Command1")

    # An overflow is reported in a message box; the line stays and the program goes on.
    keys("Return")
    dialog("Введите X")
    probe("set-text dialog entry 1e999")
    keys("Return")
    active("alert")
    check("error report", probe("text alert message"), "Ошибка выполнения 6: Переполнение")
    keys("Return")
    line_after("the overflow report", "X = 5; Y=0; Положение ось X", heard="none")

    keys("Escape")
    try:
        status = program.wait(timeout=15)
    except subprocess.TimeoutExpired:
        program.kill()
        status = "still running"
    check("exit status after Escape", status, 0)

    # At twice the design's text size the window is twice as large. (Wine's other processes keep
    # their metrics until they start again, so a change while the program runs is not tried.)
    check("a larger text size", probe("text-size 18"), "ok")
    program = subprocess.Popen(["wine", PROGRAM])
    active("form")
    check("the layout at twice the text size", probe("layout form 2"), "ok")
    keys("Escape")
    program.wait(timeout=15)
    probe.close()



if __name__ == "__main__":
    sys.exit(run("end-to-end under Wine", SHOTS, main))
