#!/usr/bin/env bash
# Runs the end-to-end test against the real program: a display of its own with a window manager
# (x-session.sh), and a D-Bus session of its own that carries the accessibility bus.
# Usage: run-e2e.sh PROGRAM DESKTOP_ENTRY SCREENSHOT_DIR
set -euo pipefail

program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
mkdir -p "$3"
source "$here/x-session.sh"

# Give the access key's letter a key of its own before the program starts, as a Russian layout
# does. Otherwise xdotool remaps a key just before pressing it, and the program may read the press
# with the old keymap.
spare=$(xmodmap -pke | awk 'NF == 3 { code = $2 } END { print code }')
xmodmap -e "keycode $spare = Cyrillic_pe Cyrillic_PE"

export QT_QPA_PLATFORM=xcb
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export NO_AT_BRIDGE=0
dbus-run-session -- /usr/bin/python3 "$here/e2e_test.py" "$program" "$2" "$3"
