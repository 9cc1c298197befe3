"""Measures the browser's program as a first visitor meets it, in one headless Chromium: start-up
(from navigation start until the buttons are live) against the bare page (the same HTML without
its scripts and the preload of the program's code, until its load event), loads alternated; the
page's weight without its images, gzipped. The one-file page the same, opened from a file against
itself without its scripts, at full speed and with the processor slowed four times.
Usage: web_startup.py SITE_DIR ONE_FILE_PAGE [LOADS]"""

import multiprocessing
import os
import pathlib
import re
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/web"))
from site_server import SiteServer, page_weight  # noqa: E402

SITE, ONE_FILE = sys.argv[1:3]
LOADS = int(sys.argv[3]) if len(sys.argv) > 3 else 20
# The page's weight has its budget in the web suite (tests/web/tests.cmake).
GOALS = {"ready / bare": 1.5, "one file ready / bare": 1.5, "one file ready / bare, CPU x4": 1.5,
         "one file KiB": 320}


def ready_ms(driver, url):
    driver.get(url)
    WebDriverWait(driver, 10).until(lambda d: d.execute_script(
        "return performance.getEntriesByName('quadrant-ready').length > 0"))
    return driver.execute_script(
        "return performance.getEntriesByName('quadrant-ready')[0].startTime")


def loaded_ms(driver, url):
    driver.get(url)
    return driver.execute_script(
        "return performance.getEntriesByType('navigation')[0].loadEventEnd")


def one_file(driver, folder, slowdown):
    """Start-up of the one-file page from a file, and of the same file without its scripts (the
    code they carry included), loads alternated; the processor slowed `slowdown` times."""
    page = pathlib.Path(ONE_FILE).read_text(encoding="utf-8")
    files = {name: pathlib.Path(folder, name) for name in ("quadrant.html", "bare.html")}
    files["quadrant.html"].write_text(page, encoding="utf-8")
    files["bare.html"].write_text(re.sub(r"<script.*?</script>\n", "", page, flags=re.DOTALL),
                                  encoding="utf-8")
    driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": slowdown})
    ready, loaded = [], []
    for _ in range(LOADS):
        loaded.append(loaded_ms(driver, files["bare.html"].as_uri()))
        ready.append(ready_ms(driver, files["quadrant.html"].as_uri()))
    driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": 1})
    return statistics.median(ready), statistics.median(loaded)


def main():
    with open(os.path.join(SITE, "index.html"), encoding="utf-8") as file:
        page = file.read()
    # Without the program: its scripts and the preload of its code.
    bare = "\n".join(line for line in page.split("\n")
                     if not line.startswith("<script") and 'rel="preload"' not in line)
    # Served from a process of its own, so that it does not share a Python interpreter with the
    # browser's driver.
    # And the program as JavaScript: the page under its policy without 'wasm-unsafe-eval', as
    # Safari 15.4 reads it.
    wasm2js = page.replace(" 'wasm-unsafe-eval'", "")
    server = SiteServer(SITE, replaced={"bare.html": bare, "wasm2js.html": wasm2js}, serve=False)
    serving = multiprocessing.get_context("fork").Process(target=server.serve_forever)
    serving.start()
    url = server.url

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--lang=ru", "--accept-lang=ru"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    # Every load as a first visit: nothing from the service worker, the HTTP cache emptied.
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.setBypassServiceWorker", {"bypass": True})

    ready, loaded, fallback = [], [], []
    for _ in range(LOADS):
        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        loaded.append(loaded_ms(driver, url + "bare.html"))
        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        ready.append(ready_ms(driver, url))
        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        fallback.append(ready_ms(driver, url + "wasm2js.html"))
    with tempfile.TemporaryDirectory() as folder:
        one_file_ready, one_file_bare = one_file(driver, folder, 1)
        slow_ready, slow_bare = one_file(driver, folder, 4)

    driver.quit()
    serving.terminate()
    serving.join()
    server.server_close()

    figures = {
        "ready ms (median)": statistics.median(ready),
        "bare ms (median)": statistics.median(loaded),
        "ready / bare": statistics.median(ready) / statistics.median(loaded),
        "as JavaScript ms (median)": statistics.median(fallback),
        "page KiB gzipped": page_weight(SITE) / 1024,
        "one file ready ms (median)": one_file_ready,
        "one file bare ms (median)": one_file_bare,
        "one file ready / bare": one_file_ready / one_file_bare,
        "one file ready / bare, CPU x4": slow_ready / slow_bare,
        "one file KiB": os.path.getsize(ONE_FILE) / 1024,
    }
    missed = [name for name, goal in GOALS.items() if figures[name] > goal]
    for name, value in figures.items():
        goal = f" (goal <= {GOALS[name]})" if name in GOALS else ""
        print(f"{name:30} {value:8.2f}{goal}")
    print(f"{LOADS} loads of each; " + (f"missed: {', '.join(missed)}" if missed else "all goals met"))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
