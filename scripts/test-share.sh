#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints how large the tests are against the program: non-blank lines that
# are not only a // comment, in the tracked code and build scripts under
# tests/ and fuzz/, over the same count under src/. Fails above the ceiling.
#   test-share.sh [--files]   (--files: the count of every file too)
set -euo pipefail
cd "$(dirname "$0")/.."
ceiling=36

count() {
  git ls-files -- "$@" | grep -E '(\.(cpp|h|cmake|sh|py)|/CMakeLists\.txt|^CMakeLists\.txt)$' |
    while read -r f; do
      n=$(grep -cvE '^[[:space:]]*(//.*)?$' "$f" || true)
      [ "${SHOW_FILES:-}" ] && printf '%6d %s\n' "$n" "$f" >&2
      echo "$n"
    done | awk '{ s += $1 } END { print s + 0 }'
}

[ "${1:-}" = --files ] && SHOW_FILES=1
tests=$(count tests fuzz)
program=$(count src)
share=$(awk -v t="$tests" -v p="$program" 'BEGIN { printf "%.1f", 100 * t / p }')
echo "test share: $tests lines of tests and fuzz targets for $program of program: $share %" \
     "(goal at most 33 %, ceiling $ceiling %)"
[ "$(( tests * 100 ))" -le "$(( program * ceiling ))" ] || {
  echo "test share above $ceiling %: say the same tests in fewer lines" >&2
  exit 1
}
