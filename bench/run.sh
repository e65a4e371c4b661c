#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Brivel's benchmark: start-up, memory and idle CPU against a bare Qt window
# with the same menus and controls, the ring's accuracy and latency at the
# sound server, and the tick handler's own cost. Runs in a private X server
# and sound server, takes a few minutes, and prints one table (Markdown) on
# standard output; progress goes to standard error. The build's machine hive
# stands aside for a FIFO during one case and is put back at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

# The same packages and build as test.sh, then the benchmark's own programs.
scripts/setup.sh test >&2
cmake --build build --target brivel_bench >&2
if [ ! -x build/bench/brivel_benchmark ]; then
  echo "bench/run.sh: the benchmark needs the XCB headers (libxcb1-dev)" >&2
  exit 1
fi

source scripts/desktop-session.sh
desktop_session_start >&2
# The hive is put back by the benchmark itself, and here if it was killed.
hive=build/bin/machine.reg
trap '[ ! -e "$hive.bench-saved" ] || mv -f "$hive.bench-saved" "$hive"; desktop_session_stop' EXIT
# A settings store and runtime folder of its own: no user's choices are read
# or written.
export XDG_CONFIG_HOME="$DESKTOP_TMP/config" XDG_RUNTIME_DIR="$DESKTOP_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 -p "$XDG_RUNTIME_DIR"

# Its temporary files (a folder of 100,000) go with the session's folder.
TMPDIR="$DESKTOP_TMP" build/bench/brivel_benchmark \
  --brivel build/bin/Brivel \
  --floor build/bench/brivel_floor \
  --tickcost build/bench/brivel_tickcost \
  --monitor brivel_null.monitor \
  --hive "$hive" \
  --runs "${BRIVEL_BENCH_RUNS:-5}" \
  --log "$DESKTOP_TMP/programs.log"
