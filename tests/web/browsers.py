"""The browser engines that the web suite drives, each with js (an expression's value, run in the
page with `arguments`), execute, promise (what a promise resolves to), get, keys, access_key (with
the engine's modifiers), shot, accessible_name, resize, windows, switch, errors (what the console
said since last asked), arrived and close. Chromium and WebKitGTK through Selenium and Debian's
WebDriver servers; Firefox over WebDriver BiDi, which it speaks itself (Debian has no geckodriver):
a small client here keeps the one scenario in one language."""

import asyncio
import atexit
import base64
import glob
import io
import itertools
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading

import websockets
from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules/axe-core/axe.min.js")


def contrast(*colours):
    """WCAG 2's contrast of two colours, each (r, g, b) from 0 to 255."""
    def luminance(rgb):
        linear = [v / 255 / 12.92 if v <= 10 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in rgb]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    light, dark = sorted(map(luminance, colours), reverse=True)
    return (light + 0.05) / (dark + 0.05)


def load_axe(browser):
    if not browser.js("typeof axe == 'object'"):
        with open(AXE, encoding="utf-8") as file:
            browser.execute(file.read())


class Backend:
    """Screenshots go to `shots`-NAME.png."""

    can_narrow = True  # the viewport can be made as narrow as a phone's
    can_type_cyrillic = True  # the driver can press П, the access key

    def __init__(self, shots):
        self.shots = shots

    def arrived(self):
        pass


class Selenium(Backend):
    def __init__(self, shots, driver):
        super().__init__(shots)
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
        self.driver.save_screenshot(f"{self.shots}-{name}.png")

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

    def __init__(self, shots, language, dark, *flags):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update",
                         "--disable-sync", "--window-size=800,600", f"--lang={language}",
                         f"--accept-lang={language}", *(["--force-dark-mode"] if dark else []),
                         *flags):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        super().__init__(shots, webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
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

    def __init__(self, shots, language, dark):
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
        super().__init__(shots, webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                                    options=options))

    def harvest(self):
        self.seen += self.js("window.quadrantErrors || []")

    def arrived(self):
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


class Firefox(Backend):
    """Headless Firefox ESR over WebDriver BiDi, with a fresh profile whose user asks pages for
    `language`. Each command runs the event loop until its answer has come."""

    def __init__(self, shots, language, dark):
        super().__init__(shots)
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
        with open(f"{self.shots}-{name}.png", "wb") as file:
            file.write(base64.b64decode(data))

    def accessible_name(self, id_):
        # BiDi reads no accessible names: axe-core's own computation stands in.
        load_axe(self)
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
