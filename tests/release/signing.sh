#!/usr/bin/env bash
# Signing end to end, with a throwaway CA and code-signing certificate made here: the packages built with them (in
# a folder of their own) carry signatures that osslsigncode verifies on the program, the installer, the MSI and the
# uninstaller a silent install writes; the signed installer installs and uninstalls silently; the signed MSI, a
# changed rebuild of the unsigned one's version, replaces it with one entry; tools/verify-release.sh finds the signed
# files to be this source's, but for one changed since; a missing key file fails the build.
# Runs in the test prefix (tools/ctest-wine.sh). Usage: signing.sh BUILD_FOLDER (the unsigned packages)
set -uo pipefail
unsigned=$(cd "${1:?usage: signing.sh BUILD_FOLDER}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/inboxhop-signing.XXXXXX)
failed=0
fail() { echo "$*" >&2; failed=1; }
# A failed run leaves no MSI installation behind for the tests after it.
cleanup() {
  if [ $failed -ne 0 ]; then
    for code in ${old:-} ${new:-}; do wine msiexec /x "$code" /qn >/dev/null 2>&1; done
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cd "$work" || exit 1
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Inboxhop Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null &&
  openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Inboxhop Test Signer" \
    2>/dev/null &&
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext &&
  openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile ext -out signer.pem \
    2>/dev/null &&
  cat signer.pem ca.pem >chain.pem || { echo "openssl could not make the certificates" >&2; exit 1; }

export INBOXHOP_SIGN_CERT=$work/chain.pem INBOXHOP_SIGN_KEY=$work/signer.key
version=$(sed -n 's/^#define INBOXHOP_VERSION_BINARY \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1.\2.\3/p' \
          "$source/resources/version.h")
build=$work/build
if ! (cd "$source" && cmake --preset windows -B "$build" -DINBOXHOP_TESTS=OFF &&
      cmake --build "$build" --target package) >build.log 2>&1; then
  cat build.log >&2
  echo "The signed build failed." >&2
  exit 1
fi
verify() {
  osslsigncode verify -CAfile "$work/ca.pem" -in "$1" >/dev/null 2>&1 || fail "$1: no valid signature"
}
for file in Inboxhop.exe "Inboxhop-$version-setup.exe" "Inboxhop-$version.msi"; do verify "$build/$file"; done

# Just for me, into a folder of its own, and out again in place (_?=, so that it can be waited for).
folder='C:\inboxhop-signed'
unix=$(winepath -u "$folder")
wine "$build/Inboxhop-$version-setup.exe" /S /CurrentUser "/D=$folder" || fail "the signed installer failed"
verify "$unix/Uninstall.exe"
cmp -s "$unix/Inboxhop.exe" "$build/Inboxhop.exe" || fail "the installed program is not the signed one"
wine "$unix/Uninstall.exe" /S /CurrentUser "_?=$folder" || fail "the signed uninstaller failed"
rm -f "$unix/Uninstall.exe"
rmdir "$unix" 2>/dev/null || fail "the uninstaller left files: $(ls "$unix")"

# The MSI: the unsigned package, then the signed one of the same version, which replaces it; then removed.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t\(.*\)\r$/\1/p'; }
old=$(code "$unsigned/Inboxhop-$version.msi")
new=$(code "$build/Inboxhop-$version.msi")
[ -n "$old" ] && [ "$old" != "$new" ] || fail "the signed MSI has the unsigned one's product code"
wine msiexec /i "$unsigned/Inboxhop-$version.msi" /qn || fail "the unsigned MSI did not install"
wine msiexec /i "$build/Inboxhop-$version.msi" /qn || fail "the signed MSI did not install over it"
entries=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r' | grep -c -e "$old" -e "$new")
wine reg query "$uninstall_key\\$new" >/dev/null 2>&1 && [ "$entries" -eq 1 ] ||
  fail "after the signed MSI: $entries entries, not its one"
cmp -s "$(winepath -u 'C:\Program Files\Inboxhop\Inboxhop.exe')" "$build/Inboxhop.exe" ||
  fail "the MSI's program is not the signed one"
wine msiexec /x "$new" /qn || fail "the signed MSI did not uninstall"
wine reg query "$uninstall_key\\$new" >/dev/null 2>&1 && fail "the signed MSI's entry is left"

# The signed release, its zip changed since: verify-release.sh rebuilds, attaches the signatures and compares.
version_files=(Inboxhop.exe "Inboxhop-$version-win32.zip" "Inboxhop-$version-setup.exe" "Inboxhop-$version.msi")
mkdir release && (cd "$build" && cp "${version_files[@]}" "$work/release/") &&
  printf 'x' >>"release/Inboxhop-$version-win32.zip"
"$source/tools/verify-release.sh" release >verify.log 2>&1 && fail "verify-release.sh passed a changed zip"
for file in "${version_files[@]}"; do
  expected="$file: identical"
  [ "$file" = "Inboxhop-$version-win32.zip" ] && expected="$file: NOT identical to the rebuilt file"
  grep -qx "$expected" verify.log || fail "verify-release.sh did not say \"$expected\": $(cat verify.log)"
done

# A key file that is not there: the build fails, saying which.
if INBOXHOP_SIGN_KEY=$work/missing.key cmake --build "$build" --target package >missing.log 2>&1; then
  fail "the build passed with a missing key file"
fi
grep -q "INBOXHOP_SIGN_KEY names $work/missing.key" missing.log || fail "no message names the missing key file"
exit $failed
