#!/usr/bin/env bash
# The Windows packages of the two build folders under Wine (test-installer.sh, test-msi.sh).
# x64: what 64-bit Wine alone can check: the zips, and the x64 MSI, which also replaces an older
#   version (one made here from the same program, numbered 0.9).
# wine32: with 32-bit Wine besides (see tests/win32/with-wine32.sh), the installer (a 32-bit
#   program) in prefixes of both widths, and the x86 MSI in both.
# Usage: test-packages.sh WINDOWS_BUILD_DIR WINDOWS_X86_BUILD_DIR x64|wine32
set -euo pipefail

build=$(realpath "$1")
build_x86=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
# The one package of that width in a build folder, whatever its version.
msi() {
  local found=("$1"/quadrant-*-"$2".msi)
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] ||
    { echo "test-packages: not one $2 MSI in $1: ${found[*]}" >&2; exit 1; }
  echo "${found[0]}"
}
case ${3:-} in
  x64)
    "$here/test-installer.sh" "$build" "$build_x86" zips
    stage=$build/packaging/windows/stage
    "$here/make-msi.sh" "$build/packaging/windows/quadrant.wxs" 0.9.0.0 "$stage/quadrant.exe" \
      "$build/app/win32/quadrant.ico" "$stage/LICENSE.txt" "$build/older-0.9.0.0-x64.msi"
    "$here/test-msi.sh" "$(msi "$build" x64)" "$build/older-0.9.0.0-x64.msi"
    ;;
  wine32)
    for arch in win64 win32; do
      WINEARCH=$arch "$here/test-installer.sh" "$build" "$build_x86"
      WINEARCH=$arch "$here/test-msi.sh" "$(msi "$build_x86" x86)"
    done
    ;;
  *) echo "usage: $0 WINDOWS_BUILD_DIR WINDOWS_X86_BUILD_DIR x64|wine32" >&2; exit 2 ;;
esac
