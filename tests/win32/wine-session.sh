#!/usr/bin/env bash
# start: makes the Wine prefix of the build folder once, and starts its server and services for
# the tests that follow; stop: ends the server. The server is started apart from any test, with its output
# redirected, because CTest waits for whatever holds a test's output open.
# Usage: wine-session.sh start|stop   (WINEPREFIX from the environment)
set -euo pipefail

: "${WINEPREFIX:?}"
case ${1:-} in
  start)
    # Fails harmlessly where a server of this prefix runs already.
    wineserver --persistent </dev/null >/dev/null 2>&1 || true
    # Makes the prefix where there is none, and starts Wine's own services either way, here
    # rather than in the first test, which they would keep waiting.
    init=()
    [ -f "$WINEPREFIX/system.reg" ] || init=(--init)
    wineboot "${init[@]}" </dev/null >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log" >&2; exit 1; }
    ;;
  stop)
    wineserver --kill </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
