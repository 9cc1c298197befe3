#!/usr/bin/env bash
# Makes the Windows Installer package of quadrant from quadrant.wxs (configured by CMake from
# quadrant.wxs.in) with Debian's wixl and msitools, then fixes up what wixl 0.101 cannot do:
# - Russian texts. wixl writes the tables' strings in the ANSI code page that libgsf guesses from
#   the locale (1252 here), whatever the .wxs says: Cyrillic comes out empty, and the shortcut's
#   name even crashes wixl. Telling libgsf the language (WINDOWS_LANGUAGE=ru) makes it write them
#   in 1251; msibuild then marks the tables as code page 1251 (_ForceCodepage), so that Windows
#   reads them right whatever its own code page.
# - Same output from the same input: wixl dates the package now and gives it a random package
#   code. Both are set here: the date from SOURCE_DATE_EPOCH, else from the newest input; the
#   package code from a hash of the inputs. The ProductCode is derived from the version.
# - The upgrade of a version that differs only in its fourth part (see quadrant.wxs.in): wixl
#   drops IncludeMaximum and MigrateFeatures from that Upgrade row.
# - The platform: wixl 0.101 knows no Package/@Platform; --arch says it, x64 or x86 (Intel in
#   the summary). The two have the same UpgradeCode, so that one replaces the other, and
#   ProductCodes of their own.
# Usage: make-msi.sh WXS VERSION EXE ICON LICENSE OUTPUT.msi [x64|x86]   (x64 by default)
set -euo pipefail

[ $# -eq 6 ] || [ $# -eq 7 ] ||
  { echo "usage: $0 WXS VERSION EXE ICON LICENSE OUTPUT.msi [x64|x86]" >&2; exit 2; }
wxs=$1 version=$2 exe=$3 icon=$4 licence=$5 output=$6 arch=${7:-x64}
case $arch in
  x64) platform=x64 code_name="ProductCode $version" ;;
  x86) platform=Intel code_name="ProductCode x86 $version" ;;
  *) echo "$0: bad platform '$arch'" >&2; exit 2 ;;
esac
[[ $version =~ ^[0-9]+(\.[0-9]+){1,3}$ ]] || { echo "$0: bad version '$version'" >&2; exit 2; }

fail() { echo "make-msi.sh: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The time in the package and its cabinet is read and written as local time: make it UTC.
export TZ=UTC
# Read by libgsf (under wixl and msibuild) for the code page of the strings: Russian, 1251.
export WINDOWS_LANGUAGE=ru

# The name-based UUID (RFC 4122, version 5: SHA-1) of the name $2 in the namespace $1.
uuid5() {
  local hex
  hex=$({ printf %b "$(sed 's/-//g; s/../\\x&/g' <<<"$1")"; printf %s "$2"; } | sha1sum)
  hex=${hex:0:12}5${hex:13:3}$(printf %x $((0x${hex:16:1} & 3 | 8)))${hex:17:15}
  echo "${hex:0:8}-${hex:8:4}-${hex:12:4}-${hex:16:4}-${hex:20:12}" | tr a-f A-F
}

# wixl 0.101 finds files only by names relative to where it runs: the files sit beside the .wxs
# under the names that it uses, all dated alike, since the cabinet keeps their dates.
cp "$wxs" "$work/quadrant.wxs"
cp "$exe" "$work/quadrant.exe"
cp "$icon" "$work/quadrant.ico"
cp "$licence" "$work/LICENSE.txt"
epoch=${SOURCE_DATE_EPOCH:-$(stat -c %Y "$wxs" "$exe" "$icon" "$licence" | sort -n | tail -n 1)}
touch -d "@$epoch" "$work"/*

upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$wxs" | head -n 1)
[ -n "$upgrade_code" ] || fail "no UpgradeCode in $wxs"
# One ProductCode per version, and another for every other version.
product_code=$(uuid5 "$upgrade_code" "$code_name")
# One package code per distinct package: from everything that goes into it.
inputs=$(cd "$work" && sha256sum quadrant.wxs quadrant.exe quadrant.ico LICENSE.txt | sha256sum)
package_code=$(uuid5 "$upgrade_code" "PackageCode $arch $version $epoch ${inputs%% *}")

(cd "$work" && wixl --arch "$arch" -D "Version=$version" -D "ProductCode=$product_code" \
  -o quadrant.msi quadrant.wxs)

printf '\r\n\r\n1251\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
# The summary: libmsi keeps its strings as they come, so wixl wrote them in UTF-8 under code page
# 1251 (the product's Codepage), and they go back in 1251. Set anew: 7, the platform and
# language; 9, the package code; 12 and 13, when it was made and last saved.
date=$(date -d "@$epoch" '+%Y/%m/%d %H:%M:%S')
{
  msiinfo export "$work/quadrant.msi" _SummaryInformation | tr -d '\r' | grep -Ev '^(7|9|12|13)	'
  printf '%s\n' "7	$platform;1049" "9	{$package_code}" "12	$date" "13	$date"
} | iconv -f UTF-8 -t CP1251 | sed 's/$/\r/' >"$work/_SummaryInformation.idt"
# The Upgrade row of the same version as WiX makes it: 769 = migrate the features, with the
# minimum and the maximum included. Attributes is part of the row's key: replace the row.
same=WIX_SAME_VERSION_UPGRADE_DETECTED
(cd "$work" && msibuild quadrant.msi -i _ForceCodepage.idt -i _SummaryInformation.idt \
  -q "DELETE FROM Upgrade WHERE ActionProperty = '$same'" \
  -q "INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes, ActionProperty)
      VALUES ('{$upgrade_code}', '$version', '$version', 769, '$same')")

# Check the fix-ups took: libmsi reports no failed conversion, it writes an empty string.
properties=$(msiinfo export "$work/quadrant.msi" Property | tr -d '\r')
grep -q "^ProductName	[^	]" <<<"$properties" || fail "the product's name came out empty"
grep -qx "ProductCode	{$product_code}" <<<"$properties" || fail "wrong ProductCode"
msiinfo export "$work/quadrant.msi" Shortcut | tr -d '\r' | grep -q "^[^	]*	[^	]*	[^	|]*|[^	]" ||
  fail "the shortcut's name came out empty"
[ "$(msiinfo export "$work/quadrant.msi" Upgrade | tr -d '\r' | grep -c "	769		$same$")" = 1 ] ||
  fail "the Upgrade row of the same version is wrong"
mv "$work/quadrant.msi" "$output"
