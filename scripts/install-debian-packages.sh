#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing, through apt-get, as root or with
# sudo. Does nothing when all are installed, so it is cheap to run before every build.
# Where dpkg or apt-get is absent (another distribution), it says what it could not check or
# install and goes on: the build then fails with CMake's own message if something is missing.
set -euo pipefail

if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "dpkg-query is not available here, so these Debian packages were not checked: $*" >&2
  echo "Going on; install their equivalents with this system's package manager if the build" \
    "reports something missing." >&2
  exit 0
fi

missing=()
for package in "$@"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "dpkg does not list these Debian packages and apt-get is not available to install them:" \
    "${missing[*]}" >&2
  echo "Going on; install their equivalents with this system's package manager if the build" \
    "reports something missing." >&2
  exit 0
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

# A package of another architecture (wine32:i386) needs that architecture added to dpkg first;
# the update below then fetches its lists.
for package in "${missing[@]}"; do
  arch=${package##*:}
  [ "$arch" != "$package" ] || continue
  [ "$arch" = "$(dpkg --print-architecture)" ] && continue
  dpkg --print-foreign-architectures | grep -qx "$arch" && continue
  echo "Adding the $arch architecture to dpkg"
  "${as_root[@]}" dpkg --add-architecture "$arch"
done

echo "Installing Debian packages: ${missing[*]}"
# Another install (a parallel make, the system's own updates) may hold dpkg's lock: wait for it.
wait_for_lock=(-o DPkg::Lock::Timeout=900)
"${as_root[@]}" apt-get "${wait_for_lock[@]}" update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get "${wait_for_lock[@]}" install -y -q --no-install-recommends "${missing[@]}"
