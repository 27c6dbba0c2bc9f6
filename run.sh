#!/usr/bin/env bash
# Builds Inboxhop and starts it under Wine. Without an argument it shows
# its window; with a mail link it hands the link to the browser, as the
# shell would. Runs in WINEPREFIX when set, otherwise in the project's own
# prefix build/wineprefix-run; tools/wine-prefix.sh prepares either (a
# 32-bit prefix, Arial as Windows draws it).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Inboxhop >/dev/null
export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix-run}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
tools/wine-prefix.sh "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a wine build/windows/Inboxhop.exe "$@"
fi
exec wine build/windows/Inboxhop.exe "$@"
