#!/usr/bin/env bash
# Builds the command-line fuzzer (clang, libFuzzer, ASan, UBSan) and runs it
# for the given number of seconds (default 60). The corpus it grows is kept
# in the build folder and reused by the next run; the checked-in seeds under
# fuzz/seeds are read but never written. Exits non-zero when the fuzzer found
# a failure (the input is saved under <build>/crashes/) or could not run.
#
#   tools/fuzz.sh [SECONDS]
#   INBOXHOP_FUZZ_BUILD=build/fuzz-x tools/fuzz.sh 600   # another build folder
#   INBOXHOP_FUZZ_JOBS=2 tools/fuzz.sh 600               # parallel workers
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${INBOXHOP_FUZZ_BUILD:-build/fuzz}
case $build in /*) ;; *) build=$here/$build ;; esac
jobs=${INBOXHOP_FUZZ_JOBS:-1}
# Up to the longest command line Windows takes: 32,767 UTF-16 units.
max_len=${INBOXHOP_FUZZ_MAX_LEN:-65536}

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { CXX=${CXX_FUZZ:-clang++} cmake -S "$here/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "fuzz: the fuzzer did not build" >&2
  exit 1
fi

mkdir -p "$build/corpus" "$build/crashes"
before=$(find "$build/corpus" -type f | wc -l)
args=(-max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048
      -dict="$here/fuzz/command_line.dict" -artifact_prefix="$build/crashes/" -print_final_stats=1)
if [ "$jobs" -gt 1 ]; then
  args+=(-fork="$jobs" -ignore_crashes=0)
fi
# The sanitizers abort on their first report, so any report fails the run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/command_line_fuzz" "${args[@]}" "$build/corpus" "$here/fuzz/seeds" >"$log" 2>&1
status=$?
cp "$log" "$build/last-run.log"

after=$(find "$build/corpus" -type f | wc -l)
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | awk '{s += $2} END {print s + 0}')
if [ "$jobs" -gt 1 ] && [ "$runs" -eq 0 ]; then
  runs=$(grep -o '#[0-9]*: cov' "$log" | tail -1 | tr -dc '0-9')
fi
bytes=$(du -sb "$build/corpus" | cut -f1)
if [ $status -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|libFuzzer)|runtime error:|broken rule:' "$log"; then
  tail -n 60 "$log" >&2
  echo "fuzz: FAILED after ${seconds}s; inputs in $build/crashes/, full log in $build/last-run.log" >&2
  exit 1
fi
echo "fuzz: ${runs} inputs in ${seconds}s, no failure; corpus ${before} -> ${after} files (${bytes} bytes) in $build/corpus"
