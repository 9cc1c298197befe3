# Sourced by the Windows package tests: a display and a Wine session of their own, in the prefix
# WINEPREFIX (made afresh) of the width WINEARCH (win64 or win32), and what both tests ask of
# them. Ends both when the shell exits. registry_view, where the caller sets it (32 or 64), is
# the view of the registry that registry_key reads: where wine32 is installed, `wine reg` is the
# 32-bit reg.exe, which reads the 32-bit view even in a 64-bit prefix.

source "$top/tests/e2e/x-session.sh"
# Wine names files in the character set of the locale: a UTF-8 one, whatever the caller's, so
# that the shortcut's Russian name survives.
export LC_ALL=C.UTF-8
export WINEDEBUG=-all WINEARCH=${WINEARCH:-win64}
[ "$WINEARCH" = win64 ] && registry_view=${registry_view:-64}
# No menu entries of Wine's own on this machine for the shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
before_display_ends+=("$top/tests/win32/wine-session.sh stop")
"$top/tests/win32/wine-session.sh" start

# A folder of Windows by its environment variable, as a path here.
windows_folder() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"; }

# The first visible window titled $1, within 20 s. An installer's pages add a blank subtitle.
wait_for_window() {
  for _ in $(seq 200); do
    for window in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      name=$(xdotool getwindowname "$window")
      [ "${name% }" = "$1" ] && echo "$window" && return
    done
    sleep 0.1
  done
  return 1
}

# A registry key as text, or failure where there is none.
registry_key() {
  wine reg export "$1" "$x_session_work/key.reg" /y ${registry_view:+/reg:$registry_view} \
    >/dev/null 2>&1 &&
    iconv -f UTF-16 -t UTF-8 "$x_session_work/key.reg" | tr -d '\r'
}
