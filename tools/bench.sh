#!/usr/bin/env bash
# Measures Inboxhop under Wine against the least a program of its kind does:
# the hand-off against a minimal start-per-link handler, start-until-visible
# against a minimal one-window program, and its footprint: stripped size,
# imported DLLs, peak memory of a hand-off. Each round times Inboxhop and its
# minimal program back to back; the targets are judged on the median of the
# per-round ratios, reported with their interquartile range and with each
# program's own median beside them.
#
#   tools/bench.sh [ROUNDS]             default 40 timed rounds
#   tools/bench.sh --profile [ROUNDS]   where the hand-off's time goes, step by step
#
# Everything is built in INBOXHOP_BENCH_BUILD (default build/bench) with the
# windows toolchain in Release, as the windows preset builds the program; the
# programs are measured from its run/ folder, Inboxhop.exe stripped and with
# the files the build puts beside it. Runs in its own Wine prefix
# (WINEPREFIX, default build/wineprefix-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
all_args=("$@")
mode=()
if [ "${1:-}" = "--profile" ]; then mode=(--profile); shift; fi
rounds=${1:-40}
bench_build=${INBOXHOP_BENCH_BUILD:-build/bench}
case $bench_build in /*) ;; *) bench_build=$here/$bench_build ;; esac
run=$bench_build/run
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix-bench}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The benchmark measures an unsigned program, which it strips: a release's
# signing variables stay out of its build.
unset INBOXHOP_SIGN_CERT INBOXHOP_SIGN_KEY INBOXHOP_SIGN_TIMESTAMP INBOXHOP_SIGNATURES

if [ -z "${INBOXHOP_IN_DISPLAY:-}" ]; then
  tools/install-deps.sh
  quiet() {
    local log
    log=$(mktemp)
    if ! "$@" >"$log" 2>&1; then cat "$log" >&2; rm -f "$log"; exit 1; fi
    rm -f "$log"
  }
  quiet cmake -S bench -B "$bench_build" --toolchain "$here/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release
  quiet cmake --build "$bench_build" -j2 --target Inboxhop Recorder Bench MinimalHandler MinimalWindow ProfileHandOff
  rm -rf "$run"
  mkdir -p "$run"
  i686-w64-mingw32-strip -o "$run/Inboxhop.exe" "$bench_build/Inboxhop.exe"
  for f in Recorder Bench MinimalHandler MinimalWindow ProfileHandOff; do cp "$bench_build/$f.exe" "$run/"; done
  # What the build puts beside the program (the pointer file, a skin).
  [ -f "$bench_build/HAND-M.CUR" ] && cp "$bench_build/HAND-M.CUR" "$run/"
  [ -d "$bench_build/x" ] && cp -r "$bench_build/x" "$run/"

  echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores," \
       "$(free -g | awk '/^Mem:/ {print $2}') GiB; $(uname -sr); $(wine --version)"
  echo "Command: tools/bench.sh ${mode[*]:+${mode[*]} }$rounds"
  echo
  echo "Footprint"
  printf '  %-22s %8d bytes (stripped; %d before stripping)\n' "Inboxhop.exe" \
    "$(stat -c %s "$run/Inboxhop.exe")" "$(stat -c %s "$bench_build/Inboxhop.exe")"
  printf '  %-22s %8d bytes (stripped)\n' "MinimalHandler.exe" "$(stat -c %s "$run/MinimalHandler.exe")"
  system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll \
oleacc.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll "
  imports=$(i686-w64-mingw32-objdump -p "$run/Inboxhop.exe" | sed -n 's/^\s*DLL Name: //p' |
            tr 'A-Z' 'a-z' | tr -d '\r')
  others=""
  for dll in $imports; do [[ "$system_dlls" == *" $dll "* ]] || others="$others $dll"; done
  echo "  imports: $(echo $imports)"
  if [ -n "$others" ]; then echo "  NOT system DLLs:$others"; else echo "  all of them Windows system DLLs"; fi
  echo

  "$here/tools/wine-prefix.sh" "$WINEPREFIX"
  if [ -z "${DISPLAY:-}" ]; then
    INBOXHOP_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "${all_args[@]}"
  fi
fi

# A warm wineserver for the whole run, so that no measurement pays its start.
wineserver -p
wine cmd /c exit >/dev/null 2>&1
status=0
wine "$run/Bench.exe" "${mode[@]}" "$rounds" || status=$?
wineserver -k 2>/dev/null || true
exit $status
