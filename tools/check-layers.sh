#!/usr/bin/env bash
# Keeps the source folders layered: each may include only its own floor and
# the floors below it. base/ is the bottom, registry/ stands on it,
# settings/ on registry/ (the store is kept in the registry), ui/ on those,
# app/ on everything. And one naming rule for the Windows code (below).
set -uo pipefail
cd "$(dirname "$0")/../src"
allowed() {
  case $1 in
    base) echo "base" ;;
    registry) echo "base registry" ;;
    settings) echo "base registry settings" ;;
    ui) echo "base registry settings ui" ;;
    app) echo "base registry settings ui app" ;;
  esac
}
status=0
for folder in base registry settings ui app; do
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

# One rule for _win: a .cpp file that includes <windows.h>, itself or through
# a header of ours, ends in _win.cpp; a header is named for what it holds and
# never ends in _win.h.
win=0
for file in */*_win.h; do
  [ -e "$file" ] || continue
  echo "src/$file: a header is named for what it holds, without _win" >&2
  win=1
done
# The headers that bring in <windows.h>, found until no more are.
windows_headers=$(grep -lE '^#include <windows\.h>' */*.h | sort)
while :; do
  pattern=$(printf '%s\n' $windows_headers | sed 's/\./\\./g' | paste -sd'|')
  more=$( (printf '%s\n' $windows_headers; grep -lE "^#include \"($pattern)\"" */*.h) | sort -u)
  [ "$more" = "$windows_headers" ] && break
  windows_headers=$more
done
pattern=$(printf '%s\n' $windows_headers | sed 's/\./\\./g' | paste -sd'|')
for file in $(grep -lE "^#include (<windows\.h>|\"($pattern)\")" */*.cpp); do
  case $file in
    *_win.cpp) ;;
    *) echo "src/$file includes <windows.h>: its name ends in _win.cpp" >&2; win=1 ;;
  esac
done
[ $win -eq 0 ] && echo "Names: Windows code in _win.cpp files, headers without _win."
[ $status -eq 0 ] && [ $win -eq 0 ]
