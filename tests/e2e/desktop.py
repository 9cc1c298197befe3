"""What both end-to-end tests do on their X display: wait, press keys, look, and keep score."""

import os
import subprocess
import time

FAILURES = []


def wait_for(what, read, expected=None, timeout=10.0):
    """Waits until read() gives `expected`, or anything true where none is expected, and returns
    it; fails telling what it gave last. A read that raises counts as nothing yet: trees of
    windows change under our feet."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = read()
        except Exception:  # pylint: disable=broad-except
            value = None
        if (value == expected if expected is not None else value) or time.monotonic() > deadline:
            break
        time.sleep(0.05)
    if not (value == expected if expected is not None else value):
        raise AssertionError(f"timed out waiting for {what}: last {value!r}")
    return value


def check(what, actual, expected):
    if actual != expected:
        FAILURES.append(f"{what}: got {actual!r}, expected {expected!r}")


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


def active_window():
    """The X window that has the keyboard, as the window manager says, or ''."""
    result = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True)
    return result.stdout.strip()


def focused_window():
    """The X window that has the input focus, which a program may move there only some time after
    the window manager has made its window the active one, or ''."""
    result = subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True)
    return result.stdout.strip()


def window_name(window):
    result = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True)
    return result.stdout.strip()


def active_title():
    window = active_window()
    return window_name(window) if window else ""


def screenshot(folder, name, window=None):
    """A window with its frame, as the user sees it: the active one unless another is named."""
    subprocess.run(["import", "-frame", "-window", window or active_window(),
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
