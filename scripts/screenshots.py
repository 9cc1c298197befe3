"""Makes the documentation's pictures from the real programs, driven as a user drives them: the Qt
window with a result, its input dialog and its error report; the Windows window under Wine, in a
frame that Wine draws as Windows does; the page in Chromium at a desktop's width, and a phone's light
and dark; and the three windows side by side.
Runs on the X display and in the Wine session that screenshots.sh starts.
Usage: screenshots.py OUT_DIR QT_PROGRAM WINDOWS_PROGRAM SITE_DIR"""

import io
import os
import subprocess
import sys

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.keys import Keys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "tests", "e2e"), os.path.join(HERE, "..", "tests", "web")]
from desktop import focus, keys, screenshot, type_text, wait_for, xdotool  # noqa: E402
from site_server import SiteServer  # noqa: E402

OUT, QT, WINDOWS, SITE = sys.argv[1:5]
# The check that every picture shows, and one that overflows, for the error report.
X, Y, LINE = "2", "-5", "X = 2; Y = -5; Пложение: IV четверть"
# Wine's own desktop, one X window in which Wine, not the window manager, draws the windows' frames:
# their captions, system menus and caption buttons as their styles ask, as Windows does. Large
# enough for Form1 at the place it opens at and for the dialogs centred on the desktop.
WINE_DESKTOP = "quadrant"
WINE_DESKTOP_SIZE = "640x480"
# Fewer pixels than this differing between two pictures of a window are at most its blinking caret.
CARET_PIXELS = 100


def window(title, other_than=None):
    """The visible window titled `title`, once it has the keyboard."""
    def find():
        found = [w for w in xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()
                 if w != other_than]
        return found[-1] if found else None
    return focus(title, find)


def picture(window):
    """What the X window `window` shows, without any frame the window manager puts around it."""
    png = subprocess.run(["import", "-window", window, "png:-"], capture_output=True,
                         check=True).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def differing_pixels(one, other):
    if one.size != other.size:
        return one.width * one.height
    return sum(1 for a, b in zip(one.getdata(), other.getdata()) if a != b)


class WineDesktop:
    """The windows in Wine's desktop. Wine gives each there an X window of its own, a child of the
    desktop's, as large as the whole window with the frame that Wine draws: that X window's picture
    is the window's, cut to its rectangle. No window manager sees those X windows, though, and the X
    focus stays on the desktop's, whose keys Wine gives to its active window: that one Wine shows
    only by painting its caption in the theme's active title colour, which it does as it makes the
    window active and gives it the keyboard."""

    def __init__(self):
        colours = subprocess.run(["wine", "reg", "query", r"HKCU\Control Panel\Colors", "/v",
                                  "ActiveTitle"], capture_output=True, text=True, check=True)
        self.active_title = tuple(int(c) for c in colours.stdout.split("REG_SZ")[1].split())

    @staticmethod
    def command(program):
        return ["wine", "explorer", f"/desktop={WINE_DESKTOP},{WINE_DESKTOP_SIZE}", program]

    def drawn_active(self, window):
        """Whether more than a row's worth of the window's top 16 rows (the frame's edge and most of
        its caption) is in the active title colour, of which an inactive caption has none."""
        image = picture(window)
        top = image.crop((0, 0, image.width, min(16, image.height))).getdata()
        return sum(1 for pixel in top if pixel == self.active_title) > image.width

    def window(self, title, other_than=None):
        """The window titled `title` in Wine's desktop, once it has the keyboard."""
        focus("Wine's desktop", lambda: next(iter(xdotool(
            "search", "--onlyvisible", "--name", f"^{WINE_DESKTOP} - ").split()), None))

        def find():
            found = xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()
            return next((w for w in found if w != other_than and self.drawn_active(w)), None)
        return wait_for(f"{title} active in Wine's desktop", find, timeout=15)

    @staticmethod
    def screenshot(name, window):
        picture(window).save(os.path.join(OUT, name))


class WindowManager:
    """Windows that the window manager frames and gives the X focus to: Qt's."""

    @staticmethod
    def command(program):
        return [program]

    @staticmethod
    def window(title, other_than=None):
        return window(title, other_than)

    @staticmethod
    def screenshot(name, window):
        screenshot(OUT, name, window)


def desktop(windows, program, prefix, dialogs):
    """One check of X and Y in a desktop program; with `dialogs`, its input dialog and its error
    report too."""
    # Away from the windows, where no tooltip of theirs is shown.
    xdotool("mousemove", "0", "0")
    started = subprocess.Popen(windows.command(program))
    try:
        form = windows.window("Form1")
        before = picture(form)
        keys("Return")
        for answer, shot in ((X, dialogs and "input"), (Y, None)):
            dialog = windows.window("Ввод переменных")
            if shot:
                windows.screenshot(f"{prefix}-{shot}.png", dialog)
            type_text(answer)
            keys("Return")
        windows.window("Form1")
        # The program writes the line once the dialog has gone and Form1 has the keyboard again: the
        # picture waits for the line to be drawn.
        wait_for("the line drawn in Form1", lambda: differing_pixels(before, picture(form)),
                 done=lambda pixels: pixels and pixels > CARET_PIXELS)
        windows.screenshot(f"{prefix}-window.png", form)
        if dialogs:
            keys("Return")
            windows.window("Ввод переменных")
            type_text("1e999")
            keys("Return")
            alert = windows.window("Form1", other_than=form)
            windows.screenshot(f"{prefix}-error.png", alert)
            keys("Return")
            windows.window("Form1")
        keys("Escape")
        # Wine's desktop closes some seconds after its last window.
        started.wait(timeout=40)
    finally:
        started.kill()


def web():
    """The page after a check, as wide as a desktop's window, and as a phone light and dark, and in
    forced colours with a dialog open."""
    server = SiteServer(SITE)
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--lang=ru", "--accept-lang=ru", "--window-size=800,600"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        for width, name, theme in ((None, "desktop", "light"), (360, "phone", "light"),
                                   (360, "phone", "dark"), (None, "forced-colours", "dark")):
            driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
                {"name": "prefers-color-scheme", "value": theme},
                {"name": "forced-colors", "value": "active" if "forced" in name else "none"}]})
            driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": bool(width)})
            if width:
                driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": 640, "deviceScaleFactor": 1, "mobile": True})
            driver.get(server.url)
            wait_for("the page", lambda: driver.execute_script(
                "return !document.querySelector('#Form1 :disabled')"))
            for answer in ("", X, Y):
                webdriver.ActionChains(driver).send_keys(answer, Keys.ENTER).perform()
            wait_for("the line", lambda: driver.execute_script("return Text1.value"), LINE)
            # In forced colours, with the next question open over the form; else the form alone.
            shown = "Form1"
            if "forced" in name:
                webdriver.ActionChains(driver).send_keys(Keys.ENTER).perform()
                wait_for("the dialog", lambda: driver.execute_script("return InputDialog.open"))
                shown = "InputDialog"
            else:
                driver.execute_script("Text1.blur()")
            edge = driver.execute_script(
                f"const box = {shown}.getBoundingClientRect();"
                " const form = Form1.getBoundingClientRect();"
                " return [Math.max(box.right, form.right) + form.left,"
                " Math.max(box.bottom, form.bottom) + form.top]")
            page = Image.open(io.BytesIO(driver.get_screenshot_as_png()))
            page.crop((0, 0, *(round(e) for e in edge))).save(
                os.path.join(OUT, f"web-{name}-{theme}.png"))
    finally:
        driver.quit()
        server.stop()


def main():
    os.makedirs(OUT, exist_ok=True)
    desktop(WindowManager, QT, "linux", True)
    desktop(WineDesktop(), WINDOWS, "windows", False)
    web()
    side_by_side = [os.path.join(OUT, f"{name}.png")
                    for name in ("linux-window", "windows-window", "web-desktop-light")]
    subprocess.run(["convert", *side_by_side, "-background", "white", "-gravity", "center",
                    "-bordercolor", "white", "-border", "12", "+append",
                    os.path.join(OUT, "front-ends.png")], check=True)


if __name__ == "__main__":
    main()
