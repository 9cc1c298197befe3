#!/usr/bin/env bash
# Builds the release of the last commit twice, in two clones at paths of different names and
# depths, at different times, under different time zones, locales and umasks, and compares what
# each put into dist/. Where files differ, diffoscope shows where.
#   release-check.sh [WORK_DIR]     (run from the top of the project)
set -euo pipefail

top=$(pwd)
work=$(realpath -m "${1:-$(mktemp -d)}")
rm -rf "$work/one" "$work/second"
first=$work/one
second=$work/second/build/of/quadrant
git clone --quiet --no-local "$top" "$first"
git clone --quiet --no-local "$top" "$second"
# Both build the Debian 11 package in this checkout's chroot, made once.
export FLOORS_DIR=${FLOORS_DIR:-$top/build-floors}

# One after the other, so minutes apart.
(cd "$first" && export TZ=America/New_York LANG=C && umask 002 &&
  make --no-print-directory release DIST_DIR=dist >"$work/one.log" 2>&1) ||
  { tail -n 30 "$work/one.log"; exit 1; }
(cd "$second" && export TZ=Asia/Kamchatka LANG=ru_RU.UTF-8 && umask 077 &&
  make --no-print-directory release DIST_DIR=dist >"$work/second.log" 2>&1) ||
  { tail -n 30 "$work/second.log"; exit 1; }

status=0
for file in "$first"/dist/*; do
  name=$(basename "$file")
  if cmp -s "$file" "$second/dist/$name"; then
    echo "same:    $name"
  else
    echo "DIFFERS: $name"
    diffoscope --text "$work/$name.diff" "$file" "$second/dist/$name" >/dev/null || true
    head -n 40 "$work/$name.diff" || true
    status=1
  fi
done
[ "$(ls "$first/dist")" = "$(ls "$second/dist")" ] || { echo "the two dist/ hold other files"; status=1; }
echo "release check: $([ $status -eq 0 ] && echo "both builds are identical" || echo "the builds differ"); logs in $work"
exit $status
