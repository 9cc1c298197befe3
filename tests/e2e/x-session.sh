# Sourced by the end-to-end runners: a display of the test's own (Xvfb) with a window manager
# (openbox), ready before any program maps a window. Ends both when the shell exits, after
# whatever the runner has put in the array `before_display_ends`.

x_session_work=$(mktemp -d)
x_session_pids=()
before_display_ends=()
end_x_session() {
  for command in "${before_display_ends[@]}"; do $command || true; done
  for pid in "${x_session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$x_session_work"
}
trap end_x_session EXIT

# Xvfb picks a free display and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$x_session_work/display" \
  2>"$x_session_work/xvfb.log" &
x_session_pids+=($!)
for _ in $(seq 100); do [ -s "$x_session_work/display" ] && break; sleep 0.1; done
[ -s "$x_session_work/display" ] || { cat "$x_session_work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$x_session_work/display")"

# A window mapped before the window manager has finished starting is not given the focus: it
# names the display its own only some time before, and runs the startup command after.
openbox --sm-disable --startup "touch $x_session_work/wm-ready" \
  >"$x_session_work/openbox.log" 2>&1 &
x_session_pids+=($!)
for _ in $(seq 100); do [ -e "$x_session_work/wm-ready" ] && break; sleep 0.1; done
[ -e "$x_session_work/wm-ready" ] || { cat "$x_session_work/openbox.log" >&2; exit 1; }

# Presses Escape in window $1 once it has the keyboard, waiting as the end-to-end tests do.
press_escape() { python3 "$(dirname "${BASH_SOURCE[0]}")/desktop.py" "$1" Escape; }
