"""Drives the real program as a person would: key presses through the X server, and what a
screen reader reads back over AT-SPI. Usage: e2e_test.py PROGRAM SCREENSHOT_DIR"""

import os
import subprocess
import sys
import time

import pyatspi

PROGRAM, SHOTS = sys.argv[1], sys.argv[2]
TITLE = "Ввод переменных"
FAILURES = []


def wait_for(what, condition, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            value = condition()
        except Exception:  # the accessibility tree changes under our feet
            value = None
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def check(what, actual, expected):
    if actual != expected:
        FAILURES.append(f"{what}: got {actual!r}, expected {expected!r}")


def keys(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", "--", text], check=True)


def screenshot(name):
    """The active window with its frame, as the user sees it."""
    window = subprocess.run(["xdotool", "getactivewindow"], check=True, capture_output=True,
                            text=True).stdout.strip()
    subprocess.run(["import", "-frame", "-window", window, os.path.join(SHOTS, name)], check=True)


class Program:
    """The running program and its accessible tree."""

    def __init__(self, env_extra=None):
        env = dict(os.environ, **(env_extra or {}))
        self.process = subprocess.Popen([PROGRAM], env=env)
        self.app = wait_for("the program on the accessibility bus", self._find_app)
        self.form = wait_for("Form1", lambda: self._frame("Form1"))
        self.text1 = self.find(self.form, pyatspi.ROLE_TEXT)
        wait_for("Form1 to be active", lambda: self._active_title() == "Form1")

    def _find_app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def _frame(self, name):
        for child in self.app:
            if child is not None and child.name == name:
                return child
        return None

    @staticmethod
    def _active_title():
        result = subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                                capture_output=True, text=True)
        return result.stdout.strip()

    @staticmethod
    def find(root, role, name=None):
        found = pyatspi.findDescendant(
            root, lambda a: a.getRole() == role and (name is None or a.name == name))
        if found is None:
            raise AssertionError(f"no {pyatspi.Role(role)} named {name!r}")
        return found

    def line(self):
        text = self.text1.queryText()
        return text.getText(0, text.characterCount)

    def wait_for_dialog(self):
        wait_for(f"an active '{TITLE}' dialog", lambda: self._active_title() == TITLE)

    def answer(self, typed=None, key="Return"):
        """Waits for the next dialog to have the keyboard, then answers it."""
        self.wait_for_dialog()
        if typed is not None:
            type_text(typed)
        keys(key)

    def check_line(self, what, expected):
        try:
            wait_for(f"Form1 active after {what}", lambda: self._active_title() == "Form1")
            wait_for(f"the line after {what}", lambda: self.line() == expected, timeout=5)
        except AssertionError:
            pass
        check(what, self.line(), expected)

    def exit_status(self):
        try:
            return self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return "still running"


def main():
    os.makedirs(SHOTS, exist_ok=True)
    # A Russian user: the result line writes a comma, while only the period is read.
    program = Program({"LANG": "ru_RU.UTF-8", "LC_ALL": "ru_RU.UTF-8"})
    find = Program.find

    check("name of Text1", program.text1.name, "Расположение точки")
    check("description of Text1", program.text1.description, "Расположение точки")
    check("initial line", program.line(), "Нажмите кнопку [Проверить координаты]")
    command1 = find(program.form, pyatspi.ROLE_PUSH_BUTTON, "Проверить координаты")
    check("description of Command1", command1.description, "Ввести и проверить координаты")
    command2 = find(program.form, pyatspi.ROLE_PUSH_BUTTON, "Выход")
    check("description of Command2", command2.description, "Выход")

    # Enter in Text1 presses the default button; typing replaces the selected default "0".
    keys("Return")
    program.answer("2.5")
    program.wait_for_dialog()
    screenshot("input-dialog.png")
    program.answer("-0.25")
    program.check_line("2.5 and -0.25", "X = 2,5; Y = -0,25; Пложение: IV четверть")
    screenshot("form1-after-check.png")

    # The access key; a cancelled dialog reads as 0.
    keys("alt+Cyrillic_pe")
    program.answer(key="Escape")
    program.answer("5")
    program.check_line("a cancelled X and 5", "X = 0; Y = 5; Положение - ось Y")

    # An overflow is reported; the window keeps its line and goes on.
    keys("Return")
    program.answer("1e999")
    alert = wait_for("the error report", lambda: find(program.app, pyatspi.ROLE_ALERT))
    report = find(alert, pyatspi.ROLE_LABEL, "Ошибка выполнения 6: Переполнение")
    check("error report", report.name, "Ошибка выполнения 6: Переполнение")
    keys("Return")
    program.check_line("the overflow report", "X = 0; Y = 5; Положение - ось Y")

    keys("Escape")
    check("exit status after Escape", program.exit_status(), 0)

    # Closing the window through the window manager's frame ends the program too.
    program = Program()
    keys("alt+F4")
    check("exit status after closing the window", program.exit_status(), 0)

    for failure in FAILURES:
        print("FAIL:", failure)
    print(f"end-to-end: {'failed' if FAILURES else 'passed'}; screenshots in {SHOTS}")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
