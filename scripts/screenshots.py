"""Makes the documentation's pictures from the real programs, driven as a user drives them: the Qt
window with a result, its input dialog and its error report; the Windows window under Wine; the page
in Chromium at a desktop's width and a phone's, light and dark; and the three windows side by side.
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


def window(title, other_than=None):
    """The visible window titled `title`, once it has the keyboard."""
    def find():
        found = [w for w in xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()
                 if w != other_than]
        return found[-1] if found else None
    return focus(title, find)


def desktop(command, prefix, dialogs):
    """One check of X and Y in a desktop program; with `dialogs`, its input dialog and its error
    report too."""
    program = subprocess.Popen(command)
    try:
        form = window("Form1")
        keys("Return")
        for answer, shot in ((X, dialogs and "input"), (Y, None)):
            window("Ввод переменных")
            if shot:
                screenshot(OUT, f"{prefix}-{shot}.png")
            type_text(answer)
            keys("Return")
        window("Form1")
        screenshot(OUT, f"{prefix}-window.png", form)
        if dialogs:
            keys("Return")
            window("Ввод переменных")
            type_text("1e999")
            keys("Return")
            window("Form1", other_than=form)
            screenshot(OUT, f"{prefix}-error.png")
            keys("Return")
            window("Form1")
        keys("Escape")
        program.wait(timeout=20)
    finally:
        program.kill()


def web():
    """The page after a check, as wide as a desktop's window and as a phone, light and dark, and in
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
        for width, name, theme in ((None, "desktop", "light"), (None, "desktop", "dark"),
                                   (360, "phone", "light"), (360, "phone", "dark"),
                                   (None, "forced-colours", "dark")):
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
    desktop([QT], "linux", True)
    desktop(["wine", WINDOWS], "windows", False)
    web()
    side_by_side = [os.path.join(OUT, f"{name}.png")
                    for name in ("linux-window", "windows-window", "web-desktop-light")]
    subprocess.run(["convert", *side_by_side, "-background", "white", "-gravity", "center",
                    "-bordercolor", "white", "-border", "12", "+append",
                    os.path.join(OUT, "front-ends.png")], check=True)


if __name__ == "__main__":
    main()
