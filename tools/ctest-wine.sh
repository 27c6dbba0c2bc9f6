#!/usr/bin/env bash
# Runs the Windows tests under Wine, several side by side (ctest -j), each in
# a slot of its own: a copy of the prepared prefix (build/wineprefix, or
# WINEPREFIX), kept warm by its own wineserver, and an X display of its own
# (Xvfb). Copying a prepared prefix takes a fraction of a second, where
# booting one takes half a minute. A test takes a free slot as it starts
# (tools/in-test-prefix.sh) and runs alone there, so tests that change the
# machine's keys, install programs or move the mouse never meet; the slots
# are made afresh for every run. Takes ctest's options, e.g. `-R HandOff`.
# INBOXHOP_WINE_SLOTS: how many tests run under Wine at once (default: one
# more than the processors, as most of a test's time is waiting for Wine);
# ctest runs one test more, so that a long one without Wine (a release's
# second build) leaves every slot in use.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$here/tools/wine-prefix.sh" "$WINEPREFIX" || exit 1
# A second drive letter for drive C: (as subst makes one on Windows): the
# installer tests start the installed program through it.
[ -e "$WINEPREFIX/dosdevices/y:" ] || ln -s ../drive_c "$WINEPREFIX/dosdevices/y:"
# The prefix is copied as it is on disk: its wineserver writes it out first.
wineserver -k 2>/dev/null
wineserver -w

count=${INBOXHOP_WINE_SLOTS:-$(($(nproc) + 1))}
slots=$WINEPREFIX-slots
servers=() warming=()
stop() {
  for ((slot = 1; slot <= count; slot++)); do
    [ -d "$slots/$slot" ] && WINEPREFIX=$slots/$slot wineserver -k 2>/dev/null
  done
  [ ${#servers[@]} -eq 0 ] || kill "${servers[@]}" 2>/dev/null
  rm -f "$slots/count" "$slots"/*.display
}
trap stop EXIT
trap 'exit 130' INT TERM
# Slots of an earlier run may still have a wineserver.
for prefix in "$slots"/*/; do
  [ -f "$prefix/system.reg" ] && WINEPREFIX=${prefix%/} wineserver -k 2>/dev/null
done
rm -rf "$slots" && mkdir -p "$slots" || exit 1
# A copy of the prepared prefix whose programs and libraries (Wine's own, 500 MB; nothing writes them) are links to
# the prepared prefix's files; every other file, the registry's among them, is a copy of its own.
copy_prefix() {
  cp -al "$WINEPREFIX" "$1" &&
    (cd "$WINEPREFIX" && find . -type f ! -iregex '.*\.\(dll\|exe\|drv\|sys\|vxd\|ocx\|cpl\|acm\|tlb\|ds\|ax\|nls\)' \
       -print0 | xargs -0 -r cp -a --parents --remove-destination -t "$1")
}
for ((slot = 1; slot <= count; slot++)); do
  copy_prefix "$slots/$slot" || exit 1
  # Xvfb picks a free display number and writes it to the descriptor given.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$slots/$slot.display" >/dev/null 2>&1 &
  servers+=($!)
done
for ((slot = 1; slot <= count; slot++)); do
  for _ in $(seq 100); do [ -s "$slots/$slot.display" ] && break; sleep 0.05; done
  display=$(cat "$slots/$slot.display")
  [ -n "$display" ] || { echo "ctest-wine.sh: Xvfb did not start" >&2; exit 1; }
  echo ":$display" >"$slots/$slot.display"
  # The wineserver stays up for the whole run (registry permissions set by a
  # test live only as long as it does), and Wine's own services start once.
  (export WINEPREFIX=$slots/$slot DISPLAY=:$display && wineserver -p && wine cmd /c exit >/dev/null 2>&1) &
  warming+=($!)
done
wait "${warming[@]}"
echo "$count" >"$slots/count"
jobs=$((count + 1))
export INBOXHOP_WINE_SLOTS_DIR=$slots

cd "$here"
# INBOXHOP_WINDOWS_BUILD names another build folder of the windows preset
# (for example one configured with `cmake --preset windows -B build/other`).
if [ -n "${INBOXHOP_WINDOWS_BUILD:-}" ]; then
  ctest --test-dir "$INBOXHOP_WINDOWS_BUILD" -j "$jobs" --timeout 120 --output-on-failure "$@"
else
  ctest --preset windows -j "$jobs" "$@"
fi
status=$?
exit $status
