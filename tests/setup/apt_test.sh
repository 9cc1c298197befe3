#!/usr/bin/env bash
# The set-up step (scripts/install-debian-packages.sh) where the network is imperfect, against apt
# sources of the test's own: a repository in a folder, holding a probe package; another whose index
# has been cut short since its release file was made, as a mirror in mid-sync serves it (apt fails
# the update); and one on a closed loopback port (apt only warns). The system's apt configuration,
# lists and cache are left alone. The rows that install change this machine (the probe is
# installed, then purged): they run as root where QUADRANT_TEST_INSTALLS=1 allows it (CI's
# machine), and are skipped (77) elsewhere.   apt_test.sh SCRIPT
set -uo pipefail
script=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A row: what, the exit status wanted (0, or 1 for any failure), the packages, the texts to be said.
row() {
  local what=$1 wanted=$2 packages=$3 output status missing=()
  shift 3
  output=$("$script" $packages 2>&1)
  status=$?
  for text in "$@"; do grep -qF -- "$text" <<<"$output" || missing+=("'$text'"); done
  (((status == 0) == (wanted == 0))) && [ ${#missing[@]} -eq 0 ] && return
  printf 'FAIL: %s: exit status %s, not saying %s in:\n%s\n' "$what" "$status" "${missing[*]}" \
    "$output"
  failures=$((failures + 1))
}

# Everything installed: apt is not run, which here would fail.
mkdir "$work/bin" && printf '#!/bin/sh\nexit 100\n' >"$work/bin/apt-get"
chmod +x "$work/bin/apt-get"
PATH=$work/bin:$PATH row "everything installed" 0 dpkg

if [ "$(id -u)" -ne 0 ] || [ "${QUADRANT_TEST_INSTALLS:-}" != 1 ]; then
  echo "Skipped the rows that install: they need root, and QUADRANT_TEST_INSTALLS=1 to allow a" \
    "probe package to be installed and purged on this machine."
  exit $((failures ? 1 : 77))
fi
trap 'dpkg --purge quadrant-apt-probe >/dev/null 2>&1; rm -rf "$work"' EXIT
cd "$work" && mkdir -p probe/DEBIAN good broken parts lists/partial cache/archives/partial
printf '%s\n' 'Package: quadrant-apt-probe' 'Version: 1.0' 'Architecture: all' \
  'Maintainer: quadrant <quadrant@invalid>' 'Description: probe' >probe/DEBIAN/control
for repository in good broken; do
  dpkg-deb --build --root-owner-group probe $repository/probe.deb >/dev/null
  (cd $repository && apt-ftparchive packages . >Packages && apt-ftparchive release . >Release)
  echo "deb [trusted=yes] file:$work/$repository ./"
done >sources.list
truncate --size=-9 broken/Packages
echo "deb [trusted=yes] http://127.0.0.1:9/ ./" >>sources.list
for setting in Etc::sourcelist=sources.list Etc::sourceparts=parts Etc::parts=parts \
  Etc::preferencesparts=parts State::lists=lists Cache=cache; do
  echo "Dir::${setting%%=*} \"$work/${setting#*=}\";"
done >apt.conf
echo 'APT::Sandbox::User "root";' >>apt.conf
export APT_CONFIG=$work/apt.conf
row "an index that fails, the package installable" 0 quadrant-apt-probe \
  "could not fetch every package index" "broken ./ Packages" "http://127.0.0.1:9 ./" "Going on"
row "a package that cannot be had" 1 "quadrant-apt-probe quadrant-no-such-package" \
  "could not install quadrant-no-such-package." "again later" "DEBIAN_MIRROR" \
  "Unable to locate package quadrant-no-such-package" "apt-get install quadrant-no-such-package"
exit $((failures ? 1 : 0))
