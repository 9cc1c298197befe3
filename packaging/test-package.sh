#!/usr/bin/env bash
# Checks the Debian package that dpkg-buildpackage made: lintian first, then installs it on this
# machine, checks what it put in place with the tools that read those files, that the program
# starts and passes the end-to-end run (tests/e2e), removes it and checks that nothing of it is
# left. The package's version is the project's, or the project's with ~deb11 for Debian 11's.
# Needs root (or sudo).
# Usage: test-package.sh CHANGES_FILE
set -euo pipefail

changes=$(realpath "$1")
version=$(sed -n 's/^Version: //p' "$changes")
upstream=${version%\~deb11}
top=$(realpath "$(dirname "$0")/..")
deb=$(dirname "$changes")/quadrant_${version}_$(dpkg --print-architecture).deb
app_id=invalid.quadrant.quadrant
share=/usr/share
installed=(
  /usr/bin/quadrant
  "$share/applications/$app_id.desktop"
  "$share/metainfo/$app_id.metainfo.xml"
  "$share/icons/hicolor/scalable/apps/$app_id.svg"
  "$share/man/man1/quadrant.1.gz"
  "$share/man/ru/man1/quadrant.1.gz"
  "$share/doc/quadrant/copyright"
)
for size in 16 32 48 64 128 256; do
  installed+=("$share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

fail() { echo "package test: $*" >&2; exit 1; }

# Errors and warnings fail; informational tags are shown and stay.
lintian --fail-on error,warning --display-info "$changes" || fail "lintian found errors or warnings"

is_installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' quadrant 2>/dev/null)" = installed ]; }
remove() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quadrant >/dev/null
}
# An installed quadrant would keep apt-get from installing this one; it is not ours to remove.
! is_installed || fail "quadrant is installed on this machine already: remove it first"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
# A failed check leaves the machine as it found it.
trap remove EXIT
[ "$(dpkg-query -W -f='${Version}' quadrant)" = "$version" ] || fail "installed version is not $version"
for file in "${installed[@]}"; do [ -f "$file" ] || fail "$file was not installed"; done
mapfile -t files < <(dpkg-query -L quadrant |
  while read -r path; do [ -d "$path" ] || echo "$path"; done)

desktop-file-validate "$share/applications/$app_id.desktop" || fail "invalid desktop entry"
# Of AppStream's warnings, only the one for the homepage that the project lacks (AppStream 1.0, as
# in Debian 13) is allowed; it is the one that debian/quadrant.lintian-overrides overrides.
if ! validation=$(appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" 2>&1); then
  echo "$validation"
  ! grep -E '^ *[EW]: ' <<<"$validation" | grep -qv ': url-homepage-missing$' &&
    grep -q ': url-homepage-missing$' <<<"$validation" || fail "invalid metainfo"
fi
program_strings=$(strings -el /usr/bin/quadrant)
# Wayland matches the window to its desktop entry by the name the program gives Qt.
grep -qx "$app_id" <<<"$program_strings" || fail "the program does not name $app_id"
# The version stands in debian/changelog, CMakeLists.txt, the metainfo and the manual pages.
grep -qx "$upstream" <<<"$program_strings" || fail "the program's version is not $upstream"
grep -qF "<release version=\"$upstream\"" "$share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo does not list the release $upstream"

# man finds both pages by name, and groff has nothing to say about either.
[ "$(man -w quadrant)" = "$share/man/man1/quadrant.1.gz" ] || fail "man does not find quadrant(1)"
[ "$(man -L ru -w quadrant)" = "$share/man/ru/man1/quadrant.1.gz" ] ||
  fail "man does not find the Russian quadrant(1)"
for page in "$share/man/man1/quadrant.1.gz" "$share/man/ru/man1/quadrant.1.gz"; do
  zgrep -qF "\"quadrant $upstream\"" "$page" || fail "$page is not of version $upstream"
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about $page: $warnings"
done

# Fortify Source is compiled in, but the only fortifiable calls, memcpy and memmove from std::string
# and Qt's containers, copy into buffers whose size is known only at run time, so none gets a
# check; and Debian 12's build flags do not add control-flow protection.
# Debian 13's hardening-check also asks for branch protection, which is arm64's (BTI and PAC):
# other architectures have none to find.
checks=(--nofortify --nocfprotection)
if [ "$(dpkg --print-architecture)" != arm64 ] &&
   grep -q -- --nobranchprotection <<<"$(hardening-check --help 2>&1 || true)"; then
  checks+=(--nobranchprotection)
fi
report=$(hardening-check "${checks[@]}" /usr/bin/quadrant) ||
  fail "the program lacks a hardening feature:"$'\n'"$report"
! grep -qE 'RPATH|RUNPATH' <<<"$(readelf -d /usr/bin/quadrant)" ||
  fail "the program carries a library search path"

# The installed program must start and keep running until it is stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/quadrant 2>/dev/null || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended with status $status on its own"
# And is driven as a user would, through its desktop entry's program.
shots=$(mktemp -d)
"$top/tests/e2e/run-e2e.sh" /usr/bin/quadrant "$share/applications/$app_id.desktop" "$shots" ||
  fail "the installed program failed the end-to-end run (screenshots in $shots)"
rm -rf "$shots"

trap - EXIT
remove
! is_installed || fail "the package is still installed"
for file in "${files[@]}"; do [ ! -e "$file" ] || fail "$file is left after removal"; done
echo "package test: $(basename "$deb") passed lintian, installed, started, passed the" \
  "end-to-end run and was removed cleanly"
