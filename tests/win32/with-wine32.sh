#!/usr/bin/env bash
# Runs a command under 32-bit Wine: the system's own (wine32:i386, installed here) where this
# machine runs 32-bit x86 code; elsewhere (a hypervisor that refuses it, as this project's CI
# machines do, and where wine32 would stop 64-bit Wine too) in a Debian 12 chroot with Wine 32
# and 64, whose 32-bit programs qemu-i386 runs. The chroot is made once in FOLDER with
# debootstrap, from the Debian archive that the system's apt sources name, and kept; qemu 10
# comes from Debian 13, since Debian 12's qemu 7.2 takes minutes to start each 32-bit Wine
# process. The emulator is registered in a binfmt_misc of a private user namespace only, so
# nothing on the machine changes. The command runs in the working directory, which is mounted at
# the same path. Needs root, or sudo for the system's wine32.
# Usage: with-wine32.sh FOLDER COMMAND...
set -euo pipefail

here=$(dirname "$(realpath "$0")")
folder=$(realpath -m "$1")
shift
if "$here/can-run-32-bit.sh" 2>/dev/null; then
  "$here/../../scripts/install-debian-packages.sh" wine32:i386
  exec "$@"
fi
"$here/../../scripts/install-debian-packages.sh" debootstrap
root=$folder/bookworm
# What the Windows suite and the package tests use, besides Wine.
packages=wine,wine64,cmake,python3,locales,xvfb,openbox,xdotool,x11-xkb-utils,x11-utils,imagemagick
packages+=,fonts-dejavu-core,msitools,binutils-mingw-w64-x86-64
in_chroot() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

[ "$(id -u)" -eq 0 ] || { echo "with-wine32.sh makes and enters a chroot: run it as root" >&2; exit 1; }

# The first archive of Debian itself (not its security archive) in the system's apt sources.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
           2>/dev/null |
         awk '/^deb[ \t]/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; break } }
              /^URIs:/ { for (i = 2; i <= NF; i++) print $i }' |
         grep -E '/debian/?$' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

if [ ! -e "$root/.complete" ]; then
  rm -rf "$root"
  mkdir -p "$folder"
  echo "Making a Debian 12 chroot with 32-bit Wine in $root from $mirror"
  debootstrap --variant=minbase --include="$packages" bookworm "$root" "$mirror"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  echo "deb $mirror trixie main" >"$root/etc/apt/trixie.list"
  in_chroot /bin/bash -euo pipefail -c "
    dpkg --add-architecture i386
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends wine32:i386
    trixie=(-o Dir::Etc::SourceList=/etc/apt/trixie.list -o Dir::Etc::SourceParts=/dev/null
            -o Dir::State::Lists=/var/lib/apt/trixie-lists)
    mkdir -p /var/lib/apt/trixie-lists/partial
    apt-get \"\${trixie[@]}\" update -q
    cd /tmp && apt-get \"\${trixie[@]}\" download qemu-user
    dpkg-deb -x qemu-user_*.deb /opt/qemu && rm qemu-user_*.deb
    /opt/qemu/usr/bin/qemu-i386 --version | head -n 1"
  echo "$packages" >"$root/.complete"
elif [ "$(cat "$root/.complete")" != "$packages" ]; then
  # A chroot made for an older list: what the list has gained.
  in_chroot /bin/bash -euo pipefail -c "apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ${packages//,/ }"
  echo "$packages" >"$root/.complete"
fi

# A private namespace: its binfmt_misc sends i386 ELF programs to qemu ('F': opened now, so that
# it serves inside the chroot), and its mounts end with it.
exec unshare --user --map-root-user --mount --fork -- /bin/bash -euo pipefail -c '
  root=$1 here=$2
  shift 2
  binfmt=$(mktemp -d)
  mount -t binfmt_misc binfmt_misc "$binfmt"
  printf "%s" ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$root/opt/qemu/usr/bin/qemu-i386:F" \
    >"$binfmt/register"
  mount --rbind /proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs tmpfs "$root/tmp"
  mkdir -p "$root$here"
  mount --rbind "$here" "$root$here"
  exec chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root /bin/bash -c "cd \"\$0\" && exec \"\$@\"" "$here" "$@"
' emulated "$root" "$PWD" "$@"
