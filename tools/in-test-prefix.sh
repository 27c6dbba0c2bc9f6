#!/usr/bin/env bash
# Runs a command under Wine in a test prefix: `wine PROGRAM ARGS` (as the
# build's emulator, cmake/wine-run, does) or a test's script that runs wine.
#
#   tools/in-test-prefix.sh COMMAND [ARGS...]
#
# In a run of tools/ctest-wine.sh, which runs several tests side by side,
# the command takes a free slot: a prefix, its warm wineserver and an X
# display that no other test uses meanwhile. Tests change the machine's keys,
# install into Program Files and move the mouse, so two of them never share a
# slot at the same time; one slot's tests run one after another. The slot is
# held (a lock on its file) until the command ends; what the command starts
# does not hold it. Elsewhere the command runs in WINEPREFIX, or in
# build/wineprefix, on the display there is.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
slots=${INBOXHOP_WINE_SLOTS_DIR:-}
if [ -n "$slots" ] && [ -z "${INBOXHOP_WINE_SLOT:-}" ]; then
  count=$(cat "$slots/count") || exit 1
  # Waits for a free one: ctest runs one test more than there are slots, for
  # a test that runs no Wine.
  slot=1
  until { exec 9>"$slots/$slot.lock" && flock -n 9; }; do
    slot=$((slot % count + 1))
    [ "$slot" -eq 1 ] && sleep 0.1
  done
  export INBOXHOP_WINE_SLOT=$slot WINEPREFIX=$slots/$slot
  DISPLAY=$(cat "$slots/$slot.display") || exit 1
  export DISPLAY
fi
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=${WINEARCH:-win32}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
"$here/tools/wine-prefix.sh" "$WINEPREFIX" || exit 1
# The command runs without the lock's descriptor, so that nothing it leaves
# running keeps the slot, and writes to a file shown when it ends: what it
# leaves running (Wine's desktop, started by a prefix's first window, lives
# on while windows come and go) then holds that file open, not the pipe that
# ctest reads until every writer has closed it.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$@" 9>&- >"$output" 2>&1 &
command=$!
trap 'kill "$command" 2>/dev/null; cat "$output"; exit 143' TERM INT
wait "$command"
status=$?
cat "$output"
exit $status
