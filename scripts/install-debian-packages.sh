#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing, through apt-get, as root or with
# sudo. Does nothing when all are installed, so it is cheap to run before every build and touches
# no network then. A package index that cannot be fetched is reported, not fatal; an install that
# fails says which packages, apt's reason and what to try, and exits non-zero.
# Where dpkg or apt-get is absent (another distribution), it says what it could not check or
# install and goes on: the build then fails with CMake's own message if something is missing.
set -euo pipefail

if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "dpkg-query is not available here, so these Debian packages were not checked: $*" >&2
  echo "Going on; install their equivalents with this system's package manager if the build" \
    "reports something missing." >&2
  exit 0
fi

is_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

missing=()
for package in "$@"; do
  is_installed "$package" || missing+=("$package")
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
# Another install (a parallel make, the system's own updates) may hold dpkg's lock: wait for it. A
# fetch that merely times out is tried again.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
apt_get() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=900 -o Acquire::Retries=3 "$@" 2>&1 | tee "$log"
}

# An index that cannot be fetched (a mirror in mid-sync, a proxy that has cached half of one) is
# no reason to stop: apt keeps the lists it had, or goes without that one, and what is needed may
# well be installable from the rest. The install decides. apt fails the update for an index that
# came wrong, and only warns of one that did not come at all: both are said.
missed_index=false
apt_get update -q && ! grep -q '^Err:' "$log" || missed_index=true
if $missed_index; then
  echo "install-debian-packages: apt-get update could not fetch every package index:" >&2
  grep -A1 '^Err:' "$log" | grep -v '^--$' | sed 's/^/  /' >&2 || true
  echo "Going on with the lists that were fetched." >&2
fi

installed=0
apt_get install -y -q --no-install-recommends "${missing[@]}" || installed=$?
[ "$installed" -eq 0 ] && exit 0

failed=()
for package in "${missing[@]}"; do
  is_installed "$package" || failed+=("$package")
done
[ ${#failed[@]} -gt 0 ] || failed=("${missing[@]}")
{
  echo
  echo "install-debian-packages: could not install ${failed[*]}."
  echo "apt-get said:"
  grep '^E:' "$log" | sed 's/^/  /' || echo "  nothing more (exit status $installed)"
  ! $missed_index || echo "Some package indexes could not be fetched (above), which may be why."
  echo "What to try:"
  echo "  - the same make command again later: a mirror in mid-sync is whole again within hours;"
  echo "  - another mirror: in /etc/apt/sources.list, and DEBIAN_MIRROR for the Debian chroots;"
  echo "  - installing them by hand: sudo apt-get install ${failed[*]}"
} >&2
exit "$installed"
