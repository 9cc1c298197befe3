#!/usr/bin/env bash
# Runs the given command (the README's `make run`) on a display of its own and passes when it
# brings up Form1, which Escape then closes, and the command ends with status 0.
# Usage: make-run.sh COMMAND...
set -euo pipefail

here=$(dirname "$(realpath "$0")")
source "$here/x-session.sh"

"$@" &
command_pid=$!
fail() {
  echo "make-run check: $*" >&2
  kill "$command_pid" 2>/dev/null || true
  exit 1
}

# The command may have to build first, so wait for as long as it runs.
window=
while kill -0 "$command_pid" 2>/dev/null; do
  window=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1) && break
  sleep 0.2
done
[ -n "$window" ] || fail "'$*' ended without showing Form1"
press_escape "$window" || fail "Form1 takes no key"
status=0
wait "$command_pid" || status=$?
[ "$status" -eq 0 ] || fail "'$*' ended with status $status after Escape"
echo "make-run check: '$*' showed Form1 and ended when it was closed"
