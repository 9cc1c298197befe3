#!/usr/bin/env bash
# Runs the release with a throwaway code-signing certificate and OpenPGP key, made in a temporary
# folder and gone afterwards, and checks every signature it made: the sums, the installer, the
# uninstaller it installs, the MSIs, and the programs in the zips.
#   test-release.sh DIST [MAKE]     (run from the top of the project)
set -euo pipefail

dist=$1
make=${2:-make}
top=$(pwd)
work=$(mktemp -d)
trap 'gpgconf --kill gpg-agent 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "release test: $*" >&2; exit 1; }

openssl rand -hex 24 >"$work/password"
openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj "/CN=quadrant release test" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" \
  -passout "file:$work/password" -out "$work/signing.p12"
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --quiet --passphrase '' --quick-gen-key 'quadrant release test <release@quadrant.invalid>' \
  ed25519 sign 2d

QUADRANT_SIGN_PKCS12=$work/signing.p12 QUADRANT_SIGN_PASSWORD_FILE=$work/password \
  QUADRANT_GPG_KEY=release@quadrant.invalid $make --no-print-directory release DIST_DIR="$dist"

cd "$dist"
# Neither the password nor a key, by name or by content.
! ls -A | grep -E '\.(p12|pem)$|password|gnupg' || fail "key material in $dist"
! grep -rqF -f "$work/password" . || fail "the password is in $dist"
! grep -rqF -e "$(sed -n 2p "$work/key.pem")" . || fail "the signing key is in $dist"
sha256sum --quiet -c SHA256SUMS || fail "the sums do not match"
version=$(sed -n 's/^project(quadrant VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
grep -q " quadrant-$version\.html$" SHA256SUMS || fail "SHA256SUMS leaves out the one-file page"
gpg --verify SHA256SUMS.asc SHA256SUMS 2>/dev/null || fail "SHA256SUMS.asc does not verify"

# Signed twice: SHA-1 for Windows 7 without its SHA-2 updates, and SHA-256 nested in it.
verify() {
  osslsigncode verify -CAfile "$work/certificate.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "$2 is not signed by the test certificate"; }
  digests=$(sed -n 's/^Message digest algorithm \+: //p' "$work/verify.log" | tr '\n' ' ')
  [ "$digests" = "SHA1 SHA256 " ] || fail "$2 is signed with $digests, not SHA1 then SHA256"
}
verify "quadrant-$version-setup.exe" "the installer"
mkdir "$work/zip"
for width in win64:x64 win32:x86; do
  verify "quadrant-$version-${width#*:}.msi" "the ${width#*:} MSI"
  (cd "$work/zip" && cmake -E tar xf "$OLDPWD/quadrant-$version-${width%:*}.zip")
  verify "$work/zip/quadrant-$version-${width%:*}/quadrant.exe" "the program in the ${width%:*} zip"
done

# The uninstaller as the installer holds it and writes it (the build keeps a copy; the package
# test compares the installed one with it): the installer is a 32-bit program, which not every
# machine that makes releases can run.
verify "$top/build-release-windows/packaging/windows/stage/uninstall.exe" "the uninstaller"
echo "release test: the sums and every signature verify"
