"""What the end-to-end tests do on their X display: wait, press keys, look, and keep score.
As a program, presses a key in a window once it has the keyboard: desktop.py WINDOW KEY"""

import os
import subprocess
import sys
import time

FAILURES = []


def wait_for(what, read, expected=None, timeout=10.0, done=None):
    """Waits until read() gives `expected`, or anything true where none is expected, or anything
    done() takes, and returns it; fails telling what it gave last. A read that raises counts as
    nothing yet: trees of windows change under our feet."""
    done = done or (lambda value: value == expected if expected is not None else value)
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = read()
        except Exception:  # pylint: disable=broad-except
            value = None
        if done(value):
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}: last {value!r}")
        time.sleep(0.05)


def check(what, actual, expected):
    if actual != expected:
        FAILURES.append(f"{what}: got {actual!r}, expected {expected!r}")
    return actual == expected


def check_soon(what, read, expected, timeout=5.0):
    """Checks what read() gives once it gives `expected` or the time is up."""
    try:
        wait_for(what, read, expected, timeout)
    except AssertionError:
        pass
    check(what, read(), expected)


def keys(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "30", "--", text], check=True)


def xdotool(*command):
    """What xdotool prints for a command, or '' where it fails."""
    return subprocess.run(["xdotool", *command], capture_output=True, text=True).stdout.strip()


def focus(what, find, timeout=15.0, ask=False):
    """Waits until the X window find() names is mapped, the window manager's active window and
    has the X input focus, and returns it: a key pressed before goes to the window that had the
    keyboard, or is lost. With `ask`, asks the window manager to activate it, which it now and
    then does not do for a window just mapped."""
    def state():
        window, active = find(), xdotool("getactivewindow")
        if ask and window and active != window:
            xdotool("windowactivate", window)
        xwininfo = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True)
        return window, "IsViewable" in xwininfo.stdout, active, xdotool("getwindowfocus")
    return wait_for(f"{what} to have the keyboard (window, mapped, active, focus)", state,
                    timeout=timeout, done=lambda s: s and s[1] and s[0] == s[2] == s[3])[0]


def exit_status(process, timeout=15):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        return "still running"


class Keyboard:
    """The story's keys (tests/e2e/story.py), through the X server: the access key is Alt+П."""

    def press(self, key):
        keys("alt+Cyrillic_pe" if key == "access" else key)

    def reply(self, typed, key):
        if typed is not None:
            type_text(typed)
        if key is not None:
            keys(key)


def screenshot(folder, name, window=None):
    """A window with its frame, as the user sees it: the active one unless another is named."""
    subprocess.run(["import", "-frame", "-window", window or xdotool("getactivewindow"),
                    os.path.join(folder, name)], check=True)


def report(name, folder):
    """Prints the failures and returns the exit status."""
    for failure in FAILURES:
        print("FAIL:", failure)
    print(f"{name}: {'failed' if FAILURES else 'passed'}; screenshots in {folder}")
    return 1 if FAILURES else 0


def run(name, folder, main):
    """Runs main(); where it loses its way, saves what the screen showed."""
    os.makedirs(folder, exist_ok=True)
    try:
        main()
    except AssertionError:
        subprocess.run(["import", "-window", "root", os.path.join(folder, "failure.png")])
        raise
    return report(name, folder)


if __name__ == "__main__":
    try:
        focus(f"window {sys.argv[1]}", lambda: sys.argv[1], ask=True)
    except AssertionError as error:
        sys.exit(str(error))
    keys(sys.argv[2])
