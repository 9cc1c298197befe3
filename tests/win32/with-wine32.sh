#!/usr/bin/env bash
# Runs a command under 32-bit Wine: the system's own (wine32:i386, installed here) where this
# machine runs 32-bit x86 code and it can be installed; elsewhere in a Debian 12 chroot with Wine
# 32 and 64, whose 32-bit programs qemu-i386 runs where the machine cannot (a hypervisor that
# refuses them, as this project's CI machines have done, and where wine32 would stop 64-bit Wine
# too). The chroot is made once in FOLDER by
# scripts/debian-chroot.sh, and kept; qemu 10 comes from Debian 13, since Debian 12's qemu 7.2
# takes minutes to start each 32-bit Wine process. The emulator is registered in the binfmt_misc
# of the chroot's private user namespace only, so nothing on the machine changes. The command runs
# in the working directory, which is mounted at the same path. Needs root, or sudo for the
# system's wine32.
# Usage: with-wine32.sh FOLDER COMMAND...
set -euo pipefail

here=$(dirname "$(realpath "$0")")
folder=$(realpath -m "$1")
shift
emulator=(--binfmt-i386 /opt/qemu/usr/bin/qemu-i386)
if "$here/can-run-32-bit.sh" 2>/dev/null; then
  "$here/../../scripts/install-debian-packages.sh" wine32:i386 && exec "$@"
  # Its i386 packages must match the installed amd64 ones, which a security archive in mid-sync
  # may not offer: the chroot, of the main archive alone, can still have them.
  echo "with-wine32.sh: the system's 32-bit Wine could not be installed (above): the Debian 12" \
    "chroot runs the command instead" >&2
  emulator=()
fi
chroot_maker=$here/../../scripts/debian-chroot.sh
root=$folder/bookworm
# What the Windows suite and the package tests use, besides Wine.
packages=wine,wine64,wine32:i386,cmake,python3,locales,xvfb,openbox,xdotool,x11-xkb-utils
packages+=,x11-utils,imagemagick,fonts-dejavu-core,msitools,binutils-mingw-w64-x86-64
# qemu-user of Debian 13, unpacked beside the system (the rest of the chroot stays Debian 12's).
setup='
  mirror=$(sed -n "s/^deb \([^ ]*\) bookworm main.*/\1/p" /etc/apt/sources.list | head -n 1)
  echo "deb $mirror trixie main" >/etc/apt/trixie.list
  trixie=(-o Dir::Etc::SourceList=/etc/apt/trixie.list -o Dir::Etc::SourceParts=/dev/null
          -o Dir::State::Lists=/var/lib/apt/trixie-lists -o APT::Sandbox::User=root)
  mkdir -p /var/lib/apt/trixie-lists/partial
  apt-get "${trixie[@]}" update -q
  cd /tmp && apt-get "${trixie[@]}" download qemu-user
  dpkg-deb -x qemu-user_*.deb /opt/qemu && rm qemu-user_*.deb
  /opt/qemu/usr/bin/qemu-i386 --version | head -n 1'
"$chroot_maker" make "$root" bookworm "$packages" "$setup" --architectures=amd64,i386

# Where this machine runs 32-bit code itself, no emulator is needed.
exec "$chroot_maker" run ${emulator[@]+"${emulator[@]}"} --bind "$PWD" "$root" "$@"
