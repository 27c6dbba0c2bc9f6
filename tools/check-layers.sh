#!/usr/bin/env bash
# Keeps the source folders layered: each may include only its own floor and
# the floors below it. base/ is the bottom, registry/ stands on it,
# settings/ on registry/ (the store is kept in the registry), ui/ on those,
# app/ on everything.
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
exit $status
