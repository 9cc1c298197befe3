#!/usr/bin/env bash
# Installs the Debian package on this machine, checks what it put in place and that the program
# starts, then removes it and checks that everything is gone. Needs root (or sudo).
set -euo pipefail

deb=$(realpath "$1")
version=$2
installed=(
  /usr/bin/quadrant
  /usr/share/applications/quadrant.desktop
  /usr/share/icons/hicolor/scalable/apps/quadrant.svg
  /usr/share/icons/hicolor/16x16/apps/quadrant.png
  /usr/share/icons/hicolor/32x32/apps/quadrant.png
)
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

fail() { echo "package test: $*" >&2; exit 1; }

"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
[ "$(dpkg-query -W -f='${Version}' quadrant)" = "$version" ] || fail "installed version is not $version"
for file in "${installed[@]}"; do [ -f "$file" ] || fail "$file was not installed"; done
desktop-file-validate /usr/share/applications/quadrant.desktop || fail "invalid desktop entry"

# The installed program must start and keep running until it is stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/quadrant 2>/dev/null || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended with status $status on its own"

"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quadrant >/dev/null
dpkg-query -W -f='${db:Status-Status}' quadrant 2>/dev/null | grep -qx installed &&
  fail "the package is still installed"
for file in "${installed[@]}"; do [ ! -e "$file" ] || fail "$file is left after removal"; done
echo "package test: $(basename "$deb") installed, started and removed cleanly"
