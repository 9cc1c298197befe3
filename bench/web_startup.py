"""Measures the browser's program as a first visitor meets it, in one headless Chromium: start-up
(from navigation start until the buttons are live) against the bare page (the same HTML without
its scripts and the preload of the program's code, until its load event), loads alternated; the
page's weight without its images, gzipped; and a check whose X is a million characters long.
Usage: web_startup.py SITE_DIR [LOADS]"""

import gzip
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

SITE = sys.argv[1]
LOADS = int(sys.argv[2]) if len(sys.argv) > 2 else 20
IMAGES = (".png", ".svg")
# What the web server reads, never the browser.
SERVER_SETTINGS = (".htaccess", "quadrant.nginx.conf")
GOALS = {"ready / bare": 1.5, "page KiB gzipped": 100}


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def page_weight():
    """The gzipped bytes of every file of the site but its images and the server's settings."""
    total = 0
    for name in sorted(os.listdir(SITE)):
        if not name.endswith(IMAGES) and name not in SERVER_SETTINGS:
            with open(os.path.join(SITE, name), "rb") as file:
                total += len(gzip.compress(file.read(), 9))
    return total


def main():
    work = tempfile.mkdtemp()
    site = os.path.join(work, "site")
    shutil.copytree(SITE, site)
    with open(os.path.join(site, "index.html"), encoding="utf-8") as file:
        page = file.read()
    # Without the program: its scripts and the preload of its code.
    bare = "\n".join(line for line in page.split("\n")
                     if not line.startswith("<script") and 'rel="preload"' not in line)
    with open(os.path.join(site, "bare.html"), "w", encoding="utf-8") as file:
        file.write(bare)

    # The server of `make run-web`, in a process of its own so that it does not share a
    # Python interpreter with the browser's driver.
    port = free_port()
    server = subprocess.Popen(
        [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", "--directory", site,
         str(port)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    url = f"http://127.0.0.1:{port}/"
    for _ in range(100):
        with socket.socket() as probe:
            if probe.connect_ex(("127.0.0.1", port)) == 0:
                break
        time.sleep(0.05)

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

    ready, loaded = [], []
    for _ in range(LOADS):
        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        driver.get(url + "bare.html")
        loaded.append(driver.execute_script(
            "return performance.getEntriesByType('navigation')[0].loadEventEnd"))
        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        driver.get(url)
        WebDriverWait(driver, 10).until(lambda d: d.execute_script(
            "return performance.getEntriesByName('quadrant-ready').length > 0"))
        ready.append(driver.execute_script(
            "return performance.getEntriesByName('quadrant-ready')[0].startTime"))

    # A check whose X is a million characters: from the Enter that confirms it until Y is asked.
    driver.find_element("id", "Command1").click()
    driver.execute_cdp_cmd("Input.insertText", {"text": "-" + " " * 999_998 + "7"})
    start = time.monotonic()
    driver.switch_to.active_element.send_keys(Keys.ENTER)
    WebDriverWait(driver, 10).until(lambda d: d.execute_script(
        "return document.querySelector('#InputDialog label').textContent.endsWith('Y')"))
    long_check = time.monotonic() - start
    driver.quit()
    server.terminate()
    server.wait()
    shutil.rmtree(work)

    figures = {
        "ready ms (median)": statistics.median(ready),
        "bare ms (median)": statistics.median(loaded),
        "ready / bare": statistics.median(ready) / statistics.median(loaded),
        "page KiB gzipped": page_weight() / 1024,
        "million-character X, s": long_check,
    }
    missed = [name for name, goal in GOALS.items() if figures[name] > goal]
    for name, value in figures.items():
        goal = f" (goal <= {GOALS[name]})" if name in GOALS else ""
        print(f"{name:28} {value:8.2f}{goal}")
    print(f"{LOADS} loads of each; " + (f"missed: {', '.join(missed)}" if missed else "all goals met"))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
