"""Drives the built site in one browser engine as a person would: key presses, and what the page and
its accessibility tree show. Served on the loopback (site_server.py): the test stops the server to
check the program offline, and has another withhold the program's code. The one-file page the same,
opened from a folder, and served as a plain file.

One scenario for the three engines, over a small Browser interface: Chromium and WebKitGTK through
Selenium and Debian's WebDriver servers; Firefox over WebDriver BiDi, which Firefox speaks itself
(Debian has no geckodriver, and npm's downloads one). A small BiDi client here keeps the one
scenario in one language rather than a second copy of it for node.

Usage: e2e_test.py chromium|webkit|firefox SITE_DIR ONE_FILE_PAGE SCREENSHOT_DIR"""

import asyncio
import atexit
import base64
import glob
import io
import itertools
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import traceback

import websockets
from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from site_server import SiteServer

ENGINE, SITE, ONE_FILE, SHOTS = sys.argv[1:5]
AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules/axe-core/axe.min.js")
FAILURES = []


def check(what, actual, expected):
    if actual != expected:
        FAILURES.append(f"{what}: got {actual!r}, expected {expected!r}")
    return actual == expected


def contrast(*colours):
    """WCAG 2's contrast of two colours, each (r, g, b) from 0 to 255."""
    def luminance(rgb):
        linear = [v / 255 / 12.92 if v <= 10 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in rgb]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    light, dark = sorted(map(luminance, colours), reverse=True)
    return (light + 0.05) / (dark + 0.05)


# Contrast of each element's text on the first opaque background at or above it (WCAG 2).
CONTRAST = """(() => {
  const context = document.createElement('canvas').getContext('2d');
  const rgba = (colour) => {
    context.fillStyle = '#000';
    context.fillStyle = colour;
    const [r, g, b, a = 1] = context.fillStyle.startsWith('#')
        ? context.fillStyle.match(/\\w\\w/g).map((hex) => parseInt(hex, 16))
        : context.fillStyle.match(/[\\d.]+/g).map(Number);
    return [r, g, b, a];
  };
  const luminance = (rgb) => rgb.slice(0, 3).map((v) => v / 255)
      .map((v) => v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4)
      .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0);
  return [...document.querySelectorAll(arguments[0])].map((element) => {
    let background = [255, 255, 255, 0];
    for (let at = element; at && background[3] < 1; at = at.parentElement) {
      background = rgba(getComputedStyle(at).backgroundColor);
    }
    const text = rgba(getComputedStyle(element).color);
    const shown = [0, 1, 2].map((i) => text[i] * text[3] + background[i] * (1 - text[3]));
    const [light, dark] = [luminance(shown), luminance(background)].sort((a, b) => b - a);
    return [element.id || element.tagName + ' in ' + element.closest('[id]').id,
            Math.round((light + 0.05) / (dark + 0.05) * 100) / 100];
  });
})()"""
ASKING = ("[document.querySelector('#InputDialog label').textContent, InputText.value,"
          " document.querySelectorAll('dialog[open]').length, !!document.getElementById('Form1')]")
READABLE = ("#Text1, #Command1, #Command2, #InputDialog label, #InputText, #InputDialog button,"
            " #ErrorReport p, #ErrorReport button")


class Browser:
    """What the scenario asks of an engine. Each backend supplies js (the value of an expression,
    run in the page with `arguments`), execute (statements), promise (the value that a promise
    resolves to), get, keys, access_key (a key with the engine's modifiers for access keys), shot,
    accessible_name, resize, windows, switch, errors (what the console reported since last asked)
    and close."""

    can_narrow = True  # the viewport can be made as narrow as a phone's
    can_type_cyrillic = True  # the driver can press П, the access key
    # What the console may say, being expected: Chromium's note where the program, ready before
    # the page's first frame (from a file), focused Text1 before the page's autofocus could.
    refusal = re.compile("Autofocus processing was blocked")

    def wait(self, what, script, timeout=10):
        deadline = time.monotonic() + timeout
        while not self.js(script):
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out waiting for {what}")
            time.sleep(0.05)

    def open(self, url=None):
        if url:
            self.get(url)
        self.wait("the program to be ready",
                  "!!document.getElementById('Form1') &&"
                  " !document.querySelector('#Form1 :disabled')")

    def ask(self, coordinate):
        """Waits for the input dialog to ask for `coordinate` afresh."""
        self.wait(f"the input dialog for {coordinate}", (
            "document.getElementById('InputDialog').open &&"
            f" document.querySelector('#InputDialog label').textContent == 'Введите {coordinate}'"
            " && document.getElementById('InputText').value == '0'"))

    def answer(self, coordinate, typed="", key=Keys.ENTER):
        self.ask(coordinate)
        self.keys(*([typed] if typed else []), key)

    def line(self, what, expected, new=True):
        """The line in Text1, wholly visible, and in the region that announces it where it is new
        and the focus is not back in Text1, which a screen reader reads itself. It comes a moment
        after the dialog has closed."""
        def wanted(shown):
            return [expected, True, expected if new and not shown[3] else "", shown[3]]
        deadline = time.monotonic() + 5
        while (shown := self.js(
                "[Text1.value, Text1.scrollWidth <= Text1.clientWidth, document.querySelector("
                "'[aria-live=polite], [role=status]')?.textContent.trim(),"
                " document.activeElement === Text1]")) != wanted(shown) \
                and time.monotonic() < deadline:
            time.sleep(0.05)
        check(what, shown, wanted(shown))

    def check_with_keys(self, x, y, expected):
        self.keys(Keys.ENTER)
        self.answer("X", x)
        self.answer("Y", y)
        self.line(f"a check of {x}, {y}", expected)

    def load_axe(self):
        if not self.js("typeof axe == 'object'"):
            with open(AXE, encoding="utf-8") as file:
                self.execute(file.read())

    def axe(self, state):
        self.load_axe()
        check(f"axe-core, {state}", self.promise(
            "axe.run(document, {resultTypes: ['violations']}).then((r) => r.violations.map("
            "(v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', ')))"), [])

    def contrast(self, theme):
        check("the theme", self.js("matchMedia('(prefers-color-scheme: dark)').matches"),
              theme == "dark")
        check(f"contrast below 4.5:1, {theme}",
              [pair for pair in self.js(CONTRAST, READABLE) if pair[1] < 4.5], [])


class Selenium(Browser):
    def __init__(self, driver):
        self.driver = driver
        self.driver.set_script_timeout(30)

    def js(self, script, *args):
        return self.driver.execute_script("return " + script, *args)

    def execute(self, script, *args):
        self.driver.execute_script(script, *args)

    def promise(self, script):
        return self.driver.execute_async_script(
            f"const done = arguments[0]; ({script}).then(done, (e) => done('failed: ' + e));")

    def get(self, url):
        self.driver.get(url)

    def keys(self, *keys):
        ActionChains(self.driver).send_keys(*keys).perform()

    def access_key(self, key):
        ActionChains(self.driver).key_down(Keys.ALT).send_keys(key).key_up(Keys.ALT).perform()

    def shot(self, name):
        self.driver.save_screenshot(os.path.join(SHOTS, f"{ENGINE}-{name}.png"))

    def accessible_name(self, id_):
        return self.driver.find_element(By.ID, id_).accessible_name

    def resize(self, width, height):
        self.driver.set_window_size(width, height)

    def windows(self):
        return self.driver.window_handles

    def switch(self, window):
        self.driver.switch_to.window(window)

    def close(self):
        self.driver.quit()


class Chromium(Selenium):
    """Headless Chromium whose user asks pages for `language`."""

    def __init__(self, language, dark, *flags):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update",
                         "--disable-sync", "--window-size=800,600", f"--lang={language}",
                         f"--accept-lang={language}", *(["--force-dark-mode"] if dark else []),
                         *flags):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        super().__init__(webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                                          options=options))

    def paste(self, text):
        self.driver.execute_cdp_cmd("Input.insertText", {"text": text})

    def emulate(self, forced=None, phone=False):
        """Forced colours over a theme (`forced`: light or dark), or a phone's touch screen."""
        self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
            {"name": "forced-colors", "value": "active" if forced else "none"},
            {"name": "prefers-color-scheme", "value": forced or "light"}]})
        self.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": phone})
        self.resize(*(360, 640) if phone else (800, 600))

    def text_contrast(self, selector):
        """The contrast of the two colours seen most where the element's text stands, as drawn."""
        box = self.js("(() => { const text = document.createRange(); text.selectNodeContents("
                      "document.querySelector(arguments[0])); return text.getBoundingClientRect();"
                      " })()", selector)
        clip = {key: box[key] for key in ("x", "y", "width", "height")}
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {"clip": {**clip, "scale": 1}})
        colours = sorted(Image.open(io.BytesIO(base64.b64decode(shot["data"]))).getcolors(1 << 16))
        return contrast(colours[-1][1][:3], colours[-2][1][:3]) if len(colours) > 1 else 1

    def errors(self):
        return [entry["message"] for entry in self.driver.get_log("browser")
                if entry["level"] in ("SEVERE", "WARNING")]


class WebKit(Selenium):
    """MiniBrowser on an X server of its own, in a GTK theme light or dark. Its `language` is that
    of the environment: LANG=C, where navigator.languages is ['C'], which Intl rejects, or Russian
    from a locale made for the test. WebKitWebDriver keeps no console, so the page's errors are
    caught there and gathered before each page is left."""

    can_narrow = False  # MiniBrowser's window keeps its toolbar's width
    can_type_cyrillic = False  # its driver finds no key for П on Xvfb's keyboard
    HOOK = ("window.quadrantErrors = []; const kept = console.error;"
            " console.error = (...parts) => { quadrantErrors.push(parts.join(' '));"
            " kept.apply(console, parts); };"
            " addEventListener('error', (event) => quadrantErrors.push(event.message));"
            " addEventListener('unhandledrejection',"
            " (event) => quadrantErrors.push(String(event.reason)));")

    def __init__(self, language, dark):
        read, write = os.pipe()
        self.display = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                         "1024x768x24", "-nolisten", "tcp"], pass_fds=(write,))
        atexit.register(self.display.kill)  # should the driver not start
        os.close(write)
        with os.fdopen(read) as pipe:
            display = ":" + pipe.readline().strip()
        self.locales = tempfile.mkdtemp()
        environment = {"DISPLAY": display, "GTK_THEME": "Adwaita:dark" if dark else "Adwaita",
                       "LANG": "C", "LC_ALL": "", "LANGUAGE": "", "LOCPATH": self.locales}
        if language == "ru":
            subprocess.run(["localedef", "-i", "ru_RU", "-f", "UTF-8",
                            os.path.join(self.locales, "ru_RU.UTF-8")], check=True)
            environment["LANG"] = "ru_RU.UTF-8"
        os.environ.update(environment)
        options = webdriver.WebKitGTKOptions()
        options.binary_location = glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser")[0]
        options.add_argument("--automation")
        options.add_argument("--javascript-can-open-windows-automatically=true")
        self.seen = []
        super().__init__(webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                             options=options))

    def harvest(self):
        self.seen += self.js("window.quadrantErrors || []")

    def open(self, url=None):
        super().open(url)
        self.execute(self.HOOK)

    def get(self, url):
        self.harvest()
        super().get(url)

    def errors(self):
        self.harvest()
        seen, self.seen = self.seen, []
        return seen

    def close(self):
        super().close()
        self.display.terminate()
        self.display.wait()
        shutil.rmtree(self.locales)


class Firefox(Browser):
    """Headless Firefox ESR over WebDriver BiDi, with a fresh profile whose user asks pages for
    `language`. Each command runs the event loop until its answer has come."""

    def __init__(self, language, dark):
        self.profile = tempfile.mkdtemp()
        with open(os.path.join(self.profile, "user.js"), "w", encoding="utf-8") as prefs:
            for name, value in (("intl.accept_languages", language),
                                ("layout.css.prefers-color-scheme.content-override", int(not dark))):
                prefs.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self.process = subprocess.Popen(
            ["/usr/bin/firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
             "--remote-debugging-port=0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        atexit.register(self.process.kill)  # should the session not start
        address = None
        for output in self.process.stderr:
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", output)
            if found:
                address = found.group(1)
                break
        if not address:
            raise AssertionError("Firefox did not offer WebDriver BiDi")
        threading.Thread(target=lambda: [None for _ in self.process.stderr], daemon=True).start()
        self.loop = asyncio.new_event_loop()
        asyncio.set_event_loop(self.loop)
        self.ids = itertools.count(1)
        self.pending = {}
        self.logged = []
        self.socket = self.run(websockets.connect(address + "/session", max_size=None))
        self.receiving = self.loop.create_task(self.receive())
        self.command("session.new", {"capabilities": {}})
        self.command("session.subscribe", {"events": ["log.entryAdded"]})
        self.context = self.windows()[0]
        self.resize(800, 600)

    def run(self, awaitable):
        return self.loop.run_until_complete(asyncio.wait_for(awaitable, 60))

    async def receive(self):
        try:
            async for text in self.socket:
                message = json.loads(text)
                if "id" in message:
                    self.pending.pop(message["id"]).set_result(message)
                elif message.get("method") == "log.entryAdded":
                    self.logged.append(message["params"])
        finally:
            for answer in self.pending.values():
                answer.set_exception(ConnectionError("Firefox closed the connection"))

    def command(self, method, params):
        async def send():
            answer = self.loop.create_future()
            id_ = next(self.ids)
            self.pending[id_] = answer
            await self.socket.send(json.dumps({"id": id_, "method": method, "params": params}))
            return await answer
        message = self.run(send())
        if message.get("type") == "error":
            raise AssertionError(f"{method}: {message['error']}: {message.get('message')}")
        return message["result"]

    @staticmethod
    def value(remote):
        kind, value = remote["type"], remote.get("value")
        if kind == "array":
            return [Firefox.value(item) for item in value]
        if kind == "object":
            return {key: Firefox.value(item) for key, item in value}
        return value if kind in ("string", "number", "boolean") else None

    def call(self, body, args, wait):
        result = self.command("script.callFunction", {
            "functionDeclaration": f"function() {{ {body} }}",
            "arguments": [{"type": "string", "value": arg} for arg in args],
            "awaitPromise": wait, "target": {"context": self.context}, "userActivation": True,
            "serializationOptions": {"maxObjectDepth": 8}})
        if result["type"] == "exception":
            raise AssertionError(f"script failed: {result['exceptionDetails']['text']}")
        return self.value(result["result"])

    def js(self, script, *args):
        return self.call(f"return {script};", args, False)

    def execute(self, script, *args):
        self.call(script, args, False)

    def promise(self, script):
        return self.call(f"return {script};", (), True)

    def get(self, url):
        self.command("browsingContext.navigate", {"context": self.context, "url": url,
                                                  "wait": "complete"})

    def perform(self, values):
        self.command("input.performActions", {"context": self.context, "actions": [
            {"type": "key", "id": "keyboard", "actions": [
                {"type": kind, "value": value} for kind, value in values]}]})

    def keys(self, *keys):
        self.perform([(kind, char) for char in "".join(keys) for kind in ("keyDown", "keyUp")])

    def access_key(self, key):
        # Alt and Shift: Firefox's modifiers for access keys on Linux.
        self.perform([("keyDown", Keys.ALT), ("keyDown", Keys.SHIFT), ("keyDown", key),
                      ("keyUp", key), ("keyUp", Keys.SHIFT), ("keyUp", Keys.ALT)])

    def shot(self, name):
        data = self.command("browsingContext.captureScreenshot", {"context": self.context})["data"]
        with open(os.path.join(SHOTS, f"{ENGINE}-{name}.png"), "wb") as file:
            file.write(base64.b64decode(data))

    def accessible_name(self, id_):
        # BiDi reads no accessible names: axe-core's own computation stands in.
        self.load_axe()
        return self.js("(() => { axe.setup(); try { return axe.commons.text.accessibleTextVirtual("
                       "axe.utils.getNodeFromTree(document.getElementById(arguments[0]))); }"
                       " finally { axe.teardown(); } })()", id_)

    def resize(self, width, height):
        self.command("browsingContext.setViewport", {
            "context": self.context, "viewport": {"width": width, "height": height}})

    def windows(self):
        return [context["context"] for context in
                self.command("browsingContext.getTree", {"maxDepth": 0})["contexts"]]

    def switch(self, window):
        self.context = window

    def errors(self):
        logged, self.logged = self.logged, []
        return [entry["text"] for entry in logged if entry["level"] in ("error", "warn")]

    def close(self):
        try:
            self.command("browser.close", {})
            self.process.wait(30)
            self.run(self.socket.close())
            self.run(self.receiving)
            self.loop.close()
        finally:
            self.process.kill()
            shutil.rmtree(self.profile, ignore_errors=True)


ENGINES = {"chromium": Chromium, "webkit": WebKit, "firefox": Firefox}
# The language of the second visit: English, or in WebKit the C locale, which Intl rejects.
SECOND_LANGUAGE = {"webkit": "C"}
with open(os.path.join(SITE, "index.html"), encoding="utf-8") as page:
    PAGE = page.read()
# WebAssembly refused by the page's policy as Safari 15.4 reads it (which ignores
# 'wasm-unsafe-eval'), and missing without a JIT (Chromium's flags).
SAFARI_15 = (" 'wasm-unsafe-eval'", "")
JITLESS = ("--js-flags=--jitless",)
# A start that is slow or fails: what the page shows, meanwhile (#Loading) or for good. The site's
# page opened from a file (no server's options) says that it needs one, where the browser does not
# let it fetch there.
STARTS = (("slow code", {"slow": {"quadrant.wasm": 3}}, "Loading"),
          ("code that does not arrive", {"missing": {"quadrant.wasm"}}, "NotLoaded"),
          ("no modal dialogs", {"replaced": {"index.html": PAGE.replace(
              "<script", '<script src="d.js"></script>\n<script', 1),
              "d.js": "delete HTMLDialogElement.prototype.showModal;"}}, "Unsupported"),
          *[("the site's page opened from a file", None, "FromFile")][:ENGINE == "chromium"])
SHOWN = ("[...document.querySelectorAll('#Loading, [role=alert]')]"
         ".filter((p) => p.checkVisibility() && p.textContent).map((p) => p.id)")
# The JavaScript copy puts a WebAssembly of its own in place, which has no validate().
FALLBACK_RAN = "!WebAssembly.validate"


class OneFile:
    """The one-file page, edited by `replace`, in a folder whose name has Cyrillic letters and
    spaces, opened from there as from a flash drive; or `served` as a plain file, and then what
    its server was `asked` for."""

    def __init__(self, replace=("", ""), served=False):
        self.folder = tempfile.mkdtemp()
        page = pathlib.Path(self.folder, "Программа для 7 класса", "quadrant.html").resolve()
        page.parent.mkdir()
        page.write_text(pathlib.Path(ONE_FILE).read_text(encoding="utf-8").replace(*replace),
                        encoding="utf-8")
        self.server = SiteServer(page.parent) if served else None
        self.url = self.server.url + page.name if served else page.as_uri()
        self.asked = self.server.asked if served else []

    def stop(self):
        if self.server:
            self.server.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


def first_visit(browser, server, without_wasm=False):
    """In Russian, in a light theme."""
    browser.open(server.url)
    check("the program as JavaScript", browser.js(FALLBACK_RAN), without_wasm)
    check("focus and caret at start", browser.js(
        "[document.activeElement.id, document.activeElement.selectionEnd]"), ["Text1", 0])
    names = {id_: (browser.accessible_name(id_), browser.js(
        "document.getElementById(arguments[0]).title", id_)) for id_ in ("Text1", "Command1")}
    check("names and tooltips", names, {
        "Text1": ("Расположение точки", "Расположение точки"),
        "Command1": ("Проверить координаты", "Ввести и проверить координаты")})
    # Command2's name holds its visible label.
    check("Command2", ["X" in browser.accessible_name("Command2"),
                       browser.js("Command2.title")], [True, "Выход"])
    browser.axe("idle")
    browser.contrast("light")

    # Enter in Text1 opens the dialog; typing replaces the selected "0". While it is open, no
    # route to either button starts anything: the dialog still asks for Y.
    browser.keys(Keys.ENTER)
    browser.answer("X", "-2.5")
    browser.ask("Y")
    check("the dialog's name", browser.accessible_name("InputDialog"), "Ввод переменных")
    browser.shot("input-dialog")
    browser.axe("an input dialog open")
    if browser.can_type_cyrillic:
        browser.access_key("п")
    browser.execute("Command1.click(); Command2.click();")
    time.sleep(0.3)
    check("the dialog after presses behind it", browser.js(ASKING), ["Введите Y", "0", 1, True])
    # Nor does a press in the moment after the dialog has closed, while the check goes on. WebKit
    # has no such moment: the check ends inside the click, and the press starts the next one.
    browser.execute("InputText.value = '7'; InputDialog.querySelector('[value=ok]').click();"
                    " Command1.click();")
    # In WebKit the next check's question has come: the line is no news any more.
    browser.line("a check", "X = -2,5; Y = 7; Пложение: II четверть", new=ENGINE != "webkit")
    time.sleep(0.3)
    check("a dialog after the check", browser.js("!!document.querySelector('dialog[open]')"),
          ENGINE == "webkit")
    if ENGINE != "webkit":
        browser.shot("form1-after-check")
        browser.axe("after a result")
        # The access key.
        browser.access_key("п") if browser.can_type_cyrillic else browser.keys(Keys.ENTER)

    # A cancelled dialog reads as 0. Long lines stay wholly visible.
    browser.answer("X", key=Keys.ESCAPE)
    browser.answer("Y", key=Keys.ESCAPE)
    browser.line("two cancelled dialogs", "X = 0; Y = 0; Положение - начало координат")
    # Typed ahead in one burst, each key reaches the dialog open when it comes.
    browser.keys(Keys.ENTER, "2", Keys.ENTER, "-5.5", Keys.ENTER)
    browser.line("a check typed ahead", "X = 2; Y = -5,5; Пложение: IV четверть")
    browser.check_with_keys("-12.5", "0", "X = -12,5; Y=0; Положение ось X")

    # An overflow is reported; the line stays and the program goes on.
    browser.keys(Keys.ENTER)
    browser.answer("X", "1e999")
    browser.wait("the error report", "document.getElementById('ErrorReport').open")
    check("the report", browser.js("ErrorReport.innerText.trim().split(/\\s*\\n\\s*/)"),
          ["Form1", "Ошибка выполнения 6: Переполнение", "OK"])
    browser.axe("the error report open")
    if browser.can_type_cyrillic:
        browser.access_key("п")
    browser.execute("Command1.click();")
    time.sleep(0.3)
    check("dialogs after presses behind the report", browser.js(
        "[ErrorReport.open, InputDialog.open]"), [True, False])
    browser.keys(Keys.ENTER)
    browser.line("the overflow report", "X = -12,5; Y=0; Положение ось X", new=False)

    # A failure in the page's own script is reported the same way, and the page goes on.
    browser.execute("window.taken = document.querySelector('#InputDialog label'); taken.remove();"
                    " Command1.click();")
    browser.wait("the report of a failing script", "ErrorReport.open")
    check("that report", browser.js("ErrorText.textContent.startsWith('Ошибка выполнения')"), True)
    browser.keys(Keys.ENTER)
    browser.execute("InputTitle.after(taken);")

    if isinstance(browser, Chromium):
        # A million characters arrive whole: the 7 at their end is read.
        browser.keys(Keys.ENTER)
        browser.ask("X")
        browser.paste("-" + " " * 999_998 + "7")
        browser.keys(Keys.ENTER)
        browser.answer("Y")
        browser.line("a long X", "X = -7; Y=0; Положение ось X")

    browser.js("Text1.focus()")
    order = []
    for _ in range(2):
        browser.keys(Keys.TAB)
        order.append(browser.js("document.activeElement.id"))
    check("tab order from Text1", order, ["Command1", "Command2"])

    if isinstance(server, OneFile):
        # It is offline already, and asks for nothing but itself: no code, worker or manifest.
        check("what the one-file page asked its server for", set(server.asked),
              {"quadrant.html"} if server.server else set())
    else:
        # Offline: the service worker serves the whole program, as JavaScript too where it ran so.
        browser.wait("the service worker", "navigator.serviceWorker.controller !== null")
        check("the scripts kept", browser.promise(
            "new Promise((kept) => { const look = () => Promise.all([...document.scripts].map((s)"
            " => caches.match(s.src))).then((found) => found.every(Boolean) ? kept(found.length)"
            " : setTimeout(look, 99)); look(); })"), 2 + without_wasm)
        server.stop()
    browser.open(browser.js("location.href"))
    browser.check_with_keys("3", "", "X = 3; Y=0; Положение ось X")

    # Escape ends the program; a tab opened at the address stays, and says so.
    windows = browser.windows()
    browser.keys(Keys.ESCAPE)
    browser.wait("the program's end", "!document.getElementById('Form1')")
    check("after Escape", [browser.windows(), browser.js(
        "[Ended.hidden, document.activeElement.textContent]")],
        [windows, [False, "Запустить снова"]])
    browser.axe("ended")
    browser.keys(Keys.ENTER)
    browser.open()


def windows_become(browser, count):
    deadline = time.monotonic() + 10
    while len(browser.windows()) != count and time.monotonic() < deadline:
        time.sleep(0.1)
    return browser.windows()


def second_visit(browser, server):
    """In English (or the C locale), in a dark theme, on a phone, and with no program to run."""
    browser.open(server.url)
    browser.contrast("dark")
    browser.axe("idle, dark")
    if browser.can_narrow:
        browser.resize(360, 640)
        browser.wait("a phone's width", "innerWidth == 360")
        check("Form1 on a phone: scaled to the width, no scrolling", browser.js(
            "[Form1.getBoundingClientRect().width >= innerWidth - 40,"
            " document.documentElement.scrollWidth <= innerWidth]"), [True, True])
        browser.shot("phone-dark")
        browser.resize(800, 600)

    # The period; Command2 closes a window opened for the program.
    first = browser.windows()
    browser.execute("window.open(arguments[0]);", server.url)
    opened = [window for window in windows_become(browser, 2) if window not in first]
    if check("windows opened", len(opened), 1):
        browser.switch(opened[0])
        browser.open()
        browser.check_with_keys("0.5", "0.25", "X = 0.5; Y = 0.25; Пложение: I четверть")
        browser.execute("Command2.click();")
        check("windows after Command2", windows_become(browser, 1), first)
        browser.switch(first[0])

    # The page says which, in Russian, its buttons grey, its link to try again the page itself; a
    # failure is on the console too: only what came before counts. Not get(), which would wait for
    # the slow code; but a page may not send the browser to a file.
    for what, options, shown in STARTS:
        report_console(browser)
        other = SiteServer(SITE, **options) if options is not None else None
        if other:
            browser.execute("location.href = arguments[0];", other.url)
        else:
            browser.get(pathlib.Path(SITE, "index.html").resolve().as_uri())
        browser.wait(what, f"location.port == '{other.server_port if other else ''}'"
                     f" && {SHOWN}.join() == '{shown}' && /[а-я]{{3}}/.test({shown}.textContent)"
                     " && [...document.querySelectorAll('#Form1 button')].every((b) => b.disabled)"
                     " && [...document.querySelectorAll('[role=alert] a')].every((a) =>"
                     " a.href == location.href)", 6)
        if shown == "Loading":
            browser.open()
            check(f"{what}, once ready", browser.js(SHOWN), [])
        if other:
            other.stop()
        browser.errors()


# Each control of the form, or of the open dialog, focused in turn: its least side, its focus
# ring's width, and the ring's colour with that of the face it covers.
RINGS = """[...document.querySelectorAll(arguments[0])].map((e) => {
  e.focus();
  const box = e.getBoundingClientRect(), style = getComputedStyle(e);
  return [e.id || e.textContent, Math.round(Math.min(box.width, box.height)),
          style.outlineStyle === 'none' ? 0 : parseFloat(style.outlineWidth), style.outlineColor,
          getComputedStyle(e.closest('dialog, #Form1')).backgroundColor];
})"""


def rgb(colour):
    return [int(value) for value in re.findall(r"[\d.]+", colour)[:3]]


def seeing_poorly(browser, server):
    """In Chromium: the targets and the focus on a desktop, in forced colours and on a phone, and
    WCAG's text spacing."""
    for forced, phone, least in ((None, False, 24), ("light", False, 24), ("dark", False, 24),
                                 (None, True, 44)):
        what = f"forced colours, {forced}" if forced else "a phone" if phone else "a desktop"
        browser.emulate(forced, phone)
        browser.open(server.url)
        seen = browser.js(RINGS, "#Form1 > *")
        check(f"a ring on the default button without the focus, {what}",
              browser.js("(Text1.focus(), getComputedStyle(Command1).outlineStyle)"), "none")
        browser.keys(Keys.ENTER)
        browser.ask("X")
        seen += browser.js(RINGS, "dialog[open] input, dialog[open] button")
        check(f"targets under {least} px, or rings under 2 px or 3:1, {what}", [
            c for c in seen if c[1] < least or c[2] < 2 or contrast(rgb(c[3]), rgb(c[4])) < 3], [])
        check(f"the dialog's title, as drawn, {what}", browser.text_contrast("#InputTitle") >= 4.5,
              True)
        if phone:
            check("the phone's fields", browser.js(
                "[getComputedStyle(InputText).fontSize, InputText.inputMode,"
                " InputText.enterKeyHint, InputText.autocapitalize,"
                " document.documentElement.scrollWidth <= innerWidth,"
                " getComputedStyle(Text1).fontSize, Math.round(Command1.getBoundingClientRect()"
                ".top - Text1.getBoundingClientRect().bottom"
                " - parseFloat(getComputedStyle(Form1).rowGap))]"),
                ["16px", "text", "done", "none", True, "16px", 0])
        browser.shot(f"seeing-{forced or ('phone' if phone else 'desktop')}")
        browser.keys(Keys.ESCAPE)
        browser.answer("Y", key=Keys.ESCAPE)
        browser.line(f"the longest line, {what}", "X = 0; Y = 0; Положение - начало координат")

    # WCAG's text spacing, as a reader's own style sets it: every text stays whole, the line too.
    browser.emulate()
    browser.open(server.url)
    browser.execute("const sheet = document.styleSheets[0]; for (const rule of ['* {"
                    " line-height: 1.5 !important; letter-spacing: 0.12em !important;"
                    " word-spacing: 0.16em !important; }', 'p { margin-bottom: 2em !important; }'])"
                    " sheet.insertRule(rule, sheet.cssRules.length);")
    browser.check_with_keys("-2.5", "-5.5", "X = -2,5; Y = -5,5; Пложение: III четверть")
    check("texts cut under text spacing", browser.js(
        "[...document.querySelectorAll('#Form1 > *')].filter((e) => e.scrollWidth > e.clientWidth"
        " || e.scrollHeight > e.clientHeight).map((e) => e.id)"), [])


def report_console(browser):
    FAILURES.extend(f"console: {message}" for message in browser.errors()
                    if not browser.refusal.search(message))


def visit(language, dark, scenario, one_file, edit, flags=(), served=False):
    """The site, or the one-file page, with `edit` made to the page, in a browser with `flags`."""
    server = OneFile(edit or ("", ""), served) if one_file else SiteServer(
        SITE, replaced={"index.html": PAGE.replace(*edit)} if edit else {})
    start = time.monotonic()
    browser = ENGINES[ENGINE](language, dark, *flags)
    without_wasm = edit == SAFARI_15 or flags == JITLESS
    if edit == SAFARI_15:  # Firefox reports the policy's refusal on each load
        browser.refusal = re.compile(browser.refusal.pattern +
                                     r"|blocked WebAssembly .*'wasm-unsafe-eval'")
    try:
        scenario(browser, server, *([without_wasm] if scenario == first_visit else []))
    except Exception:
        browser.shot(f"{scenario.__name__}-failed")
        raise
    finally:
        report_console(browser)
        browser.close()
        server.stop()
    print(f"{ENGINE}, {scenario.__name__}", "one file" if one_file else "site",
          "served" if served else "", *flags, "Safari 15" if edit == SAFARI_15 else "",
          f"{time.monotonic() - start:.1f} s")


def main():
    os.makedirs(SHOTS, exist_ok=True)
    # (language, dark theme, scenario, the one-file page, its edit, Chromium's flags, served)
    for language, dark, scenario, *variant in (
            ("ru", False, first_visit, False, None),
            (SECOND_LANGUAGE.get(ENGINE, "en-US"), True, second_visit, False, None),
            ("ru", False, first_visit, False, SAFARI_15),
            ("ru", False, first_visit, True, None),
            ("ru", False, first_visit, True, SAFARI_15),
            ("ru", False, first_visit, True, None, (), True),
            *[("ru", False, scenario, one_file, None, flags) for one_file in (False, True)
              for scenario, flags in ((first_visit, JITLESS), (seeing_poorly, ()))
              if ENGINE == "chromium"]):
        try:
            visit(language, dark, scenario, *variant)
        except Exception as error:  # a failure of the engine or its driver fails the test too
            line = [frame.lineno for frame in traceback.extract_tb(error.__traceback__)
                    if frame.name == scenario.__name__]
            FAILURES.append(f"{scenario.__name__}, line {line}: {type(error).__name__}: {error}")


if __name__ == "__main__":
    main()
    for failure in FAILURES:
        print("FAIL:", failure)
    print(f"web end-to-end in {ENGINE}: {'failed' if FAILURES else 'passed'};"
          f" screenshots in {SHOTS}")
    sys.exit(1 if FAILURES else 0)
