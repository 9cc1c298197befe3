#!/usr/bin/env bash
# Runs the end-to-end test of quadrant.exe under Wine: a display of its own with a window manager
# (x-session.sh) and a Russian keyboard layout, and a Wine session of its own on that display.
# Wine's desktop process stays on the display of the session's first window, so the session
# starts after the display and ends before it. WINEPREFIX comes from the environment.
# Usage: run-e2e.sh PROGRAM PROBE SCREENSHOT_DIR [short]
set -euo pipefail

here=$(dirname "$(realpath "$0")")
source "$here/../e2e/x-session.sh"

# Wine reads the keyboard layout when a process starts: the layout of a Russian user, under which
# Alt+П reaches the access key.
setxkbmap ru

# Every Wine process of the test under the same locale, since Wine rewrites the prefix's regional
# settings to the locale of each process it starts.
export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
before_display_ends+=("$here/wine-session.sh stop")
"$here/wine-session.sh" start
python3 "$here/e2e_test.py" "$@"
