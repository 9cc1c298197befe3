#!/usr/bin/env bash
# Runs orca_test.py on a display of its own (x-session.sh), in a D-Bus session of its own that
# carries the accessibility bus, with a speech server whose output module speaks to nobody, in a
# Russian session: what Orca says of the program goes to its debug log, read as the transcript.
# Usage: run.sh qt PROGRAM | run.sh chromium|firefox SITE_DIR|ONE_FILE_PAGE
set -euo pipefail

here=$(dirname "$(realpath "$0")")
source "$here/../e2e/x-session.sh"
export HOME=$x_session_work/home XDG_RUNTIME_DIR=$x_session_work/run
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf '%s\n' 'AddModule "dummy" "sd_dummy" ""' 'DefaultModule dummy' \
  >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
export LANG=ru_RU.UTF-8 LANGUAGE=ru
# Qt and GTK programs talk to the accessibility bus whether or not a desktop asks them to.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0 GNOME_ACCESSIBILITY=1 QT_QPA_PLATFORM=xcb
dbus-run-session -- /usr/bin/python3 "$here/orca_test.py" "$@"
