"""What a blind pupil hears: the program driven by keys alone while Orca reads it, what Orca hands
its speech server as the transcript, and each step's speech checked against the table below.
Usage (under run.sh): orca_test.py qt PROGRAM | orca_test.py chromium|firefox SITE_DIR|ONE_FILE_PAGE
ORCA_OPTIONS: more options for Orca, such as --debug-file FILE."""

import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "e2e"), os.path.join(HERE, "..", "web")]
from desktop import check, focus, keys, run, type_text, xdotool  # noqa: E402
from site_server import SiteServer  # noqa: E402

FRONT_END, TARGET = sys.argv[1:3]
LINE_1 = "X = 3; Y = -4; Пложение: IV четверть"
LINE_2 = "X = 0; Y = 5; Положение - ось Y"
OVERFLOW = "Ошибка выполнения 6: Переполнение"
ONCE, AT_LEAST_ONCE = range(1, 2), range(1, 10)

# One row a step: what the pupil does (keys, or text typed then Enter), what must be heard, each
# phrase whole and once (or, as (phrase, AT_LEAST_ONCE), whole and once or more), and what must
# not be heard. The check starts once from Text1 and once from Command1, so that the line is
# heard wherever the focus was. Tabbing into Text1 selects its text, and Orca says the selection
# before it reads the box.
STEPS = [
    # A browser's window may be named before the page has given it its title: Orca says either.
    ("the start", [], (["Form1"] if FRONT_END == "qt" else []) +
     ["Нажмите кнопку [Проверить координаты]"], []),
    ("Enter in Text1", ["Return"], ["Ввод переменных", "Введите X"], []),
    ("X typed", "3", ["Введите Y"], ["Введите X"]),
    ("Y typed", "-4", [LINE_1], []),
    ("Tab", ["Tab"], ["Проверить координаты"], [LINE_1]),
    ("Enter on Command1", ["Return"], ["Введите X"], []),
    ("Escape in the X dialog", ["Escape"], ["Введите Y"], ["Введите X"]),
    ("Y typed after a cancelled X", "5", [LINE_2], [LINE_1]),
    ("Enter on Command1 again", ["Return"], ["Введите X"], [LINE_2]),
    ("an X beyond a double", "1e999", [OVERFLOW], ["Введите Y"]),
    ("the error closed", ["Return"], [], [LINE_2, OVERFLOW]),
    ("Shift+Tab to Text1", ["shift+Tab"], [(LINE_2, AT_LEAST_ONCE)], []),
] + ([("Escape", ["Escape"], ["Программа завершена."], [LINE_2])] if FRONT_END != "qt" else [])

# Orca runs its customizations at start: there, each phrase it hands to the speech server is
# written to a file too, a line each, in Orca 43 and 48 alike. Its debug log would say the same,
# but slows it down.
CUSTOMIZATIONS = """from orca import speech
_speak, _log = speech._speak, open({path!r}, "a", encoding="utf-8", buffering=1)
def _written(text, *rest):
    _log.write(" ".join(text.split()) + "\\n")
    _speak(text, *rest)
speech._speak = _written
"""
# A new Firefox profile's user asks for Russian pages, and is shown no welcome or question.
FIREFOX_PREFERENCES = """user_pref("intl.accept_languages", "ru");
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
"""


def spoken(log):
    with open(log, encoding="utf-8", errors="replace") as file:
        return file.read().splitlines()


def times_heard(phrase, utterances):
    """How often `phrase` was said whole: not as the start of a longer word or line."""
    pattern = re.compile(re.escape(phrase) + r"(?![\w\]])")
    return sum(len(pattern.findall(u)) for u in utterances)


def listen(log, start, expected, timeout, quiet=1.0):
    """What Orca says from its `start`th utterance on, until it has said everything expected and
    then kept quiet for `quiet` seconds, or until the time is up."""
    heard, deadline, last = [], time.monotonic() + timeout, time.monotonic()
    while time.monotonic() < deadline:
        if len(new := spoken(log)[start:]) > len(heard):
            heard, last = new, time.monotonic()
        elif time.monotonic() - last > quiet and all(times_heard(p, heard) for p in expected):
            break
        time.sleep(0.1)
    return heard


def target(work):
    """The program, or a browser showing the site, served on the loopback, or the one-file page,
    opened from its folder, in Russian."""
    if FRONT_END == "qt":
        return [TARGET]
    url = (pathlib.Path(TARGET).resolve().as_uri() if TARGET.endswith(".html")
           else SiteServer(TARGET).url)
    if FRONT_END == "chromium":
        return ["chromium", "--no-sandbox", "--test-type", "--force-renderer-accessibility",
                "--no-first-run", "--new-window", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--disable-gpu", "--lang=ru",
                "--disable-features=Translate",
                f"--user-data-dir={work}/chromium", url]
    os.makedirs(f"{work}/firefox")
    with open(f"{work}/firefox/user.js", "w", encoding="utf-8") as prefs:
        prefs.write(FIREFOX_PREFERENCES)
    return ["firefox-esr", "--no-remote", "--new-instance", "--profile", f"{work}/firefox", url]


def program_window(window):
    # By name as the window manager shows it: xdotool's search misses Firefox's, whose title has
    # a character beyond Latin-1.
    return window if xdotool("getwindowname", window).startswith("Form1") else None


def main(work):
    output = open(os.path.join(work, "processes.log"), "w", encoding="utf-8")
    log = os.path.join(work, "speech.log")
    open(log, "w", encoding="utf-8").close()
    preferences = os.path.join(os.environ["XDG_DATA_HOME"], "orca")
    os.makedirs(preferences, exist_ok=True)
    with open(os.path.join(preferences, "orca-customizations.py"), "w", encoding="utf-8") as file:
        file.write(CUSTOMIZATIONS.format(path=log))
    processes = []
    try:
        orca = ["orca", "--replace"] + os.environ.get("ORCA_OPTIONS", "").split()
        for command in (["speech-dispatcher", "--run-single", "--timeout", "0"], orca,
                        target(work)):
            processes.append(subprocess.Popen(command, stdout=output, stderr=subprocess.STDOUT))
            started = "Чтение с экрана включено"
            if command[0] == "orca" and not times_heard(started, listen(log, 0, [started], 60)):
                raise AssertionError(f"Orca did not start; see {work}/processes.log")
        position = len(spoken(log))
        # A browser takes a while to start and load the page, the more so under load.
        focus("the program's window", lambda: program_window(xdotool("getactivewindow")), 60)
        for what, action, expected, unexpected in STEPS:
            if action:
                focus(what, lambda: xdotool("getactivewindow"))
                if isinstance(action, str):
                    type_text(action)
                keys(*(["Return"] if isinstance(action, str) else action))
            expected = dict(p if isinstance(p, tuple) else (p, ONCE) for p in expected)
            heard = listen(log, position, expected, 60 if what == STEPS[0][0] else 20)
            position += len(heard)
            print(f"{what}: {heard}")
            for phrase, times in expected.items():
                count, wanted = times_heard(phrase, heard), f"{times.start} to {times.stop - 1}"
                check(f"{what}: how often «{phrase}» was heard",
                      wanted if count in times else count, wanted)
            for phrase in unexpected:
                check(f"{what}: how often «{phrase}» was heard", times_heard(phrase, heard), 0)
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()


if __name__ == "__main__":
    WORK = tempfile.mkdtemp()
    sys.exit(run(f"screen reader ({FRONT_END})", WORK, lambda: main(WORK)))
