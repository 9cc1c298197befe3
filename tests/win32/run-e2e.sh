#!/usr/bin/env bash
# Runs the end-to-end test of quadrant.exe under Wine: a display of its own (Xvfb) with a window
# manager (openbox) and a Russian keyboard layout, and a Wine session of its own on that display.
# Wine's desktop process stays on the display of the session's first window, so the session
# starts after the display and ends before it. WINEPREFIX comes from the environment.
# Usage: run-e2e.sh PROGRAM PROBE SCREENSHOT_DIR
set -euo pipefail

here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
pids=()
cleanup() {
  "$here/wine-session.sh" stop
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# A window mapped before the window manager runs is not given the focus.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

# Wine reads the keyboard layout when a process starts: the layout of a Russian user, under which
# Alt+П reaches the access key.
setxkbmap ru

# Every Wine process of the test under the same locale, since Wine rewrites the prefix's regional
# settings to the locale of each process it starts.
export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
"$here/wine-session.sh" start
python3 "$here/e2e_test.py" "$@"
