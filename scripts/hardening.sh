#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The hardening runs that test.sh makes after the ordinary suite:
#   fuzz      each libFuzzer target over a copy of its seed corpus (clang)
#   sanitize  the whole test suite built with AddressSanitizer and
#             UndefinedBehaviorSanitizer, the soak test included
#
#   scripts/hardening.sh [fuzz|sanitize|all]      (default: all)
#
# BRIVEL_FUZZ_RUNS inputs per target (default 100000), BRIVEL_FUZZ_SEED the
# fuzzer's random seed (default 1, so that a run can be repeated; 0 picks a
# new one), BRIVEL_FUZZ_MAX_LEN the longest input (default 4096, 512 for the
# hive). The real tests need the desktop session of scripts/desktop-session.sh,
# as in test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-all}
runs=${BRIVEL_FUZZ_RUNS:-100000}
seed=${BRIVEL_FUZZ_SEED:-1}
status=0

elapsed() { echo "$(( $(date +%s) - $1 )) s"; }

run_fuzz() {
  local start target max_len work log
  start=$(date +%s)
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DBRIVEL_FUZZ=ON \
    -DBRIVEL_TESTS=OFF -DBRIVEL_WERROR=ON >/dev/null
  cmake --build build-fuzz --target brivel_fuzz >/dev/null
  echo "hardening: fuzz targets built in $(elapsed "$start")"

  work=$(mktemp -d /tmp/brivel-fuzz.XXXXXX)
  mkdir -p build-fuzz/findings
  for target in minutes machinehive; do
    start=$(date +%s)
    # The hive reader parses a whole file per registry call: short inputs
    # keep the run under a minute and still hold several keys and values.
    max_len=4096
    [ "$target" = machinehive ] && max_len=512
    max_len=${BRIVEL_FUZZ_MAX_LEN:-$max_len}
    # A copy, so that the inputs the run adds stay out of the repository.
    cp -r "fuzz/corpus/$target" "$work/$target"
    log="$work/$target.log"
    if build-fuzz/fuzz/fuzz_$target -runs="$runs" -seed="$seed" -max_len="$max_len" \
        -dict="fuzz/$target.dict" -artifact_prefix="$work/" -print_final_stats=1 \
        "$work/$target" >"$log" 2>&1; then
      echo "hardening: fuzz_$target: $(grep -o 'Done [0-9]* runs' "$log"), no findings, $(elapsed "$start")"
    else
      status=1
      echo "hardening: fuzz_$target FOUND A FAULT:" >&2
      grep -v '^"' "$log" | tail -40 >&2
      for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
        [ -e "$artifact" ] || continue
        cp "$artifact" build-fuzz/findings/
        echo "  replay: build-fuzz/fuzz/fuzz_$target build-fuzz/findings/$(basename "$artifact")" >&2
      done
    fi
  done
  rm -rf "$work"
}

run_sanitize() {
  local start
  start=$(date +%s)
  # Line tables are enough for the reports' stack traces and build faster
  # than full debug information.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DBRIVEL_SANITIZE=ON -DBRIVEL_WERROR=ON >/dev/null
  cmake --build build-asan -j"$(nproc)" >/dev/null
  echo "hardening: sanitizer build in $(elapsed "$start")"
  start=$(date +%s)
  # Any report ends the process with an error, leaks included; only the
  # system libraries' own leaks are suppressed.
  export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  # The walk looks for memory faults here, not for rare states: the plain
  # build walks the full length, and a tenth of it keeps a busy machine
  # inside the test's time limit.
  export BRIVEL_SOAK_STEPS=${BRIVEL_SOAK_STEPS:-10000}
  # The package is a release build of its own, the same as the plain
  # suite's: it is built and installed there once.
  if (cd build-asan && ctest --output-on-failure -j2 -E '^install_package$'); then
    echo "hardening: whole suite under the sanitizers passed in $(elapsed "$start")"
  else
    status=1
    echo "hardening: the suite under the sanitizers FAILED" >&2
  fi
}

case "$what" in
  fuzz) run_fuzz ;;
  sanitize) run_sanitize ;;
  all) run_fuzz; run_sanitize ;;
  *) echo "usage: $0 [fuzz|sanitize|all]" >&2; exit 2 ;;
esac
exit $status
