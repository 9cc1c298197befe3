#!/usr/bin/env bash
# Checks the Windows packages of the two build folders under Wine: what the portable zips hold,
# then the installer in a fresh Wine prefix of the width WINEARCH (win64 by default, or win32): a silent install, the files, the shortcut, the entry in the
# list of installed programs and the version resource, the installed program's window, a silent
# uninstall, and that nothing is left; the program installed is the 64-bit one in a 64-bit prefix
# and the 32-bit one in a 32-bit prefix. Every check reads the result: Wine reports success for
# an installer it could not even start.
# With "zips", the zips only, which need no Wine.
# Usage: test-installer.sh WINDOWS_BUILD_DIR WINDOWS_X86_BUILD_DIR [zips]
set -euo pipefail

build=$(realpath "$1")
build_x86=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
top=$here/../..
installer=$(echo "$build"/quadrant-*-setup.exe)
[ -f "$installer" ] || { echo "Windows package test: no one installer in $build" >&2; exit 1; }
version=${installer##*/quadrant-}
version=${version%-setup.exe}
shortcut_name="Положение точки.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\quadrant'

fail() { echo "Windows package test: $*" >&2; exit 1; }

# Each zip: the program of its width and the licence, in a folder of their own.
for width in win64:"$build":pei-x86-64 win32:"$build_x86":pei-i386; do
  IFS=: read -r name folder format <<<"$width"
  zip=$folder/quadrant-$version-$name.zip
  listing=$(cmake -E tar tf "$zip" | grep -v /$ | sort | tr "\n" " ")
  [ "$listing" = "quadrant-$version-$name/LICENSE.txt quadrant-$version-$name/quadrant.exe " ] ||
    fail "$(basename "$zip") holds $listing"
  unpacked=$(mktemp -d)
  (cd "$unpacked" && cmake -E tar xf "$zip")
  x86_64-w64-mingw32-objdump -f "$unpacked/quadrant-$version-$name/quadrant.exe" |
    grep -q "file format $format" || fail "the program in $(basename "$zip") is not $format"
  rm -rf "$unpacked"
done
if [ "${3:-}" = zips ]; then
  echo "Windows package test: the zips passed"
  exit 0
fi

export WINEARCH=${WINEARCH:-win64}
case $WINEARCH in
  win64) format=pei-x86-64 probe=$build/tests/probe.exe ;;
  win32) format=pei-i386 probe=$build_x86/tests/probe.exe ;;
  *) fail "WINEARCH is '$WINEARCH', not win64 or win32" ;;
esac
export WINEPREFIX=$build/wineprefix-install-$WINEARCH
source "$here/wine-desktop.sh"

programs=$(windows_folder LOCALAPPDATA)/Programs
installed=$programs/quadrant
shortcut=$(windows_folder APPDATA)/Microsoft/Windows/Start\ Menu/Programs/$shortcut_name
uninstall_entry() { registry_key "$key"; }

# Its pages name the program in «», so that the Russian sentences read right.
wine "$installer" &
setup=$!
wizard=$(wait_for_window "Установка «Положение точки»") || fail "the installer's title is not" \
  "'Установка «Положение точки»': $(xdotool search --onlyvisible --name . getwindowname %@)"
press_escape "$wizard" || fail "the installer's window takes no key"
wait "$setup" || true

wine "$installer" /S || true
for file in quadrant.exe LICENSE.txt uninstall.exe; do
  [ -f "$installed/$file" ] || fail "$installed/$file was not installed"
done
# The release's test checks the signature of the build's copy of the uninstaller.
cmp -s "$installed/uninstall.exe" "$build/packaging/windows/stage/uninstall.exe" ||
  fail "the installed uninstaller is not the one the build kept"
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
x86_64-w64-mingw32-objdump -f "$installed/quadrant.exe" | grep -q "file format $format" ||
  fail "the installer put a program other than $format into a $WINEARCH prefix"
entry=$(uninstall_entry) || fail "no entry in the list of installed programs"
for value in '"DisplayName"="Положение точки"' "\"DisplayVersion\"=\"$version\"" \
  '"Publisher"="The quadrant authors"' '"UninstallString"="\"C:\\users\\'; do
  grep -qF "$value" <<<"$entry" || fail "the entry lacks $value: $entry"
done
resource=$(echo "version $(winepath -w "$installed/quadrant.exe")" | wine "$probe")
echo "version resource: $resource"
grep -qF "|FileVersion=$version|ProductVersion=$version|" <<<"$resource" ||
  fail "the version resource reads $resource"

# The installed program starts and maps its window; Escape ends it.
wine "$installed/quadrant.exe" &
program=$!
window=$(wait_for_window Form1) || fail "the installed program shows no window"
press_escape "$window" || fail "the installed program's window takes no key"
wait "$program" || fail "the installed program ended with status $?"

# The uninstaller copies itself away and returns at once: wait for what it removes.
wine "$installed/uninstall.exe" /S || true
for _ in $(seq 200); do [ -e "$installed" ] || break; sleep 0.1; done
[ ! -e "$installed" ] || fail "$installed is left after uninstalling: $(ls "$installed")"
[ ! -e "$shortcut" ] || fail "the shortcut is left after uninstalling"
! uninstall_entry >/dev/null || fail "the entry in the list of installed programs is left"
echo "Windows package test: the zips, and $(basename "$installer") in a $WINEARCH prefix, passed"
