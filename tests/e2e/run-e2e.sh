#!/usr/bin/env bash
# Runs the end-to-end test against the real program: a display of its own (Xvfb) with a window
# manager (openbox), and a D-Bus session of its own that carries the accessibility bus.
# Usage: run-e2e.sh PROGRAM SCREENSHOT_DIR
set -euo pipefail

program=$(realpath "$1")
shots=$2
here=$(dirname "$(realpath "$0")")
mkdir -p "$shots"
work=$(mktemp -d)
pids=()
cleanup() {
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

# Give the access key's letter a key of its own before the program starts, as a Russian layout
# does. Otherwise xdotool remaps a key just before pressing it, and the program may read the press
# with the old keymap.
spare=$(xmodmap -pke | awk 'NF == 3 { code = $2 } END { print code }')
xmodmap -e "keycode $spare = Cyrillic_pe Cyrillic_PE"

export QT_QPA_PLATFORM=xcb
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export NO_AT_BRIDGE=0
dbus-run-session -- /usr/bin/python3 "$here/e2e_test.py" "$program" "$shots"
