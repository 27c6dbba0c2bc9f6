#!/usr/bin/env bash
# Prepares a throwaway 64-bit Wine prefix, once: there the 32-bit program
# runs under WOW64, as on 64-bit Windows. No Mono or Gecko prompts, no crash
# dialog, no menu entries or icons written into the Linux user's home
# (winemenubuilder off). Usage: wine-prefix64.sh PREFIX
set -euo pipefail
prefix=${1:?usage: wine-prefix64.sh PREFIX}
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ -f "$prefix/.inboxhop-ready" ]; then exit 0; fi
if [ ! -x /usr/lib/wine/wine64 ]; then
  echo "wine64 is not installed (Debian package wine64)" >&2
  exit 1
fi
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f >/dev/null 2>&1
wineserver -w
if ! grep -q '^#arch=win64' "$prefix/system.reg"; then
  echo "$prefix is not a 64-bit prefix" >&2
  exit 1
fi
touch "$prefix/.inboxhop-ready"
