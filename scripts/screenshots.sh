#!/usr/bin/env bash
# Remakes the documentation's pictures in OUT_DIR from the real programs (screenshots.py): on a
# display of its own with a window manager, Wine in a session and a prefix of its own, and every
# picture squeezed by optipng. A picture over 80 KiB fails the run: the README's readers are often
# on slow networks.
# Usage: screenshots.sh OUT_DIR QT_PROGRAM WINDOWS_PROGRAM SITE_DIR
set -euo pipefail

here=$(dirname "$(realpath "$0")")
source "$here/../tests/e2e/x-session.sh"
# UTF-8, so that xdotool matches the windows' Russian titles.
export LC_ALL=C.UTF-8 WINEPREFIX=$x_session_work/wineprefix WINEDEBUG=-all \
  WINEDLLOVERRIDES=mscoree,mshtml=
before_display_ends+=("$here/../tests/win32/wine-session.sh stop")
"$here/../tests/win32/wine-session.sh" start
# Wine draws the caption buttons of the windows in its desktop with its font Marlett, which Debian
# ships apart, in fonts-wine; without it they show as the letters "0 1 r". Given to this prefix
# alone, where fonts-wine is not installed, so that Wine elsewhere on the machine keeps the fonts
# that the tests know.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ ! -e "$marlett" ]; then
  (cd "$x_session_work" && apt-get download -q -o APT::Sandbox::User=root fonts-wine >/dev/null)
  dpkg-deb -x "$x_session_work"/fonts-wine_*.deb "$x_session_work/fonts-wine"
  cp "$x_session_work/fonts-wine$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
fi
/usr/bin/python3 "$here/screenshots.py" "$@"
optipng -quiet -strip all -o2 "$1"/*.png
too_large=$(find "$1" -name '*.png' -size +80k)
[ -z "$too_large" ] || { echo "Over 80 KiB:" $too_large >&2; exit 1; }
ls -l "$1"/*.png
