"""The built site on a free port of the loopback, for the web tests, the audit and the bench; and
the page's weight. Run as a script, the weight's test: site_server.py SITE_DIR BUDGET_BYTES"""

import functools
import gzip
import http.server
import io
import os
import sys
import threading
import time

IMAGES = (".png", ".svg")
# What the web server reads, and the program as JavaScript, which few browsers fetch.
NOT_FETCHED = (".htaccess", "quadrant.nginx.conf", "quadrant.wasm.js")


class SiteServer(http.server.ThreadingHTTPServer):
    """Serves `site` in a thread of its own (unless serve is false) until stop(). Files named in
    `missing` are answered with 404; those in `slow` ({name: seconds}) only after that long, as on
    a slow network; those in `replaced` ({name: text}) with that text instead of the file's own.
    `headers` ({name: value}) go with every answer. What was asked for, by name, is `asked`."""

    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def end_headers(self):
            for name, value in self.server.headers.items():
                self.send_header(name, value)
            super().end_headers()

        def send_head(self):
            name = self.path.split("?")[0].lstrip("/") or "index.html"
            self.server.asked.append(name)
            time.sleep(self.server.slow.get(name, 0))
            if name in self.server.missing:
                self.send_error(404)
                return None
            if name in self.server.replaced:
                body = self.server.replaced[name].encode()
                self.send_response(200)
                self.send_header("Content-Type", self.guess_type(name))
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                return io.BytesIO(body)
            return super().send_head()

    def __init__(self, site, missing=(), slow=None, replaced=None, headers=None, serve=True):
        super().__init__(("127.0.0.1", 0), functools.partial(self.Handler, directory=site))
        self.missing, self.slow = missing, slow or {}
        self.replaced, self.headers = replaced or {}, headers or {}
        self.asked = []
        self.url = f"http://127.0.0.1:{self.server_port}/"
        if serve:
            threading.Thread(target=self.serve_forever, daemon=True).start()

    def handle_error(self, request, client_address):
        # A browser that leaves a page drops the files that it no longer needs.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)

    def stop(self):
        self.shutdown()
        self.server_close()


def page_weight(site):
    """The gzipped bytes of every file of the site that a first visit fetches, but its images."""
    total = 0
    for name in sorted(os.listdir(site)):
        if not name.endswith(IMAGES) and name not in NOT_FETCHED:
            with open(os.path.join(site, name), "rb") as file:
                total += len(gzip.compress(file.read(), 9))
    return total


if __name__ == "__main__":
    SITE, BUDGET = sys.argv[1], int(sys.argv[2])
    # An empty or half-built folder would weigh little: the program's code must be among it.
    if not os.path.exists(os.path.join(SITE, "quadrant.wasm")):
        sys.exit(f"no quadrant.wasm in {SITE}")
    WEIGHT = page_weight(SITE)
    print(f"the page: {WEIGHT} bytes gzipped, budget {BUDGET}")
    sys.exit(0 if WEIGHT <= BUDGET else 1)
