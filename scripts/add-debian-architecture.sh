#!/usr/bin/env bash
# Lets dpkg install the packages of another architecture (i386 for 32-bit Wine), as root or with
# sudo; does nothing where it may already, or where there is no dpkg. The next install of a
# missing package updates apt's lists, which then hold that architecture's packages.
#   add-debian-architecture.sh ARCH
set -euo pipefail

arch=$1
command -v dpkg >/dev/null 2>&1 || exit 0
[ "$(dpkg --print-architecture)" = "$arch" ] && exit 0
dpkg --print-foreign-architectures | grep -qx "$arch" && exit 0
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Adding the $arch architecture to dpkg takes root: run make as root, or install sudo." >&2
  exit 1
fi
echo "Adding the $arch architecture to dpkg"
"${as_root[@]}" dpkg --add-architecture "$arch"
