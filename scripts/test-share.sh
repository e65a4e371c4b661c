#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints how large the tests are against the program: non-blank lines that
# are not only a // comment, in the tracked code and build scripts under
# tests/ and fuzz/, over the same count under src/. The C++ files are counted
# as the project's .clang-format lays them out, so layout cannot change the
# figure. Fails above a third.
#   test-share.sh [--files]   (--files: the count of every file too)
set -euo pipefail
cd "$(dirname "$0")/.."

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp .clang-format "$copy/"
files=$(git ls-files -- tests fuzz src | grep -E '(\.(cpp|h|cmake|sh|py)|/CMakeLists\.txt)$')
echo "$files" | while read -r f; do
  mkdir -p "$copy/$(dirname "$f")"
  cp "$f" "$copy/$f"
done
# "clang-format off" would keep a hand layout: the copy is laid out whole.
(cd "$copy" && echo "$files" | grep -E '\.(cpp|h)$' | tr '\n' '\0' |
  xargs -0 sed -i '/^[[:space:]]*\/\/ clang-format \(off\|on\)/d' &&
  echo "$files" | grep -E '\.(cpp|h)$' | tr '\n' '\0' | xargs -0 clang-format -i)

count() {
  echo "$files" | grep -E "^($1)/" | while read -r f; do
    n=$(grep -cvE '^[[:space:]]*(//.*)?$' "$copy/$f" || true)
    [ "${SHOW_FILES:-}" ] && printf '%6d %s\n' "$n" "$f" >&2
    echo "$n"
  done | awk '{ s += $1 } END { print s + 0 }'
}

[ "${1:-}" = --files ] && SHOW_FILES=1
tests=$(count 'tests|fuzz')
program=$(count src)
share=$(awk -v t="$tests" -v p="$program" 'BEGIN { printf "%.1f", 100 * t / p }')
echo "test share: $tests lines of tests and fuzz targets for $program of program," \
     "as clang-format lays them out: $share % (at most a third)"
[ "$(( tests * 3 ))" -le "$program" ] || {
  echo "test share above a third: say the same tests in fewer lines" >&2
  exit 1
}
