#!/usr/bin/env bash
# Start-up of quadrant against bare_window, a window with the same three controls and nothing
# else: the time from exec until the window is mapped, and the peak resident memory, on an Xvfb
# display of its own without a window manager. The two programs alternate, RUNS starts each
# after one warm-up start, and the medians and their ratios are printed.
#
#   bench/startup.sh BUILD_DIR [RUNS [WINDOWS_BUILD_DIR]]
#
# Both build folders are configured with -DQUADRANT_BENCH=ON; BUILD_DIR gives the probe. With
# WINDOWS_BUILD_DIR, quadrant.exe runs against bare_window.exe under Wine, in a Wine session of
# its own on that display, started beforehand so that Wine's own start-up does not count.
set -euo pipefail

build=${1:?usage: bench/startup.sh BUILD_DIR [RUNS [WINDOWS_BUILD_DIR]]}
runs=${2:-15}
windows=${3:-}
settle_ms=300  # after the map, so that the first paint counts in the peak memory
target=1.10
probe=$build/bench/startup_probe
names=(quadrant bare_window)
if [ -n "$windows" ]; then
  launcher=(wine)
  declare -A programs=([quadrant]=$windows/app/win32/quadrant.exe
                       [bare_window]=$windows/bench/bare_window.exe)
else
  launcher=()
  declare -A programs=([quadrant]=$build/app/qt/quadrant [bare_window]=$build/bench/bare_window)
fi
for file in "$probe" "${programs[@]}"; do
  [ -x "$file" ] || { echo "missing $file: build with -DQUADRANT_BENCH=ON" >&2; exit 1; }
done
wine_session=$(dirname "$(realpath "$0")")/../tests/win32/wine-session.sh

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$windows" ] && "$wine_session" stop
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to the descriptor given.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

if [ -n "$windows" ]; then
  export WINEPREFIX=$(realpath "$windows")/wineprefix-bench WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  "$wine_session" start
fi

start() {
  "$probe" "$settle_ms" "${launcher[@]}" "${programs[$1]}" >>"$work/$1" 2>>"$work/$1.log"
}

for name in "${names[@]}"; do start "$name" && : >"$work/$name"; done  # warm-up, not counted
for run in $(seq "$runs"); do
  # Alternate which goes first, so that neither always follows the other.
  if ((run % 2)); then order=("${names[@]}"); else order=("${names[1]}" "${names[0]}"); fi
  for name in "${order[@]}"; do start "$name"; done
done

median() {  # column $2 of file $1
  sort -n -k"$2,$2" "$1" | awk -v c="$2" '{v[NR] = $c} END {
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "Start-up under Xvfb, $runs runs each, alternated (display $DISPLAY)"
printf '  %-12s %14s %18s\n' program "map (ms)" "peak RSS (KiB)"
declare -A map rss
for name in "${names[@]}"; do
  map[$name]=$(median "$work/$name" 1)
  rss[$name]=$(median "$work/$name" 2)
  printf '  %-12s %14.1f %18.0f\n' "$name" "${map[$name]}" "${rss[$name]}"
done
awk -v qm="${map[quadrant]}" -v bm="${map[bare_window]}" -v qr="${rss[quadrant]}" \
  -v br="${rss[bare_window]}" -v t="$target" 'BEGIN {
    m = qm / bm; r = qr / br
    printf "Ratios quadrant / bare_window (target: at most %.2f)\n", t
    printf "  time to map    %5.2f  %s\n", m, (m <= t ? "within target" : "OVER TARGET")
    printf "  peak memory    %5.2f  %s\n", r, (r <= t ? "within target" : "OVER TARGET")
  }'
if [ -n "$windows" ]; then
  size_target=$((512 * 1024))
  echo "Stripped size (target for quadrant.exe: at most $size_target bytes)"
  for name in "${names[@]}"; do
    x86_64-w64-mingw32-strip -o "$work/$name.exe" "${programs[$name]}"
    size=$(stat -c %s "$work/$name.exe")
    printf '  %-12s %10d bytes\n' "$name" "$size"
  done
fi
