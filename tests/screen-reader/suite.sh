#!/usr/bin/env bash
# What Orca says, step by step, as a blind pupil hears a check (run.sh): the Qt program of each
# build folder, the site of the browser's build in each browser, and its one-file page from its
# file in Chromium. Orca works on its own time, the program's events racing it: a run that fails
# is said and made once more.
# Usage: suite.sh WEB_BUILD_DIR "BROWSER..." QT_BUILD_DIR...
set -euo pipefail

here=$(dirname "$(realpath "$0")")
web=$1 browsers=$2
shift 2
again() { "$@" || { echo "test-screen-reader: failed once; again: $*"; "$@"; }; }
for build in "$@"; do
  again env LOCPATH="$build/tests/locales" "$here/run.sh" qt "$build/app/qt/quadrant"
done
for browser in $browsers; do again "$here/run.sh" "$browser" "$web/site"; done
again "$here/run.sh" chromium "$web/quadrant.html"
