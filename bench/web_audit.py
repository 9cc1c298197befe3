"""Lighthouse on the built site, served on the loopback, in Debian's Chromium: as a phone and as a
desktop, the four categories' scores, and every audit that fell short. Reports only; `make
audit-web` runs it. Usage: web_audit.py SITE_DIR"""

import json
import os
import subprocess
import sys
import tempfile

WEB_TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/web")
sys.path.insert(0, WEB_TESTS)
from site_server import SiteServer  # noqa: E402

SITE = sys.argv[1]
LIGHTHOUSE = os.path.join(WEB_TESTS, "node_modules/.bin/lighthouse")


def main():
    server = SiteServer(SITE)
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for form, preset in (("mobile", []), ("desktop", ["--preset=desktop"])):
            report = os.path.join(work, f"{form}.json")
            run = subprocess.run(
                [LIGHTHOUSE, server.url, *preset, "--output=json", f"--output-path={report}",
                 "--quiet", "--chrome-flags=--headless=new --no-sandbox --disable-gpu",
                 "--only-categories=performance,accessibility,best-practices,seo"],
                env={**os.environ, "CHROME_PATH": "/usr/bin/chromium"}, check=False)
            if run.returncode != 0 or not os.path.exists(report):
                print(f"{form}: Lighthouse failed ({run.returncode})")
                failed = True
                continue
            with open(report, encoding="utf-8") as file:
                result = json.load(file)
            scores = {key: category["score"] for key, category in result["categories"].items()}
            print(f"{form}: " + ", ".join(
                f"{key} {round(score * 100) if score is not None else 'n/a'}"
                for key, score in scores.items()))
            for audit in result["audits"].values():
                if audit.get("scoreDisplayMode") in ("binary", "numeric", "metricSavings") \
                        and audit.get("score") is not None and audit["score"] < 1:
                    print(f"  {audit['id']}: {audit['score']} {audit.get('displayValue', '')}")
    server.stop()
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
