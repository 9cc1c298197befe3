#!/usr/bin/env bash
# start: makes the Wine prefix afresh, and starts its server and services for the tests that
# follow; stop: ends the server. Afresh, because a prefix outlives the Wine that made it: one
# made before wine32 was installed starts nothing after. The server is started apart from any test, with its output
# redirected, because CTest waits for whatever holds a test's output open.
# Usage: wine-session.sh start|stop   (WINEPREFIX from the environment)
set -euo pipefail

: "${WINEPREFIX:?}"
case ${1:-} in
  start)
    wineserver --kill </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineserver --persistent </dev/null >/dev/null 2>&1 || true
    # Wine's own services start here rather than in the first test, which they would keep
    # waiting.
    wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log" >&2; exit 1; }
    ;;
  stop)
    wineserver --kill </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
