#!/usr/bin/env bash
# Builds every artefact of the current version from clean build folders and puts them into DIST:
# the Debian package and its debug symbols, the same for Debian 11 (built in the Debian 11 chroot
# of test-floors, made there on the first run; needs root), the Windows zips and MSIs of both
# widths, the per-user installer, the browser's site as a zip and the whole program in one HTML
# file; then SHA256SUMS over them, signed where a key is given (QUADRANT_GPG_KEY; the Windows files
# as sign.sh says), and a table of what is there.
#
# The same commit gives the same bytes: every time recorded is the last commit's, and the time
# zone, locale and umask of the caller do not reach the files.
#   release.sh DIST [MAKE]     (run from the top of the project; the tools are installed already)
set -euo pipefail

dist=$1
make=${2:-make}
# A release is made of a commit: its time is the one recorded, and it can be built again.
git diff --quiet HEAD && [ -z "$(git ls-files --others --exclude-standard)" ] ||
  { echo "release: commit or stash the changes first (git status)" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8
umask 022
version=$(sed -n 's/^project(quadrant VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=build-release

rm -rf "$build" "$build"-deb11 "$build"-windows "$build"-windows-x86 "$build"-web "$dist"
$make --no-print-directory package BUILD_DIR=$build
$make --no-print-directory package-deb11 BUILD_DIR=$build
$make --no-print-directory package-windows BUILD_DIR=$build
$make --no-print-directory package-web BUILD_DIR=$build

mkdir -p "$dist"
cp "$build"/quadrant_"$version"_amd64.deb "$build"/quadrant-dbgsym_"$version"_amd64.deb \
  "$build"-deb11/quadrant_"$version"~deb11_amd64.deb \
  "$build"-deb11/quadrant-dbgsym_"$version"~deb11_amd64.deb \
  "$build"-windows/quadrant-"$version"-win64.zip "$build"-windows/quadrant-"$version"-setup.exe \
  "$build"-windows/quadrant-"$version"-x64.msi "$build"-windows-x86/quadrant-"$version"-win32.zip \
  "$build"-windows-x86/quadrant-"$version"-x86.msi "$build"-web/quadrant-"$version"-web.zip "$dist"/
cp "$build"-web/quadrant.html "$dist"/quadrant-"$version".html
touch -d "@$SOURCE_DATE_EPOCH" "$dist"/*

cd "$dist"
sha256sum -- * >SHA256SUMS
if [ -n "${QUADRANT_GPG_KEY:-}" ]; then
  gpg --batch --yes --quiet --local-user "$QUADRANT_GPG_KEY" --armor --detach-sign SHA256SUMS
  signed="SHA256SUMS.asc (OpenPGP key $QUADRANT_GPG_KEY)"
else
  signed="no OpenPGP signature (QUADRANT_GPG_KEY is not set)"
fi
if [ -n "${QUADRANT_SIGN_PKCS12:-}" ]; then
  authenticode="the Windows files are signed with Authenticode"
else
  authenticode="the Windows files are unsigned (QUADRANT_SIGN_PKCS12 is not set)"
fi

echo
echo "Release $version in $dist:"
for file in *; do printf '  %-46s %10s bytes\n' "$file" "$(stat -c %s "$file")"; done
echo "Sums: SHA256SUMS; $signed; $authenticode."
