#!/usr/bin/env bash
# Keeps the source folders layered: each may include only its own floor and
# the floors below it. base/ is the bottom, registry/ stands on it,
# mail_links/ (the registration and its undo) on registry/, settings/ on
# registry/ (the store is kept in the registry), ui/ on those,
# app/ on everything. And one naming rule for the Windows code (below).
set -uo pipefail
cd "$(dirname "$0")/../src"
allowed() {
  case $1 in
    base) echo "base" ;;
    registry) echo "base registry" ;;
    mail_links) echo "base registry mail_links" ;;
    settings) echo "base registry settings" ;;
    ui) echo "base registry mail_links settings ui" ;;
    app) echo "base registry mail_links settings ui app" ;;
  esac
}
status=0
for folder in base registry mail_links settings ui app; do
  ok=" $(allowed $folder) "
  while IFS=: read -r file line target; do
    floor=${target%%/*}
    if [[ "$ok" != *" $floor "* ]]; then
      echo "src/$file:$line includes $target, a floor above $folder/" >&2
      status=1
    fi
  done < <(grep -rnoE '^#include "[a-z_]+/' "$folder" | sed -E 's/#include "//')
done
[ $status -eq 0 ] && echo "Layers: every include runs downward."

# One rule for _win, in the program and in everything built beside it (the
# tests and their helper programs, the benchmark, the installers' code, the
# fuzzer): a .cpp file that includes <windows.h>, itself or through a header
# of ours, ends in _win.cpp (a Windows test in _win_test.cpp); a header is
# named for what it holds and never ends in _win.h.
cd ..
trees="src tests bench installer fuzz"
win=0
for file in $(find $trees -name '*_win.h'); do
  echo "$file: a header is named for what it holds, without _win" >&2
  win=1
done
# The headers that bring in <windows.h>, found until no more are. Headers
# under src/ are included by their path below it, the others by their name.
headers=$(find $trees -name '*.h')
windows_headers=$(grep -lE '^#include <windows\.h>' $headers | sort)
while :; do
  pattern=$(printf '%s\n' $windows_headers | sed -E '/^src\//{s#^src/##;b};s#^.*/##' | sed 's/\./\\./g' |
            sort -u | paste -sd'|')
  more=$( (printf '%s\n' $windows_headers; grep -lE "^#include \"($pattern)\"" $headers) | sort -u)
  [ "$more" = "$windows_headers" ] && break
  windows_headers=$more
done
for file in $(grep -lE "^#include (<windows\.h>|\"($pattern)\")" $(find $trees -name '*.cpp')); do
  case $file in
    *_win.cpp | *_win_test.cpp) ;;
    *) echo "$file includes <windows.h>: its name ends in _win.cpp" >&2; win=1 ;;
  esac
done
[ $win -eq 0 ] && echo "Names: Windows code in _win.cpp files, headers without _win."
[ $status -eq 0 ] && [ $win -eq 0 ]
