#!/usr/bin/env bash
# The users' page's by-hand removal of a registration for one user
# (docs/users.md): its `reg` lines, run in a Wine command prompt exactly as
# the page gives them, take
# away the keys they name and leave the mailto command and the record for the
# PowerShell lines (Wine has no working PowerShell to run those).
#
#   readme_recipe.sh SOURCE_DIR      (in the test prefix: WINEPREFIX)
set -uo pipefail
source_dir=${1:?usage: readme_recipe.sh SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
reg() { wine reg "$@" >/dev/null 2>&1; }

# The lines of the page's block that follows "In a command prompt, for the keys:".
awk '/^In a command prompt, for the keys:/ {found = 1; next}
     found && /^```/ {if (inside) exit; inside = 1; next}
     inside {print}' "$source_dir/docs/users.md" >"$work/lines"
if ! grep -q '^reg delete' "$work/lines"; then
  echo "docs/users.md: no reg lines after \"In a command prompt, for the keys:\"" >&2
  exit 1
fi
sed 's/$/\r/' "$work/lines" >"$work/recipe.bat"

classes='HKCU\Software\Classes'
command="$classes\\mailto\\shell\\open\\command"
record='HKCU\Software\Kestrelon\Inboxhop'
for key in "$classes\\Inboxhop.mailto" 'HKCU\Software\Clients\Mail\Inboxhop' "$classes\\mailto" "$record"; do
  if reg query "$key"; then
    echo "the test prefix already holds $key; a test before left it" >&2
    exit 1
  fi
done
# The parents this test makes, to take away afterwards.
made=()
for key in 'HKCU\Software\Clients' 'HKCU\Software\RegisteredApplications' 'HKCU\Software\Kestrelon'; do
  reg query "$key" || made+=("$key")
done
# A registration for the user, as the button leaves it, with a record.
reg add "$classes\\Inboxhop.mailto\\shell\\open\\command" /ve /d '"C:\Inboxhop\Inboxhop.exe" "%1"' /f
reg add 'HKCU\Software\Clients\Mail\Inboxhop\Capabilities' /v ApplicationName /d Inboxhop /f
reg add 'HKCU\Software\RegisteredApplications' /v Inboxhop /d 'Software\Clients\Mail\Inboxhop\Capabilities' /f
reg add "$command" /ve /d '"C:\Inboxhop\Inboxhop.exe" "%1"' /f
reg add "$record" /v MailtoCommand /d '"%LOCALAPPDATA%\OtherMail\mail.exe" "%1"' /f
reg add "$record" /v MailtoCommandType /t REG_DWORD /d 2 /f
reg add "$record" /v MailtoCommandSaved /t REG_DWORD /d 1 /f

status=0
wine cmd /c "$(winepath -w "$work/recipe.bat")" >"$work/out" 2>&1 || { echo "the users' page's reg lines failed:" >&2; cat "$work/out" >&2; status=1; }
reg query "$classes\\Inboxhop.mailto" && { echo "Inboxhop.mailto is still there" >&2; status=1; }
reg query 'HKCU\Software\Clients\Mail\Inboxhop' && { echo "the mail client is still there" >&2; status=1; }
reg query 'HKCU\Software\RegisteredApplications' /v Inboxhop && { echo "the registered application is still there" >&2; status=1; }
grep -q 'Inboxhop.exe' "$work/out" || { echo "the queries did not show the command" >&2; status=1; }
grep -q 'MailtoCommandSaved' "$work/out" || { echo "the queries did not show the record" >&2; status=1; }

reg delete "$classes\\mailto" /f
reg delete "$record" /f
for key in "${made[@]}"; do reg delete "$key" /f; done
[ $status -eq 0 ] && echo "The users' page's reg lines remove the user's registration and show the command and the record."
exit $status
