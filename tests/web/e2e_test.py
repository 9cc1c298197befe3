"""Drives the built site in one browser engine as a person would: key presses, and what the page and
its accessibility tree show; the story of tests/e2e/story.py, and what is the browser's own. Served
on the loopback (site_server.py): the test stops the server to check the program offline, and has
another withhold the program's code. The one-file page the same, opened from a folder, and served
as a plain file. The engines are browsers.py's.

Usage: e2e_test.py chromium|webkit|firefox SITE_DIR ONE_FILE_PAGE SCREENSHOT_DIR"""

import os
import pathlib
import re
import shutil
import sys
import tempfile
import time
import traceback

from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from browsers import ENGINES, Chromium, contrast, load_axe  # noqa: E402
from desktop import FAILURES, check, report, wait_for  # noqa: E402
from site_server import SiteServer  # noqa: E402
from story import STORY, tell  # noqa: E402

ENGINE, SITE, ONE_FILE, SHOTS = sys.argv[1:5]


# Each element's colour, and the backgrounds at and above it, of which the first opaque one is what
# its text stands on (WCAG 2).
COLOURS = ("[...document.querySelectorAll(arguments[0])].map((e) => { const under = [];"
           " for (let at = e; at; at = at.parentElement) under.push(getComputedStyle(at)"
           ".backgroundColor); return [e.id || e.tagName + ' in ' + e.closest('[id]').id,"
           " getComputedStyle(e).color, under]; })")
ASKING = ("[document.querySelector('#InputDialog label').textContent, InputText.value,"
          " document.querySelectorAll('dialog[open]').length, !!document.getElementById('Form1')]")
READABLE = ("#Text1, #Command1, #Command2, #InputDialog label, #InputText, #InputDialog button,"
            " #ErrorReport p, #ErrorReport button")


class Page:
    """An engine of browsers.py, driven by the scenarios and through the story's steps."""

    # What the console may say, being expected: Chromium's note where the program, ready before
    # the page's first frame (from a file), focused Text1 before the page's autofocus could.
    refusal = re.compile("Autofocus processing was blocked")

    def __init__(self, engine):
        self.engine = engine
        self.replied = self.stale = False  # a moment's own answer to the dialog; the line's

    def __getattr__(self, name):
        return getattr(self.engine, name)

    def wait(self, what, script, timeout=10):
        wait_for(what, lambda: self.js(script), timeout=timeout)

    def open(self, url=None):
        if url:
            self.get(url)
        self.wait("the program to be ready",
                  "!!document.getElementById('Form1') &&"
                  " !document.querySelector('#Form1 :disabled')")
        self.arrived()

    # The story's steps (story.py). The access key where the engine's driver can press П; and
    # nothing where the check it starts has started already (WebKit, in the moment after a dialog).
    def press(self, key):
        if key != "access":
            self.keys(Keys.ENTER if key == "Return" else Keys.ESCAPE)
        elif not self.js("!!document.querySelector('dialog[open]')"):
            self.access_key("п") if self.can_type_cyrillic else self.keys(Keys.ENTER)

    def ask(self, coordinate):
        """Waits for the input dialog to ask for `coordinate` afresh."""
        self.wait(f"the input dialog for {coordinate}", (
            "document.getElementById('InputDialog').open &&"
            f" document.querySelector('#InputDialog label').textContent == 'Введите {coordinate}'"
            " && document.getElementById('InputText').value == '0'"))

    def reply(self, typed, key):
        if not self.replied:
            self.keys(*([typed] if typed else []), Keys.ENTER if key == "Return" else Keys.ESCAPE)
        self.replied = False

    def follows(self, what, kind, expected):
        if kind == "report":
            self.wait("the error report", "document.getElementById('ErrorReport').open")
            check(what, self.js("ErrorReport.innerText.trim().split(/\\s*\\n\\s*/)"),
                  ["Form1", expected, "OK"])
        elif kind == "end":
            # A tab opened at the address stays, and says so.
            windows = self.windows()
            self.wait("the program's end", "!document.getElementById('Form1')")
            check(f"after {what}", [self.windows(), self.js(
                "[Ended.hidden, document.activeElement.textContent]")],
                [windows, [False, "Запустить снова"]])
        else:
            self.line(what, expected, new=kind == "line" and not self.stale)
            self.stale = False

    def line(self, what, expected, new=True):
        """The line in Text1, wholly visible, and in the region that announces it where it is new
        and the focus is not back in Text1, which a screen reader reads itself. It comes a moment
        after the dialog has closed."""
        def wanted(shown):
            return [expected, True, expected if new and not shown[3] else "", shown[3]]
        shown = lambda: self.js(  # noqa: E731
            "[Text1.value, Text1.scrollWidth <= Text1.clientWidth, document.querySelector("
            "'[aria-live=polite], [role=status]')?.textContent.trim(),"
            " document.activeElement === Text1]")
        try:
            wait_for(what, shown, timeout=5, done=lambda now: now == wanted(now))
        except AssertionError:
            pass
        now = shown()
        check(what, now, wanted(now))

    def check_with_keys(self, x, y, expected):
        tell(self, [(f"a check of {x}, {y}", ["Return"], [("X", x, "Return"), ("Y", y, "Return")],
                     ("line", expected))])

    def axe(self, state):
        load_axe(self)
        check(f"axe-core, {state}", self.promise(
            "axe.run(document, {resultTypes: ['violations']}).then((r) => r.violations.map("
            "(v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', ')))"), [])

    def contrast(self, theme):
        check("the theme", self.js("matchMedia('(prefers-color-scheme: dark)').matches"),
              theme == "dark")
        def shown(colour, under):
            text = rgba(colour)
            ground = next((c for c in map(rgba, under) if c[3] == 1), [255, 255, 255, 1])
            blended = [t * text[3] + g * (1 - text[3]) for t, g in zip(text[:3], ground[:3])]
            return round(contrast(blended, ground[:3]), 2)
        seen = [(name, shown(colour, under)) for name, colour, under in self.js(COLOURS, READABLE)]
        check(f"contrast below 4.5:1, {theme}", [pair for pair in seen if pair[1] < 4.5], [])


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
    """In Russian, in a light theme: the story, and what is the browser's own."""
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

    def behind_the_dialog():
        """While it is open, no route to either button starts anything; nor a press in the moment
        after it has closed. WebKit has no such moment: the press starts the next check."""
        check("the dialog's name", browser.accessible_name("InputDialog"), "Ввод переменных")
        browser.shot("input-dialog")
        browser.axe("an input dialog open")
        if browser.can_type_cyrillic:
            browser.access_key("п")
        browser.execute("Command1.click(); Command2.click();")
        time.sleep(0.3)
        check("the dialog after presses behind it", browser.js(ASKING), ["Введите Y", "0", 1, True])
        browser.execute("InputText.value = '7'; InputDialog.querySelector('[value=ok]').click();"
                        " Command1.click();")
        browser.replied, browser.stale = True, ENGINE == "webkit"

    def after_the_check():
        time.sleep(0.3)
        check("a dialog after the check", browser.js("!!document.querySelector('dialog[open]')"),
              ENGINE == "webkit")
        if ENGINE != "webkit":
            browser.shot("form1-after-check")
            browser.axe("after a result")

    def behind_the_report():
        browser.axe("the error report open")
        if browser.can_type_cyrillic:
            browser.access_key("п")
        browser.execute("Command1.click();")
        time.sleep(0.3)
        check("dialogs after presses behind the report", browser.js(
            "[ErrorReport.open, InputDialog.open]"), [True, False])

    tell(browser, STORY[:-1], {
        (STORY[0][0], "Y"): behind_the_dialog, (STORY[0][0], None): after_the_check,
        # Typed ahead in one burst, each key reaches the dialog open when it comes.
        (STORY[2][0], None): lambda: (browser.keys(Keys.ENTER, "2", Keys.ENTER, "-5.5", Keys.ENTER),
                                      browser.line("a check typed ahead",
                                                   "X = 2; Y = -5,5; Пложение: IV четверть")),
        (STORY[4][0], None): behind_the_report})

    # A failure in the page's own script is reported the same way, and the page goes on.
    browser.execute("window.taken = document.querySelector('#InputDialog label'); taken.remove();"
                    " Command1.click();")
    browser.wait("the report of a failing script", "ErrorReport.open")
    check("that report", browser.js("ErrorText.textContent.startsWith('Ошибка выполнения')"), True)
    browser.keys(Keys.ENTER)
    browser.execute("InputTitle.after(taken);")

    if isinstance(browser.engine, Chromium):  # a million characters arrive whole
        tell(browser, [("a long X", ["Return"], [("X", None, "Return"), ("Y", None, "Return")],
                        ("line", "X = -7; Y=0; Положение ось X"))],
             {("a long X", "X"): lambda: browser.paste("-" + " " * 999_998 + "7")})

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

    # Escape ends the program; the link starts it again.
    tell(browser, STORY[-1:])
    browser.axe("ended")
    browser.keys(Keys.ENTER)
    browser.open()


def windows_become(browser, count):
    return wait_for(f"{count} windows", browser.windows, done=lambda now: len(now) == count)


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


def rgba(colour):
    """A computed colour's channels, and its alpha, 1 where it has none."""
    values = [float(value) for value in re.findall(r"[\d.]+", colour)]
    return values[:3] + (values[3:] or [1])


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

        def asking():
            """The form's targets and rings, the dialog's, and its title; a phone's fields."""
            rings = seen + browser.js(RINGS, "dialog[open] input, dialog[open] button")
            check(f"targets under {least} px, or rings under 2 px or 3:1, {what}", [
                c for c in rings if c[1] < least or c[2] < 2 or contrast(rgba(c[3])[:3], rgba(c[4])[:3]) < 3],
                [])
            check(f"the dialog's title, as drawn, {what}",
                  browser.text_contrast("#InputTitle") >= 4.5, True)
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
        # Both cancelled: the longest line, whole.
        tell(browser, [STORY[2]], {(STORY[2][0], "X"): asking})

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
    browser = Page(ENGINES[ENGINE](os.path.join(SHOTS, ENGINE), language, dark, *flags))
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
    os.makedirs(SHOTS, exist_ok=True)
    main()
    sys.exit(report(f"web end-to-end in {ENGINE}", SHOTS))
