#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh test

# Tests say what they check once: at most a third of the program's size.
status=0
scripts/test-share.sh || status=1
# Every C++ file as the project's .clang-format lays it out; clang-format
# names each file that is not.
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
  'bench/*.cpp' 'bench/*.h' | xargs -0 clang-format --dry-run -Werror || {
  echo "C++ files above are not clang-format clean: clang-format -i FILE" >&2
  status=1
}

# A private X server, window manager and sound server for the tests that
# drive the real desktop; stopped again on the way out.
source scripts/desktop-session.sh
trap desktop_session_stop EXIT
desktop_session_start

(cd build && ctest --output-on-failure -j2) || status=1
scripts/hardening.sh || status=1
exit $status
