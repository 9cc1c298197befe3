#!/usr/bin/env bash
# Builds the Debian package with dpkg-buildpackage from a copy of the sources in OUT_DIR/dpkg, so
# that neither the build nor its results (which dpkg-buildpackage writes beside the source folder)
# touch the working tree. The .deb files are copied to OUT_DIR.
# DEB_VERSION_SUFFIX=~deb11 makes the package for Debian 11 (against Qt 5.15): the copy's changelog
# gains an entry of that version, which sorts below the changelog's own, dated a second after it.
# Usage: build-deb.sh OUT_DIR [JOBS]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
jobs=${2:-$(nproc)}
suffix=${DEB_VERSION_SUFFIX:-}
case $suffix in
  '' | '~deb11') ;;
  *) echo "build-deb: DEB_VERSION_SUFFIX may be empty or ~deb11, not $suffix" >&2; exit 1 ;;
esac
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)$suffix
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

if [ -n "$suffix" ]; then
  changelog=$source/debian/changelog
  { echo "quadrant ($version) $(dpkg-parsechangelog -l "$changelog" -S Distribution);" \
      "urgency=medium"
    echo
    echo "  * Built for Debian 11 and the systems of its generation, against Qt 5.15."
    echo
    echo " -- $(dpkg-parsechangelog -l "$changelog" -S Maintainer)  $(LC_ALL=C date -u -R \
      -d "@$(($(dpkg-parsechangelog -l "$changelog" -S Timestamp) + 1))")"
    echo
    cat "$changelog"
  } >"$changelog.new"
  mv "$changelog.new" "$changelog"
fi

(cd "$source" &&
  DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -b -us -uc)
cp "$work"/*.deb "$out"/
echo "build-deb: $(cd "$out" && ls quadrant*_"$version"_*.deb | tr '\n' ' ')in $out"
