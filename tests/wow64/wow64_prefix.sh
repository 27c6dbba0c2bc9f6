#!/usr/bin/env bash
# Runs the WOW64 end-to-end test in a 64-bit prefix of its own, created once: the 32-bit test program (and the
# 32-bit Inboxhop.exe it presses) run under WOW64 there, as on 64-bit Windows.
# Usage: wow64_prefix.sh TEST_PROGRAM OPENER64 DEFAULT_PREFIX (INBOXHOP_WINEPREFIX64 names another prefix.)
set -uo pipefail
tests=${1:?usage: wow64_prefix.sh TEST_PROGRAM OPENER64 PREFIX}
opener=${2:?}
prefix=${INBOXHOP_WINEPREFIX64:-${3:?}}
here=$(cd "$(dirname "$0")/../.." && pwd)

"$here/tools/wine-prefix64.sh" "$prefix" || exit 1
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
export WINEARCH=win64 WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Keys of an earlier run, in either view, would let a missing write pass: remove them before and after.
reg64() { /usr/lib/wine/wine64 'C:\windows\system32\reg.exe' "$@" >/dev/null 2>&1; }
clean() {
  for view in 64 32; do
    reg64 delete 'HKLM\SOFTWARE\Classes\Inboxhop.mailto' /f /reg:$view
    reg64 delete 'HKLM\SOFTWARE\Clients\Mail\Inboxhop' /f /reg:$view
    reg64 delete 'HKLM\SOFTWARE\RegisteredApplications' /v Inboxhop /f /reg:$view
  done
}
wineserver -p
clean
INBOXHOP_SHELL_OPEN64=$(winepath -w "$opener")
export INBOXHOP_SHELL_OPEN64
output=$(wine "$tests" --gtest_filter='DefaultApps.UnderWow64*' 2>&1)
status=$?
printf '%s\n' "$output"
clean
wineserver -k 2>/dev/null

[ $status -eq 0 ] || exit $status
# A skip means the test did not run under WOW64: that is a failure here.
if grep -q '\[  SKIPPED \]' <<<"$output" || ! grep -q '\[  PASSED  \] 1 test' <<<"$output"; then
  echo "the test did not run under WOW64" >&2
  exit 1
fi
