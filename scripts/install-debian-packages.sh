#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing, through apt-get, as root or with
# sudo. Does nothing when all are installed, so it is cheap to run before every build.
set -euo pipefail

missing=()
for package in "$@"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "These packages are needed but apt-get is not available here: ${missing[*]}" >&2
  echo "Install their equivalents with this system's package manager, then run make again." >&2
  exit 1
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "These packages are needed: ${missing[*]}" >&2
  echo "Installing them takes root: run make as root, or install sudo." >&2
  exit 1
fi

echo "Installing Debian packages: ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}"
