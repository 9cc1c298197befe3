#!/bin/sh
# The Qt that the Makefile builds with where none is named: 6, or 5 (5.15) where the system has no
# Qt 6 to offer, as Debian 11. An installed Qt, or else what apt's package lists offer, decides;
# without lists (a new chroot or container, before its first `apt-get update`), the release named
# in /etc/os-release.
installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]; }
offered() { apt-cache show "$1" >/dev/null 2>&1; }

if installed qt6-base-dev || offered qt6-base-dev; then
  echo 6
elif installed qtbase5-dev || offered qtbase5-dev; then
  echo 5
else
  ID= VERSION_ID=
  . /etc/os-release 2>/dev/null || true
  case $ID:$VERSION_ID in
    debian:11) echo 5 ;;
    *) echo 6 ;;
  esac
fi
