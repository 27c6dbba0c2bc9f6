#!/usr/bin/env bash
# Prepares the throwaway Wine prefix that the tests run in, once:
# no Mono or Gecko prompts, no crash dialog.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
# A 32-bit prefix on purpose: with wine64 installed, new prefixes would be
# 64-bit otherwise.
export WINEARCH=win32 WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$prefix/.inboxhop-ready" ]; then exit 0; fi
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.inboxhop-ready"
