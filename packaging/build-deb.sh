#!/usr/bin/env bash
# Builds the Debian package with dpkg-buildpackage from a copy of the sources in OUT_DIR/dpkg, so
# that neither the build nor its results (which dpkg-buildpackage writes beside the source folder)
# touch the working tree. The .deb files are copied to OUT_DIR.
# Usage: build-deb.sh OUT_DIR [JOBS]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
jobs=${2:-$(nproc)}
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
work=$out/dpkg
source=$work/quadrant-$version

rm -rf "$work"
mkdir -p "$source"
# The files of the project as they are now, committed or not, but not OUT_DIR; without git, all
# but the build folders.
if git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$top" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
      if [ -e "$top/$file" ] && [[ "$top/$file" != "$out"/* ]]; then printf '%s\0' "$file"; fi
    done |
    tar -C "$top" --null -T - -cf - | tar -C "$source" -xf -
else
  tar -C "$top" --exclude-vcs --exclude='./build*' --exclude='./obj-*' -cf - . |
    tar -C "$source" -xf -
fi

(cd "$source" &&
  DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -b -us -uc)
cp "$work"/*.deb "$out"/
echo "build-deb: $(cd "$out" && ls quadrant*_"$version"_*.deb | tr '\n' ' ')in $out"
