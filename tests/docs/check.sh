#!/usr/bin/env bash
# The documentation, checked as code: markdownlint-cli2; every relative link, picture and heading
# resolving (remark-validate-links, offline); every `make TARGET` that it names in code a target of
# the Makefile. The tools, pinned in package-lock.json and installed once, need Node.js 18 or later:
# without it (Debian 11) they are skipped, saying so.   check.sh FILE...   (from the top)
set -euo pipefail
if node -e 'process.exit(process.versions.node.split(".")[0] < 18 ? 1 : 0)' 2>/dev/null; then
  [ tests/docs/node_modules/.package-lock.json -nt tests/docs/package-lock.json ] ||
    (cd tests/docs && npm ci --no-audit --no-fund)
  tests/docs/node_modules/.bin/markdownlint-cli2 --config tests/docs/.markdownlint.jsonc "$@"
  # From its own folder, where it finds its plugin.
  (cd tests/docs && node_modules/.bin/remark --no-config --no-stdout --no-color --frail --quiet \
    --use remark-validate-links=repository:false "${@/#/$OLDPWD/}")
else
  echo "check.sh: markdownlint and the link check need Node.js 18 or later; skipped" >&2
fi
targets=$({ make -pRrq 2>/dev/null || true; } | awk -F: '/^[a-zA-Z][a-zA-Z0-9_.-]*:/ { print $1 }')
named=$(grep -ohE '(^[[:space:]]*|`)make( [A-Z_]+=[^ `]*)* [a-z][a-z0-9-]*' "$@" |
        awk '{ print $NF }' | sort -u)
missing=$(comm -23 <(echo "$named") <(sort -u <<<"$targets"))
[ -z "$missing" ] || { echo "Make targets named but not there:" $missing >&2; exit 1; }
echo "The documentation: $# files, their links, and $(wc -l <<<"$named") make targets checked"
