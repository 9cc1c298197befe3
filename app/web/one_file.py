"""Writes the one-file page: the built site's page with everything it loads inside it, to be opened
from any folder with no server and no network. Its styles are <style> elements; the shell runs
inline, marked data-inside, after the program's files, CARRIED, as script elements that never run
(the code as base64), whose ids are their names, which the shell reads at once; the icon is a
data: address.
What only a site needs goes: the manifest, the home-screen icon and the preloads. POLICY, with
SCRIPTS and STYLES replaced by the hashes of what runs, takes the place of the site's.
Usage: one_file.py SITE_DIR OUT POLICY CARRIED..."""

import base64
import hashlib
import os
import re
import sys

SITE, OUT, POLICY, CARRIED = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
LINK = re.compile(r'<link rel="([\w-]+)" href="([^"]+)"(?: type="([^"]+)")?[^>]*>')
SCRIPT = re.compile(r'<script src="([^"]+)"[^>]*></script>')
POLICY_META = re.compile(r'<meta http-equiv="Content-Security-Policy" content="[^"]*">')


def read(name, binary=False):
    with open(os.path.join(SITE, name), "rb" if binary else "r", encoding=None if binary
              else "utf-8") as file:
        return file.read()


def hashed(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def element(tag, text, attributes=""):
    """`text` as the raw text of a script or style element, which it must not be able to end."""
    if re.search(f"</{tag}|<!--", text, re.IGNORECASE):
        sys.exit(f"one_file: what goes into a <{tag}> would end it early")
    return f"<{tag}{attributes}>{text}</{tag}>"


def main():
    scripts, styles, lines = [], [], []
    for line in read("index.html").split("\n"):
        link, script = LINK.fullmatch(line), SCRIPT.fullmatch(line)
        if POLICY_META.fullmatch(line):
            policy_at = len(lines)
        elif link and link[1] in ("manifest", "apple-touch-icon", "preload"):
            continue
        elif link and link[1] == "icon":
            line = (f'<link rel="icon" href="data:{link[3]};base64,'
                    f'{base64.b64encode(read(link[2], True)).decode()}">')
        elif link and link[1] == "stylesheet":
            styles.append(hashed(css := read(link[2])))
            line = element("style", css)
        elif script:
            for name in CARRIED:
                if name.endswith(".wasm"):
                    lines.append(element("script", base64.b64encode(read(name, True)).decode(),
                                         f' type="application/octet-stream" id="{name}"'))
                else:
                    scripts.append(hashed(text := read(name)))
                    lines.append(element("script", text, f' type="text/plain" id="{name}"'))
            scripts.append(hashed(shell := read(script[1])))
            line = element("script", shell, " data-inside")
        elif re.search(r"<link|<script| src=", line):
            sys.exit(f"one_file: the page loads what this does not know how to carry: {line}")
        lines.append(line)
    policy = POLICY.replace("SCRIPTS", " ".join(scripts)).replace("STYLES", " ".join(styles))
    lines[policy_at] = f'<meta http-equiv="Content-Security-Policy" content="{policy}">'
    with open(OUT, "w", encoding="utf-8", newline="\n") as file:
        file.write("\n".join(lines))


if __name__ == "__main__":
    main()
