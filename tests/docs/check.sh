#!/usr/bin/env bash
# The documentation, checked as code: markdownlint-cli2; every relative link and picture resolving,
# headings in other files too (remark-validate-links, offline: addresses on the web are left
# alone); and every `make TARGET` that it names in code being a target of the Makefile. The tools
# are pinned in package-lock.json and installed once; they need Node.js 18 or later, without which
# (Debian 11) they are skipped, saying so.
#   check.sh FILE...   (from the top of the sources)
set -euo pipefail
tools=tests/docs/node_modules
if node -e 'process.exit(Number(process.versions.node.split(".")[0]) < 18 ? 1 : 0)' 2>/dev/null; then
  [ "$tools/.package-lock.json" -nt tests/docs/package-lock.json ] ||
    (cd tests/docs && npm ci --no-audit --no-fund)
  "$tools/.bin/markdownlint-cli2" --config tests/docs/.markdownlint.jsonc "$@"
  # From its own folder, where it finds its plugin.
  (cd tests/docs && node_modules/.bin/remark --no-config --no-stdout --no-color --frail --quiet \
    --use remark-validate-links=repository:false "${@/#/$OLDPWD/}")
else
  echo "check.sh: markdownlint and the link check skipped: they need Node.js 18 or later," \
    ""and this system has $(node --version 2>/dev/null || echo none)"" >&2
fi

targets=$({ make -pRrq 2>/dev/null || true; } | awk -F: '/^[a-zA-Z][a-zA-Z0-9_.-]*:/ { print $1 }' |
          sort -u)
named=$(grep -ohE '(^[[:space:]]*|`)make( [A-Z_]+=[^ `]*)* [a-z][a-z0-9-]*' "$@" |
        awk '{ print $NF }' | sort -u)
missing=$(comm -23 <(echo "$named") <(echo "$targets"))
[ -z "$missing" ] || { echo "Make targets named but not there:" $missing >&2; exit 1; }
echo "The documentation: $# files, their links, and $(echo "$named" | wc -l) make targets checked"
