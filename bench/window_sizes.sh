#!/usr/bin/env bash
# The Qt window's size at the desktop's resolution (Xft.dpi) and font, as a pupil who sees poorly
# may set them: the program started on an Xvfb display of its own under the GTK platform theme
# (which reads the font from GTK's settings, as GNOME and other desktops set it), and its client
# area read back in screen pixels. A screenshot of each is left in SHOTS_DIR where one is given.
#
#   bench/window_sizes.sh PROGRAM [SHOTS_DIR]
set -euo pipefail

program=$(realpath "$1")
shots=${2:-}
source "$(dirname "$(realpath "$0")")/../tests/e2e/x-session.sh"
export XDG_CONFIG_HOME=$x_session_work/config QT_QPA_PLATFORMTHEME=gtk3
mkdir -p "$XDG_CONFIG_HOME/gtk-3.0" ${shots:+"$shots"}

printf '%-8s %-6s %s\n' Xft.dpi font "client area"
for dpi in 96 144 192 288; do
  echo "Xft.dpi: $dpi" | xrdb -override
  for points in 9 12 18 24; do
    printf '[Settings]\ngtk-font-name=DejaVu Sans %s\n' "$points" \
      >"$XDG_CONFIG_HOME/gtk-3.0/settings.ini"
    "$program" 2>/dev/null &
    window=$(xdotool search --sync --onlyvisible --pid $! --name '^Form1$' | head -n 1)
    sleep 0.5  # laid out once its font has come
    size=$(xwininfo -id "$window" |
           awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    printf '%-8s %-6s %s\n' "$dpi" "$points pt" "$size"
    [ -z "$shots" ] || import -window "$window" "$shots/window-$dpi-dpi-$points-pt.png"
    kill $! && wait $! 2>/dev/null || true
  done
done
