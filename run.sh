#!/usr/bin/env bash
# Builds Inboxhop and starts it under Wine. Without an argument it shows
# its window; with a mail link it hands the link to the browser, as the
# shell would. Uses WINEPREFIX when set, Wine's own default otherwise.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Inboxhop >/dev/null
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a wine build/windows/Inboxhop.exe "$@"
fi
exec wine build/windows/Inboxhop.exe "$@"
