"""Drives the real program as a person would: key presses through the X server, and what a
screen reader reads back over AT-SPI; the story of story.py, and what is the Qt program's own.
Usage: e2e_test.py PROGRAM DESKTOP_ENTRY SCREENSHOT_DIR"""

import configparser
import os
import subprocess
import sys

import pyatspi

from desktop import (Keyboard, check, check_soon, exit_status, focus, keys, run, screenshot,
                     wait_for, xdotool)
from story import STORY, tell

PROGRAM, DESKTOP_ENTRY, SHOTS = sys.argv[1:4]
ICONS = os.path.join(os.path.dirname(__file__), "..", "..", "app", "icons")
TITLE = "Ввод переменных"


class Program(Keyboard):
    """The running program and its accessible tree."""

    def __init__(self, env_extra=None):
        env = dict(os.environ, **(env_extra or {}))
        # The Qt 5 program now and then never joins an accessibility bus starting beside it.
        wait_for("the accessibility bus", lambda: pyatspi.Registry.getDesktop(0).childCount >= 0)
        self.process = subprocess.Popen([PROGRAM], env=env)
        self.met = set()
        self.app = wait_for("the program on the accessibility bus", self._find_app)
        self.form = wait_for("Form1", lambda: self._frame("Form1"))
        self.text1 = self.find(self.form, pyatspi.ROLE_TEXT)
        self.window = self.new_window("Form1")

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
    def find(root, role, name=None):
        found = pyatspi.findDescendant(
            root, lambda a: a.getRole() == role and (name is None or a.name == name))
        if found is None:
            raise AssertionError(f"no {pyatspi.Role(role)} named {name!r}")
        return found

    def line(self):
        text = self.text1.queryText()
        return text.getText(0, text.characterCount)

    def new_window(self, title):
        """Waits for a window of the program titled `title` and not met before to have the
        keyboard. Titles are shared: the two input dialogs', and the alert's with Form1's."""
        def find():
            found = visible_windows(self.process.pid, "--name", f"^{title}$")
            new = [window for window in found if window not in self.met]
            return new[0] if len(new) == 1 else None
        window = focus(f"a new window '{title}'", find)
        self.met.add(window)
        return window

    # The story's steps (story.py).
    def ask(self, coordinate):
        self.new_window(TITLE)

    def follows(self, what, kind, expected):
        if kind == "report":
            alert = wait_for("the error report", lambda: self.find(self.app, pyatspi.ROLE_ALERT))
            check(what, self.find(alert, pyatspi.ROLE_LABEL, expected).name, expected)
            self.new_window("Form1")
        elif kind == "end":
            check(f"exit status after {what}", exit_status(self.process, 10), 0)
        else:
            focus(f"Form1 after {what}", lambda: self.window)
            check_soon(what, self.line, expected)


def visible_windows(pid, *criteria):
    return xdotool("search", "--onlyvisible", "--pid", str(pid), *criteria).split()


def window_property(name, form="32c"):
    """A property of the active window as xprop writes its values, after the "="."""
    result = subprocess.run(["xprop", "-id", xdotool("getactivewindow"), "-notype", "-f", name,
                             form, name], check=True, capture_output=True, text=True).stdout
    return result.split("=", 1)[1].strip()


def window_class():
    """The class of the active window (WM_CLASS), by which X11 docks find its desktop entry."""
    return window_property("WM_CLASS", "8s").split(", ")[-1].strip('"')


def window_icons():
    """The images of the active window's icon (_NET_WM_ICON) by size, as ARGB pixels."""
    values = [int(v) for v in window_property("_NET_WM_ICON").split(",")]
    icons = {}
    while values:
        width, height = values[:2]
        icons[(width, height)] = values[2:2 + width * height]
        del values[:2 + width * height]
    return icons


def artwork_pixels(png):
    """A PNG of the project's artwork as ARGB pixels."""
    rgba = subprocess.run(["convert", png, "-depth", "8", "RGBA:-"], check=True,
                          capture_output=True).stdout
    return [int.from_bytes(rgba[i + 3:i + 4] + rgba[i:i + 3], "big")
            for i in range(0, len(rgba), 4)]


def premultiplied(argb):
    """The channels as a window system blends them: a transparent pixel has no colour, and Qt
    keeps a faint one only to the precision of its alpha."""
    alpha = argb >> 24
    return [alpha] + [((argb >> shift & 255) * alpha + 127) // 255 for shift in (16, 8, 0)]


def icon_differs(shown, drawn):
    """Where a shown icon strays from the artwork by more than rounding, or ''."""
    if len(shown) != len(drawn):
        return f"{len(shown)} pixels instead of {len(drawn)}"
    for i, (a, b) in enumerate(zip(shown, drawn)):
        if any(abs(x - y) > 1 for x, y in zip(premultiplied(a), premultiplied(b))):
            return f"pixel {i} is {a:08x} instead of {b:08x}"
    return ""


def main():
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
    entry = configparser.ConfigParser(interpolation=None)
    entry.read(DESKTOP_ENTRY, encoding="utf-8")
    check("window class against the desktop entry", window_class(),
          entry["Desktop Entry"]["StartupWMClass"])
    icons = window_icons()
    check("sizes of the window's icon", sorted(icons), [(16, 16), (32, 32)])
    for size in (16, 32):
        check(f"the {size} px icon against the artwork", icon_differs(
            icons.get((size, size), []), artwork_pixels(f"{ICONS}/quadrant-{size}.png")), "")
    check("caret in Text1 at start", program.text1.queryText().caretOffset, 0)

    def context_menu():
        """Text1's context menu, in Russian: the screen reader does not see Qt's popup menus, so
        it is left to a reviewer's eye."""
        screenshot(SHOTS, "form1-after-check.png")
        box = program.text1.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "3"], check=True)
        wait_for("the context menu", lambda: len(visible_windows(program.process.pid)) > 1)
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "context-menu.png")],
                       check=True)
        keys("Escape")
        wait_for("the context menu to close",
                 lambda: len(visible_windows(program.process.pid)) == 1)

    # Enter in Text1 presses the default button; typing replaces the selected default "0". A line
    # longer than the box shows its start.
    long_line = "a line longer than the box"
    tell(program, [(long_line, ["Return"], [("X", "-123456789.25", "Return"),
                                            ("Y", "987654321.75", "Return")],
                    ("line", "X = -123456789,25; Y = 987654321,75; Пложение: II четверть"))] + STORY,
         {(long_line, "Y"): lambda: screenshot(SHOTS, "input-dialog.png"),
          (long_line, None): context_menu})

    # Closing the window through the window manager's frame ends the program too.
    program = Program()
    keys("alt+F4")
    check("exit status after closing the window", exit_status(program.process, 10), 0)


if __name__ == "__main__":
    sys.exit(run("end-to-end", SHOTS, main))
