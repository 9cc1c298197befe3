#!/usr/bin/env bash
# Checks the Windows packages of a build folder under Wine: what the portable zip holds, then the
# installer in a fresh Wine prefix: a silent install, the files, the shortcut, the entry in the
# list of installed programs and the version resource, the installed program's window, a silent
# uninstall, and that nothing is left. Every check reads the result: Wine reports success for an
# installer it could not even start.
# Usage: test-installer.sh WINDOWS_BUILD_DIR
set -euo pipefail

build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
top=$here/../..
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
installer=$build/quadrant-$version-setup.exe
zip=$build/quadrant-$version-win64.zip
shortcut_name="Положение точки.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\quadrant'

fail() { echo "Windows package test: $*" >&2; exit 1; }

# The zip: the program and the licence, in a folder of their own.
listing=$(cmake -E tar tf "$zip" | grep -v /$ | sort | tr "\n" " ")
[ "$listing" = "quadrant-$version-win64/LICENSE.txt quadrant-$version-win64/quadrant.exe " ] ||
  fail "the zip holds $listing"

export WINEPREFIX=$build/wineprefix-install
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
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
entry=$(uninstall_entry) || fail "no entry in the list of installed programs"
for value in '"DisplayName"="Положение точки"' "\"DisplayVersion\"=\"$version\"" \
  '"Publisher"="The quadrant authors"' '"UninstallString"="\"C:\\users\\'; do
  grep -qF "$value" <<<"$entry" || fail "the entry lacks $value: $entry"
done
resource=$(echo "version $(winepath -w "$installed/quadrant.exe")" | wine "$build/tests/probe.exe")
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
echo "Windows package test: $(basename "$zip") and $(basename "$installer") passed"
