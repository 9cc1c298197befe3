#!/usr/bin/env bash
# Checks the Windows Installer package of quadrant: first what its tables say (the Russian names
# above all, which wixl alone leaves empty), then under Wine, in a fresh prefix of its own, a
# silent install, the files, the Start-menu shortcut, the entry in the list of installed programs
# and its icon, the installed program's window, a silent uninstall, and that nothing is left.
# Given the package of an older version too (older in its first three parts, the only ones that
# Windows Installer compares), installs that first, checks that MSI replaces it, and that it
# cannot come back over MSI.
# Every check reads the result: Wine's msiexec reports success for what it did not install.
# A 32-bit package (x86) installs into the 32-bit Program Files and registry view of a 64-bit
# prefix. WINEARCH (win64 by default) is the prefix's width.
# Usage: test-msi.sh MSI [OLDER_MSI]
set -euo pipefail

msi=$(realpath "$1")
older=${2:+$(realpath "$2")}
here=$(dirname "$(realpath "$0")")
top=$here/../..
name="Положение точки"
publisher="The quadrant authors"

fail() { echo "MSI test: $*" >&2; exit 1; }

# The package's tables as msiinfo reads them: in the package's code page, turned into UTF-8.
table() { msiinfo export "$msi" "$1" | tr -d '\r'; }
codepage=$(table _ForceCodepage | sed -n 's/\t_ForceCodepage$//p')
[ "$codepage" = 1251 ] || fail "the package's code page is '$codepage', not 1251"
properties=$(table Property)
property() { sed -n "s/^$1\t//p" <<<"$properties"; }
for pair in "ProductName=$name" "Manufacturer=$publisher" ALLUSERS=1 ARPPRODUCTICON=quadrant.ico \
  UpgradeCode='{1B8369DD-1D6D-4E75-950E-B39C8CC342E0}'; do
  [ "$(property "${pair%%=*}")" = "${pair#*=}" ] ||
    fail "${pair%%=*} is '$(property "${pair%%=*}")', not '${pair#*=}'"
done
product_code=$(property ProductCode)
version=$(property ProductVersion)
[[ $product_code =~ ^\{[0-9A-F-]{36}\}$ ]] || fail "the ProductCode is '$product_code'"
# Its Name is a short name and the long one, which Windows uses.
shortcut=$(table Shortcut | awk -F '\t' 'NR > 3 { print $2 "\t" $3 "\t" $5 }')
[ "$shortcut" = "ProgramMenuFolder	quadrant|$name	[#quadrant.exe]" ] ||
  fail "the Shortcut table has '$shortcut'"
echo "package: $(property ProductName) $version, ProductCode $product_code," \
  "shortcut '$(cut -f 2 <<<"$shortcut" | cut -d '|' -f 2)'"

# The launch condition: Windows 7 SP1 or later, with a Russian message.
condition=$(table LaunchCondition | awk -F '\t' 'NR > 3 && /VersionNT/ { print $1 }')
[ "$condition" = "Installed OR VersionNT > 601 OR (VersionNT = 601 AND ServicePackLevel >= 1)" ] ||
  fail "the launch condition is '$condition'"
table LaunchCondition | grep -q 'Windows 7 с пакетом обновления 1' ||
  fail "the launch condition has no Russian message"
platform=$(msiinfo suminfo "$msi" | sed -n 's/^Template: \([^;]*\);.*/\1/p')
program_files='C:\Program Files'
registry_view=64
if [ "$platform" = Intel ]; then
  registry_view=32
  [ "${WINEARCH:-win64}" = win32 ] || program_files='C:\Program Files (x86)'
fi

prefixes=$(mktemp -d)
export WINEPREFIX=$prefixes/prefix
source "$here/wine-desktop.sh"
before_display_ends+=("rm -rf $prefixes")

installed=$(winepath -u "$program_files\\quadrant")
# Wine puts an all-users shortcut in the user's Start menu; Windows in the common one.
shortcuts=("$(windows_folder ProgramData)/Microsoft/Windows/Start Menu/Programs/$name.lnk"
  "$(windows_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/$name.lnk")
icon=$(winepath -u "C:\\windows\\Installer\\$product_code\\quadrant.ico")
uninstall_key() { echo "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"; }
install() { wine msiexec /i "$(winepath -w "$1")" /qn; }

# On Windows Vista the launch condition refuses the package, and installs nothing.
wine winecfg -v vista
install "$msi" && fail "the package installed on Windows Vista"
[ ! -e "$installed" ] || fail "the package refused on Windows Vista left $installed"
wine winecfg -v win10

if [ -n "$older" ]; then
  older_properties=$(msiinfo export "$older" Property | tr -d '\r')
  older_code=$(sed -n 's/^ProductCode\t//p' <<<"$older_properties")
  older_version=$(sed -n 's/^ProductVersion\t//p' <<<"$older_properties")
  [ "$(cut -d . -f 1-3 <<<"$older_version")" != "$(cut -d . -f 1-3 <<<"$version")" ] ||
    fail "the older package's version $older_version is $version to Windows Installer"
  install "$older" || fail "msiexec /i of the older package ended with status $?"
  registry_key "$(uninstall_key "$older_code")" >/dev/null ||
    fail "the older package is not installed"
fi
install "$msi" || fail "msiexec /i ended with status $?"
if [ -n "$older" ]; then
  ! registry_key "$(uninstall_key "$older_code")" >/dev/null ||
    fail "the older version is still installed beside this one"
fi
# Each file as big as the package's File table says (under its long name, after any "|").
while IFS=$'\t' read -r file size; do
  [ -f "$installed/$file" ] || fail "$installed/$file was not installed"
  [ "$(stat -c %s "$installed/$file")" = "$size" ] || fail "$installed/$file is not $size bytes"
done < <(table File | awk -F '\t' 'NR > 3 { n = split($3, name, "|"); print name[n] "\t" $4 }')
[ "$(ls "$installed" | tr '\n' ' ')" = "LICENSE.txt quadrant.exe " ] ||
  fail "$installed holds $(ls "$installed")"
found=()
for lnk in "${shortcuts[@]}"; do if [ -f "$lnk" ]; then found+=("$lnk"); fi; done
[ ${#found[@]} = 1 ] || fail "not one shortcut '$name.lnk' in the Start menu: ${found[*]}"
grep -aqF "$program_files\\quadrant\\quadrant.exe" "${found[0]}" ||
  fail "the shortcut does not lead to the installed program"
entry=$(registry_key "$(uninstall_key "$product_code")") || fail "no entry for $product_code"
for value in "\"DisplayName\"=\"$name\"" "\"Publisher\"=\"$publisher\"" \
  "\"DisplayVersion\"=\"$version\"" '"NoModify"=dword:00000001'; do
  grep -qxF "$value" <<<"$entry" || fail "the entry lacks $value: $entry"
done
echo "installed: $(grep -E '^"(DisplayName|Publisher|DisplayVersion)"' <<<"$entry" | tr '\n' ' ')"
# ARPPRODUCTICON: Wine keeps the icon as the product's icon, not as a DisplayIcon in the entry.
products=$(registry_key 'HKLM\Software\Classes\Installer\Products') || fail "no products"
grep -qxF "\"ProductIcon\"=\"C:\\\\windows\\\\Installer\\\\$product_code\\\\quadrant.ico\"" \
  <<<"$products" || fail "the product has no icon: $products"
cmp -s "$icon" <(msiinfo extract "$msi" Icon.quadrant.ico) || fail "$icon is not the package's icon"

# The installed program starts and maps its window; Escape ends it.
wine "$installed/quadrant.exe" &
program=$!
window=$(wait_for_window Form1) || fail "the installed program shows no window"
press_escape "$window" || fail "the installed program's window takes no key"
wait "$program" || fail "the installed program ended with status $?"

if [ -n "$older" ]; then
  install "$older" && fail "the older package installed over this one"
  ! registry_key "$(uninstall_key "$older_code")" >/dev/null && [ -f "$installed/quadrant.exe" ] &&
    registry_key "$(uninstall_key "$product_code")" >/dev/null ||
    fail "trying the older package changed what is installed"
fi

wine msiexec /x "$(winepath -w "$msi")" /qn || fail "msiexec /x ended with status $?"
[ ! -e "$installed" ] || fail "$installed is left after uninstalling: $(ls "$installed")"
for lnk in "${shortcuts[@]}"; do [ ! -e "$lnk" ] || fail "$lnk is left after uninstalling"; done
[ ! -e "$icon" ] || fail "$icon is left after uninstalling"
! registry_key "$(uninstall_key "$product_code")" >/dev/null ||
  fail "the entry for $product_code is left"
echo "MSI test: $(basename "$msi") passed"
