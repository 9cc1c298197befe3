#!/usr/bin/env bash
# Builds the program and passes the core's tests and the Qt suites inside a Debian 11 chroot:
# GCC 10.2 (no floating-point <charconv>), CMake 3.18, Qt 5.15.2, the oldest tools the README
# names. The chroot is made once with debootstrap, from the Debian archive that this machine's own
# apt sources name (FLOORS_MIRROR to choose another), and kept for the next run; the sources are
# copied in and built afresh each time, without naming a Qt: CMake must find Qt 5 by itself
# where there is no Qt 6. Needs root.
# Usage: run.sh FOLDER JOBS
set -euo pipefail

folder=$(realpath -m "$1")
jobs=$2
source_dir=$(realpath "$(dirname "$0")/../..")
chroot_dir=$folder/bullseye
packages=g++,cmake,make,pkg-config,qtbase5-dev,qttranslations5-l10n,libgtest-dev,locales,librsvg2-bin,fonts-dejavu-core

[ "$(id -u)" -eq 0 ] || { echo "test-floors makes and enters a chroot: run it as root" >&2; exit 1; }

# The first archive of Debian itself (not its security archive) in the system's apt sources.
mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
          2>/dev/null |
        awk '/^deb[ \t]/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; break } }
             /^URIs:/ { for (i = 2; i <= NF; i++) print $i }' |
        grep -E '/debian/?$' | head -n 1 || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

if [ ! -e "$chroot_dir/.complete" ]; then
  rm -rf "$chroot_dir"
  mkdir -p "$folder"
  url=${FLOORS_MIRROR:-$(mirror)}
  echo "Making a Debian 11 chroot in $chroot_dir from $url"
  debootstrap --variant=minbase --include="$packages" bullseye "$chroot_dir" "$url"
  touch "$chroot_dir/.complete"
fi

# /proc and /dev for the tests; let go of both however the run ends, before anything else.
mounted=()
unmount() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || true; done
}
trap unmount EXIT
mount -t proc proc "$chroot_dir/proc" && mounted+=("$chroot_dir/proc")
mount --bind /dev "$chroot_dir/dev" && mounted+=("$chroot_dir/dev")

# The working tree as it stands, committed or not, without what git ignores.
rm -rf "$chroot_dir/src" "$chroot_dir/build"
mkdir -p "$chroot_dir/src"
git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
  (cd "$source_dir" && tar --null --ignore-failed-read -T - -c) | tar -x -C "$chroot_dir/src"

chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  /bin/bash -euo pipefail -c "
    g++ --version | head -n 1; cmake --version | head -n 1; dpkg-query -W qtbase5-dev
    cmake -S /src -B /build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    grep -x 'QT_MAJOR_VERSION:STRING=5' /build/CMakeCache.txt
    cmake --build /build -j $jobs
    cd /build && ctest --output-on-failure -j $jobs -E '^end_to_end\$'"
