#!/usr/bin/env bash
# Signing end to end, with a CA and a time-stamping authority made here, shaped like public ones (RSA 4096 root and
# intermediate, RSA 3072 leaf, CRL, AIA and policy extensions), and a SoftHSM2 token holding a key made on it that
# cannot be extracted:
# - the packages built with the token's key and time-stamped by a server on 127.0.0.1 carry signatures with time
#   stamps that osslsigncode verifies on the program, the MSI's custom action, the MSI, the installer and the
#   uninstaller a silent install writes; the signed program is within 176 KB; the PIN shows nowhere; the signed
#   installer installs and uninstalls silently; the signed MSI, a changed rebuild of the unsigned one's version,
#   replaces it with one entry; tools/verify-release.sh finds the signed files to be this source's, but for one
#   changed since;
# - a key file, and a signing command with a time stamp, sign a program and an MSI;
# - each failure says what is wrong and leaves no file behind: a wrong PIN, a missing token, a command that fails,
#   writes nothing, garbage or another file's signature, two ways of signing at once, and, in a build, a time-stamp
#   server that does not answer, which leaves no package.
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
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
version=$(sed -n 's/^#define INBOXHOP_VERSION_BINARY \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1.\2.\3/p' \
          "$source/resources/version.h")
unset "${!INBOXHOP_SIGN@}" INBOXHOP_SIGNATURES

# name, issuer (none: self-signed), key bits, extended key usage (none: a CA); FORCE_KEY: a public key to certify.
issue() {
  set -- "$1" "$2" "$3" "${4:-}"
  printf 'subjectKeyIdentifier=hash\ncertificatePolicies=2.23.140.1.3\n' >"$1.ext"
  [ -z "$4" ] && printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\n' >>"$1.ext"
  [ -n "$4" ] && printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=critical,%s\n' "$4" >>"$1.ext"
  [ -n "$2" ] && printf 'authorityKeyIdentifier=keyid\ncrlDistributionPoints=URI:http://crl.example.test/%s.crl
authorityInfoAccess=caIssuers;URI:http://crt.example.test/%s.crt,OCSP;URI:http://ocsp.example.test\n' "$2" "$2" \
    >>"$1.ext"
  openssl req -new -newkey "rsa:$3" -nodes -keyout "$1.key" -subj "/O=Inboxhop Test/CN=$1" -out "$1.csr" 2>/dev/null &&
    if [ -z "$2" ]; then
      openssl x509 -req -in "$1.csr" -key "$1.key" -days 2 -extfile "$1.ext" -out "$1.pem"
    else
      openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days 2 -extfile "$1.ext" \
        ${FORCE_KEY:+-force_pubkey "$FORCE_KEY"} -out "$1.pem"
    fi 2>/dev/null || { echo "openssl could not make $1" >&2; exit 1; }
}
issue root "" 4096 && issue ca root 4096 && issue signer ca 3072 codeSigning
issue tsa-root "" 4096 && issue tsa-ca tsa-root 4096 && issue tsa tsa-ca 3072 timeStamping
cat signer.pem ca.pem >signer-chain.pem && cat root.pem tsa-root.pem >roots.pem

# The token, its key made on it, and the certificate of that key.
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir tokens && printf 'directories.tokendir = %s/tokens\nobjects.backend = file\n' "$work" >"$SOFTHSM2_CONF"
module=/usr/lib/softhsm/libsofthsm2.so
printf '80417263' >pin && printf '11111111' >wrong-pin && chmod 600 pin wrong-pin
p11() { pkcs11-tool --module "$module" --token-label inboxhop-test --login --pin 80417263 "$@"; }
softhsm2-util --init-token --free --label inboxhop-test --pin 80417263 --so-pin 12345678 >/dev/null &&
  p11 --keypairgen --key-type rsa:3072 --label codesign --id 01 --usage-sign >/dev/null 2>&1 &&
  p11 --read-object --type pubkey --label codesign -o token.der >/dev/null 2>&1 &&
  openssl pkey -pubin -inform DER -in token.der -out token.pub || { echo "SoftHSM2 made no key" >&2; exit 1; }
p11 --list-objects --type privkey 2>/dev/null | grep -q "never extractable" || fail "the token's key is extractable"
FORCE_KEY=token.pub issue token-signer ca 3072 codeSigning && cat token-signer.pem ca.pem >token-chain.pem

# The time-stamping authority, answering on 127.0.0.1 until it has answered 12 requests, or for 10 minutes.
printf '[tsa]\ndefault_tsa = authority\n[authority]\nserial = %s/serial\nsigner_cert = %s/tsa.pem\ncerts = %s/tsa-ca.pem
signer_key = %s/tsa.key\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\n' \
  "$work" "$work" "$work" "$work" >tsa.cnf && printf 'ess_cert_id_alg = sha256\n' >>tsa.cnf && echo 01 >serial
"$source/tests/release/timestamp_server.py" tsa.cnf port 12 600 &
server=$!
for _ in $(seq 50); do [ -s port ] && break; sleep 0.1; done
timestamp=http://127.0.0.1:$(cat port)

# Whether the log $1 says $2 (CMake wraps its messages).
says() { tr -s ' \n' '  ' <"$1" | grep -q "$2"; }
# A file's signature, and its time stamp unless "untimed" follows.
verify() {
  osslsigncode verify -CAfile root.pem -TSA-CAfile tsa-root.pem -ignore-crl -in "$1" >verify.out 2>&1 &&
    { [ "${2:-}" = untimed ] || grep -q "Timestamp Server Signature verification: ok" verify.out; } ||
    fail "$1: no valid signature (${2:-with a time stamp}): $(grep -i -e fail -e error verify.out)"
}

key='pkcs11:token=inboxhop-test;object=codesign;type=private'
export INBOXHOP_SIGN_KEY=$key INBOXHOP_SIGN_PIN_FILE=$work/pin \
  INBOXHOP_SIGN_PKCS11_MODULE=$module INBOXHOP_SIGN_CERT=$work/token-chain.pem INBOXHOP_SIGN_TIMESTAMP=$timestamp
build=$work/build
if ! (cd "$source" && cmake --preset windows -B "$build" -DINBOXHOP_TESTS=OFF &&
      cmake --build "$build" --target package) >build.log 2>&1; then
  cat build.log >&2
  echo "The signed build failed." >&2
  exit 1
fi
msiinfo extract "$build/Inboxhop-$version.msi" Binary.MailLinksAction >RestoreMailLinks.dll
for file in "$build/Inboxhop.exe" RestoreMailLinks.dll "$build/Inboxhop-$version-setup.exe" \
            "$build/Inboxhop-$version.msi"; do
  verify "$file"
done
grep -rq 80417263 build.log "$build/signing.state" && fail "the PIN shows in the build's log or state"
[ "$(stat -c %s "$build/Inboxhop.exe")" -le 180224 ] || fail "the signed program is over 176 KB"
grep -h "Inboxhop.exe: " build.log

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

# A time-stamp server that does not answer: the build fails, and no package is left.
if INBOXHOP_SIGN_TIMESTAMP=http://127.0.0.1:9 cmake --build "$build" --target package >unanswered.log 2>&1; then
  fail "the build passed without a time stamp"
fi
says unanswered.log "did not answer" || fail "no message says that the time-stamp server did not answer"
for file in "${version_files[@]}"; do [ -e "$build/$file" ] && fail "$file is left without its time stamp"; done

# The other ways, each on one file at a time (cmake/Signing.cmake as a script), with the token's variables unset.
unset "${!INBOXHOP_SIGN@}"
printf '#!/bin/sh\nexec osslsigncode sign -certs %s -key %s -h sha256 -n Inboxhop -in "${DATA:-$1}" -out "$2" %s\n' \
  "$work/signer-chain.pem" "$work/signer.key" ">/dev/null" >sign &&
  printf '#!/bin/sh\nhead -c 400 /dev/urandom >"$2"\n' >garbage && chmod +x sign garbage
osslsigncode extract-data -h sha256 -in RestoreMailLinks.dll -out other.p7 >/dev/null
sign() {  # the file to sign, a copy of which is signed, then the environment
  cp "$1" "$work/signed-${1##*/}" && env "${@:2}" cmake "-DFILE=$work/signed-${1##*/}" -P "$source/cmake/Signing.cmake"
}
sign "$unsigned/Inboxhop.exe" INBOXHOP_SIGN_KEY=signer.key INBOXHOP_SIGN_CERT=signer-chain.pem &&
  verify signed-Inboxhop.exe untimed
for file in "$unsigned/Inboxhop.exe" "$unsigned/Inboxhop-$version.msi"; do
  sign "$file" INBOXHOP_SIGN_COMMAND="$work/sign" INBOXHOP_SIGN_ROOT=roots.pem INBOXHOP_SIGN_TIMESTAMP="$timestamp" &&
    verify "signed-${file##*/}"
done
token=(INBOXHOP_SIGN_PKCS11_MODULE=$module INBOXHOP_SIGN_CERT=token-chain.pem)
while IFS='|' read -r message environment; do
  eval "environment=($environment)"
  sign "$unsigned/Inboxhop.exe" "${environment[@]}" >refused.log 2>&1 && fail "signed with ${environment[*]}"
  says refused.log "$message" || fail "no \"$message\" with ${environment[*]}: $(cat refused.log)"
  [ -z "$(ls signed-Inboxhop.exe* 2>/dev/null)" ] || fail "a file is left after \"$message\""
done <<'CASES'
The token refused the PIN|"${token[@]}" INBOXHOP_SIGN_KEY="$key" INBOXHOP_SIGN_PIN_FILE=wrong-pin
No token holds the key|"${token[@]}" INBOXHOP_SIGN_KEY="pkcs11:token=absent;object=codesign" INBOXHOP_SIGN_PIN_FILE=pin
INBOXHOP_SIGN_COMMAND failed|INBOXHOP_SIGN_COMMAND=false
INBOXHOP_SIGN_COMMAND wrote no signature|INBOXHOP_SIGN_COMMAND=true
cannot attach|INBOXHOP_SIGN_COMMAND="$work/garbage"
it signs other data|INBOXHOP_SIGN_COMMAND="$work/sign" DATA=other.p7 INBOXHOP_SIGN_ROOT=roots.pem
are both set|INBOXHOP_SIGN_COMMAND="$work/sign" INBOXHOP_SIGN_KEY=signer.key INBOXHOP_SIGN_CERT=signer-chain.pem
CASES
exit $failed
