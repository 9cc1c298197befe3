#!/usr/bin/env bash
# Signs a Windows program, installer or MSI with Authenticode where a key is given, twice: SHA-1
# first, the only one that Windows 7 without its SHA-2 updates can check, then a SHA-256
# signature nested in it for every later Windows. The key is given so:
# QUADRANT_SIGN_PKCS12 names a PKCS#12 file and QUADRANT_SIGN_PASSWORD_FILE the file holding its
# password; QUADRANT_SIGN_TIMESTAMP_URL, where set, an RFC 3161 time-stamping service. Where no
# key is given, the file stays unsigned. Neither the password nor the key is ever printed.
#   sign.sh IN OUT NAME     (IN and OUT may be the same file; NAME is the product's)
set -euo pipefail

in=$1
out=$2
name=$3
if [ -z "${QUADRANT_SIGN_PKCS12:-}" ]; then
  [ "$in" -ef "$out" ] || cp "$in" "$out"
  exit 0
fi
[ -n "${QUADRANT_SIGN_PASSWORD_FILE:-}" ] ||
  { echo "sign.sh: QUADRANT_SIGN_PKCS12 is set, QUADRANT_SIGN_PASSWORD_FILE is not" >&2; exit 1; }

options=(-pkcs12 "$QUADRANT_SIGN_PKCS12" -readpass "$QUADRANT_SIGN_PASSWORD_FILE" -n "$name")
[ -z "${QUADRANT_SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$QUADRANT_SIGN_TIMESTAMP_URL")
# osslsigncode writes only a file that is not there yet.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
osslsigncode sign "${options[@]}" -h sha1 -in "$in" -out "$work/sha1" >/dev/null
osslsigncode sign "${options[@]}" -h sha256 -nest -in "$work/sha1" -out "$work/signed" >/dev/null
chmod 644 "$work/signed"
mv "$work/signed" "$out"
