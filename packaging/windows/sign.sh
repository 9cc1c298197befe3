#!/usr/bin/env bash
# Signs a Windows program, installer or MSI with Authenticode (SHA-256) where a key is given:
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

options=(-pkcs12 "$QUADRANT_SIGN_PKCS12" -readpass "$QUADRANT_SIGN_PASSWORD_FILE" -h sha256
         -n "$name")
[ -z "${QUADRANT_SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$QUADRANT_SIGN_TIMESTAMP_URL")
# osslsigncode writes only a file that is not there yet.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
osslsigncode sign "${options[@]}" -in "$in" -out "$work/signed" >/dev/null
chmod 644 "$work/signed"
mv "$work/signed" "$out"
