#!/usr/bin/env bash
# Runs the Windows tests under Wine: one warm wineserver for the whole run,
# and a virtual display when there is none (windows need one).
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$here/tools/wine-prefix.sh" "$WINEPREFIX"
# A second drive letter for drive C: (as subst makes one on Windows): the
# installer tests start the installed program through it.
[ -e "$WINEPREFIX/dosdevices/y:" ] || ln -s ../drive_c "$WINEPREFIX/dosdevices/y:"

if [ -z "${INBOXHOP_IN_DISPLAY:-}" ] && [ -z "${DISPLAY:-}" ]; then
  INBOXHOP_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

wineserver -p
wine cmd /c exit >/dev/null 2>&1
cd "$here"
# INBOXHOP_WINDOWS_BUILD names another build folder of the windows preset
# (for example one configured with `cmake --preset windows -B build/other`).
if [ -n "${INBOXHOP_WINDOWS_BUILD:-}" ]; then
  ctest --test-dir "$INBOXHOP_WINDOWS_BUILD" -j1 --timeout 120 --output-on-failure "$@"
else
  ctest --preset windows "$@"
fi
status=$?
wineserver -k 2>/dev/null
exit $status
