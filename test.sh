#!/usr/bin/env bash
# Builds both presets and runs every test: the portable code natively (and a
# short fuzzing pass over it), the program's size limit, the packages, and
# the program, its Windows layer and its installer under Wine. Exits
# non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh || exit 1

# Configures and builds one preset quietly; shows the output when it fails.
build() {
  local log
  log=$(mktemp)
  if ! { cmake --preset "$1" && cmake --build --preset "$1"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Build of preset '$1' failed." >&2
    exit 1
  fi
  rm -f "$log"
}

failed=0
tools/check-layers.sh || failed=1
build native
ctest --preset native || failed=1
# A short, bounded pass of the command-line fuzzer (tools/fuzz.sh runs longer ones).
tools/fuzz.sh 5 || failed=1

build windows
# The shipping program stays within 256 KB as it ships: the build strips it
# as it links, and a signed program is measured with its signature (never
# stripped again, which would break the signature).
size=$(stat -c %s build/windows/Inboxhop.exe)
if [ "$size" -le 262144 ]; then
  echo "Inboxhop.exe: $size bytes as it ships, within 256 KB."
else
  echo "Inboxhop.exe: $size bytes as it ships, more than 256 KB (262,144 bytes)." >&2
  failed=1
fi
# The packages (makensis takes about a second); the installer's tests below
# make them again before they use them, and the release tests build them a
# second time, elsewhere, and once more signed.
log=$(mktemp)
if ! cmake --build --preset windows --target package >"$log" 2>&1; then
  cat "$log" >&2
  echo "Making the packages failed." >&2
  failed=1
fi
rm -f "$log"
tools/ctest-wine.sh || failed=1

[ $failed -eq 0 ] || echo "Some tests failed." >&2
exit $failed
