"""Drives the built site in headless Chromium as a person would: key presses, and what the page and
its accessibility tree show. Served on the loopback by a server that the test stops to check the
program offline. Usage: e2e_test.py SITE_DIR SCREENSHOT_DIR"""

import functools
import http.server
import os
import sys
import threading

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

SITE, SHOTS = sys.argv[1:3]
FAILURES = []


def check(what, actual, expected):
    if actual != expected:
        FAILURES.append(f"{what}: got {actual!r}, expected {expected!r}")


class Server(http.server.ThreadingHTTPServer):
    """The site on a free port of the loopback, until stop()."""

    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    def __init__(self):
        super().__init__(("127.0.0.1", 0), functools.partial(self.Handler, directory=SITE))
        self.url = f"http://127.0.0.1:{self.server_port}/"
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def stop(self):
        self.shutdown()
        self.server_close()


class Browser:
    """One headless Chromium whose users ask pages for `language`."""

    def __init__(self, language):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update",
                         "--disable-sync", "--window-size=800,600", f"--lang={language}",
                         f"--accept-lang={language}"):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    def js(self, script, *args):
        return self.driver.execute_script("return " + script, *args)

    def wait(self, what, script, timeout=10):
        try:
            WebDriverWait(self.driver, timeout).until(lambda _: self.js(script))
        except TimeoutException:
            raise AssertionError(f"timed out waiting for {what}") from None

    def open(self, url):
        self.driver.get(url)
        self.wait("the program to be ready", "!document.querySelector('#Form1 button:disabled')")

    def keys(self, *keys):
        ActionChains(self.driver).send_keys(*keys).perform()

    def ask(self, coordinate):
        """Waits for the input dialog to ask for `coordinate` afresh."""
        self.wait(f"the input dialog for {coordinate}", (
            "document.getElementById('InputDialog').open &&"
            f" document.querySelector('#InputDialog label').textContent == 'Введите {coordinate}'"
            " && document.getElementById('InputText').value == '0'"))

    def answer(self, coordinate, typed="", key=Keys.ENTER):
        self.ask(coordinate)
        self.keys(*([typed] if typed else []), key)

    def line(self, what, expected):
        self.wait(f"Form1 after {what}", "!document.querySelector('dialog[open]')")
        check(what, self.js("document.getElementById('Text1').value"), expected)

    def element(self, id_):
        return self.driver.find_element(By.ID, id_)

    def quit(self):
        """Ends the session, telling what the console had to say: an error, a warning, or a
        violation of the page's security policy, which the browser reports there."""
        for entry in self.driver.get_log("browser"):
            if entry["level"] in ("SEVERE", "WARNING"):
                FAILURES.append(f"console: {entry['message']}")
        self.driver.quit()


def main():
    os.makedirs(SHOTS, exist_ok=True)
    server = Server()
    browser = Browser("ru")
    browser.open(server.url)
    check("focus and caret at start", browser.js(
        "[document.activeElement.id, document.activeElement.selectionEnd]"), ["Text1", 0])
    check("names and tooltips", [(browser.element(id_).accessible_name, browser.element(
        id_).get_attribute("title")) for id_ in ("Text1", "Command1", "Command2")], [
        ("Расположение точки", "Расположение точки"),
        ("Проверить координаты", "Ввести и проверить координаты"), ("Выход", "Выход")])

    # Enter in Text1 opens the dialog and leaves it open; typing replaces the selected "0".
    browser.keys(Keys.ENTER)
    browser.answer("X", "-2.5")
    browser.ask("Y")
    check("the dialog's name", browser.element("InputDialog").accessible_name, "Ввод переменных")
    browser.driver.save_screenshot(os.path.join(SHOTS, "input-dialog.png"))
    browser.answer("Y", "7")
    browser.line("a check", "X = -2,5; Y = 7; Пложение: II четверть")
    browser.driver.save_screenshot(os.path.join(SHOTS, "form1-after-check.png"))

    # The access key; a cancelled dialog reads as 0.
    ActionChains(browser.driver).key_down(Keys.ALT).send_keys("п").key_up(Keys.ALT).perform()
    browser.answer("X", key=Keys.ESCAPE)
    browser.answer("Y", "5")
    browser.line("a cancelled X and 5", "X = 0; Y = 5; Положение - ось Y")

    # An overflow is reported; the line stays and the program goes on.
    browser.keys(Keys.ENTER)
    browser.answer("X", "1e999")
    browser.wait("the error report", "document.getElementById('ErrorReport').open")
    report = browser.element("ErrorReport")
    check("the report", [report.aria_role, report.accessible_name, report.text],
          ["alertdialog", "Form1", "Form1\nОшибка выполнения 6: Переполнение\nOK"])
    browser.keys(Keys.ENTER)
    browser.line("the overflow report", "X = 0; Y = 5; Положение - ось Y")

    # A million characters arrive whole: the 7 at their end is read.
    browser.element("Command1").click()
    browser.ask("X")
    browser.driver.execute_cdp_cmd("Input.insertText", {"text": "-" + " " * 999_998 + "7"})
    browser.keys(Keys.ENTER)
    browser.answer("Y")
    browser.line("a long X", "X = -7; Y=0; Положение ось X")

    browser.element("Text1").click()
    order = []
    for _ in range(2):
        browser.keys(Keys.TAB)
        order.append(browser.js("document.activeElement.id"))
    check("tab order from Text1", order, ["Command1", "Command2"])

    # Offline: the service worker serves the whole program.
    browser.wait("the service worker", "navigator.serviceWorker.controller !== null")
    server.stop()
    browser.open(browser.driver.current_url)
    browser.keys(Keys.ENTER)
    browser.answer("X", "3")
    browser.answer("Y")
    browser.line("a check offline", "X = 3; Y=0; Положение ось X")

    # Escape ends the program: the tab that has shown more than this page stays, and says so.
    browser.driver.get(browser.driver.current_url + "#again")
    browser.keys(Keys.ESCAPE)
    check("after Escape", browser.js(
        "[!!document.getElementById('Form1'), document.getElementById('Ended').hidden]"),
        [False, False])
    # On a phone, in a dark theme.
    browser.driver.set_window_size(360, 640)
    browser.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
        {"name": "prefers-color-scheme", "value": "dark"}]})
    browser.element("Ended").find_element(By.TAG_NAME, "a").click()
    browser.wait("the program again", "!document.querySelector('#Form1 button:disabled')")
    check("width on a phone", browser.js("document.documentElement.scrollWidth <= innerWidth"), True)
    browser.driver.save_screenshot(os.path.join(SHOTS, "phone-dark.png"))
    browser.quit()

    # An English reader sees the period; Command2 closes a window opened for the program.
    server = Server()
    browser = Browser("en-US")
    browser.js("window.open(arguments[0])", server.url)
    browser.driver.switch_to.window(browser.driver.window_handles[-1])
    browser.open(server.url)
    browser.keys(Keys.ENTER)
    browser.answer("X", "0.5")
    browser.answer("Y", "0.25")
    browser.line("a check in English", "X = 0.5; Y = 0.25; Пложение: I четверть")
    browser.element("Command2").click()
    WebDriverWait(browser.driver, 10).until(lambda d: len(d.window_handles) == 1)
    browser.driver.switch_to.window(browser.driver.window_handles[0])
    browser.quit()
    server.stop()


if __name__ == "__main__":
    try:
        main()
    except AssertionError as error:
        FAILURES.append(str(error))
    for failure in FAILURES:
        print("FAIL:", failure)
    print(f"web end-to-end: {'failed' if FAILURES else 'passed'}; screenshots in {SHOTS}")
    sys.exit(1 if FAILURES else 0)
