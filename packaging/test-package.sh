#!/usr/bin/env bash
# Installs the Debian package on this machine, checks what it put in place and that the program
# starts, then removes it and checks that everything is gone. Needs root (or sudo).
set -euo pipefail

deb=$(realpath "$1")
version=$2
app_id=invalid.quadrant.quadrant
installed=(
  /usr/bin/quadrant
  /usr/share/applications/$app_id.desktop
  /usr/share/metainfo/$app_id.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/$app_id.svg
  /usr/share/man/man1/quadrant.1
  /usr/share/man/ru/man1/quadrant.1
)
for size in 16 32 48 64 128 256; do
  installed+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

fail() { echo "package test: $*" >&2; exit 1; }

"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
[ "$(dpkg-query -W -f='${Version}' quadrant)" = "$version" ] || fail "installed version is not $version"
for file in "${installed[@]}"; do [ -f "$file" ] || fail "$file was not installed"; done
desktop-file-validate /usr/share/applications/$app_id.desktop || fail "invalid desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/$app_id.metainfo.xml || fail "invalid metainfo"

# The installed program must start and keep running until it is stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/quadrant 2>/dev/null || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended with status $status on its own"

"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quadrant >/dev/null
dpkg-query -W -f='${db:Status-Status}' quadrant 2>/dev/null | grep -qx installed &&
  fail "the package is still installed"
for file in "${installed[@]}"; do [ ! -e "$file" ] || fail "$file is left after removal"; done
echo "package test: $(basename "$deb") installed, started and removed cleanly"
