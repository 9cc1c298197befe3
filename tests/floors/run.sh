#!/usr/bin/env bash
# Runs a command on a clean copy of the sources in a chroot of a Debian release: test-floors runs
# the README's `make test` there, in the oldest Debian that the README names (11: GCC 10.2,
# CMake 3.18.4, Qt 5.15.2) and the newest (13: GCC 14.2, CMake 3.31, Qt 6.8.2); package-deb11
# builds the Debian 11 package. The chroot is made once in FOLDER/SUITE (scripts/debian-chroot.sh)
# with nothing but apt and make, and kept: what the command needs, it installs there itself, as
# on a new machine. The sources are the working tree as it stands, committed or not, without what
# git ignores, copied afresh to /src, where the command starts. With --out DIR, the files that it
# leaves in /out are copied to DIR. SOURCE_DATE_EPOCH is passed on where it is set. Needs root.
# Usage: run.sh [--out DIR] FOLDER SUITE COMMAND...
set -euo pipefail

out=
if [ "${1:-}" = --out ]; then out=$(realpath -m "$2"); shift 2; fi
folder=$(realpath -m "$1")
suite=$2
shift 2
top=$(realpath "$(dirname "$0")/../..")
root=$folder/$suite

started=$(date +%s)
"$top/scripts/debian-chroot.sh" make "$root" "$suite" ""
made=$(date +%s)

rm -rf "$root/src" "$root/out"
mkdir -p "$root/src" "$root/out"
git -C "$top" ls-files -z --cached --others --exclude-standard |
  (cd "$top" && tar --null --ignore-failed-read -T - -c) | tar -x -C "$root/src"

status=0
"$top/scripts/debian-chroot.sh" run "$root" LANG=C.UTF-8 \
  ${SOURCE_DATE_EPOCH:+SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH} \
  bash -c 'cd /src && exec "$@"' run "$@" || status=$?
if [ -n "$out" ] && [ $status -eq 0 ]; then
  mkdir -p "$out"
  find "$root/out" -maxdepth 1 -type f -exec cp -p {} "$out/" \;
fi
echo "floors: Debian $suite: \`$*\` $([ $status -eq 0 ] && echo passed || echo "FAILED ($status)")" \
  "in $(($(date +%s) - made)) s (making the chroot: $((made - started)) s)"
exit $status
