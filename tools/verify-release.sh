#!/usr/bin/env bash
# Checks that released files are what this source builds: rebuilds the
# packages from this checkout (check out the release's commit first), gives
# the rebuilt files the released files' signatures (osslsigncode
# attach-signature: the program's, the uninstaller's inside the installer,
# the installer's, the custom action's inside the MSI, and the MSI's) and
# compares them byte for byte.
#
#   tools/verify-release.sh FOLDER
#
# FOLDER holds the downloaded release files: Inboxhop-<version>-win32.zip,
# Inboxhop-<version>-setup.exe, Inboxhop-<version>.msi and Inboxhop.exe, or
# some of them. Says for each whether it is identical to the rebuilt one;
# exits non-zero unless every file found is. The date of the rebuild is the
# commit's, or SOURCE_DATE_EPOCH when set, as in the release's build.
set -uo pipefail
release=$(cd "${1:?usage: tools/verify-release.sh FOLDER}" && pwd) || exit 2
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/install-deps.sh" || exit 2
version=$(sed -n 's/^#define INBOXHOP_VERSION_BINARY \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1.\2.\3/p' \
          "$here/resources/version.h")
zip=Inboxhop-$version-win32.zip
setup=Inboxhop-$version-setup.exe
msi=Inboxhop-$version.msi
work=$(mktemp -d /tmp/inboxhop-verify.XXXXXX)
trap 'rm -rf "$work"' EXIT
signatures=$work/signatures
mkdir -p "$signatures"

# The released signature of a file, as <name>.pem; none when it is unsigned.
signature() {
  osslsigncode extract-signature -pem -in "$1" -out "$signatures/$2.pem" >/dev/null 2>&1 ||
    rm -f "$signatures/$2.pem"
}
if [ -f "$release/Inboxhop.exe" ]; then
  signature "$release/Inboxhop.exe" Inboxhop.exe
elif [ -f "$release/$zip" ]; then
  (cd "$work" && cmake -E tar xf "$release/$zip") &&
    signature "$work/Inboxhop-$version-win32/Inboxhop.exe" Inboxhop.exe
fi
if [ -f "$release/$msi" ]; then
  signature "$release/$msi" "$msi"
  # The MSI's custom action, signed on its own, lies in its Binary table.
  msiinfo extract "$release/$msi" Binary.MailLinksAction >"$work/RestoreMailLinks.dll" 2>/dev/null &&
    signature "$work/RestoreMailLinks.dll" RestoreMailLinks.dll
fi
if [ -f "$release/$setup" ]; then
  signature "$release/$setup" "$setup"
  # The signed uninstaller lies, whole, in the installer's LZMA-compressed
  # data (NSIS's solid archive): the program there that is itself an NSIS
  # installer and carries a signature.
  python3 - "$release/$setup" "$work/Uninstall.exe" <<'PYTHON' && signature "$work/Uninstall.exe" Uninstall.exe
import lzma, struct, sys
data = open(sys.argv[1], "rb").read()
mark = data.find(b"\xef\xbe\xad\xdeNullsoftInst")
if mark < 4:
    sys.exit("no NSIS data in " + sys.argv[1])
length = struct.unpack_from("<i", data, mark + 20)[0]
properties = data[mark + 24:mark + 29]
lc, rest = properties[0] % 9, properties[0] // 9
decoder = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[{
    "id": lzma.FILTER_LZMA1, "dict_size": struct.unpack_from("<I", properties, 1)[0],
    "lc": lc, "lp": rest % 5, "pb": rest // 5}])
try:
    stream = decoder.decompress(data[mark + 29:mark - 4 + length])
except lzma.LZMAError:
    stream = b""
for start in range(len(stream)):
    if stream[start:start + 2] != b"MZ":
        continue
    pe = start + struct.unpack_from("<I", stream, start + 0x3C)[0] if start + 0x40 <= len(stream) else -1
    if pe < 0 or stream[pe:pe + 4] != b"PE\0\0":
        continue
    offset, size = struct.unpack_from("<II", stream, pe + 24 + 96 + 32)
    end = start + offset + size
    if size and end <= len(stream) and b"NullsoftInst" in stream[start:start + offset]:
        open(sys.argv[2], "wb").write(stream[start:end])
        sys.exit(0)
sys.exit("no signed uninstaller in " + sys.argv[1])
PYTHON
fi

# The rebuild, in a folder of its own, with those signatures.
build=$work/build
log=$work/build.log
if ! (cd "$here" && unset INBOXHOP_SIGN_CERT INBOXHOP_SIGN_KEY INBOXHOP_SIGN_TIMESTAMP INBOXHOP_SIGN_COMMAND \
        INBOXHOP_SIGN_PKCS11_MODULE INBOXHOP_SIGN_PIN_FILE INBOXHOP_SIGN_ROOT &&
      export INBOXHOP_SIGNATURES=$signatures &&
      cmake --preset windows -B "$build" -DINBOXHOP_TESTS=OFF &&
      cmake --build "$build" --target package) >"$log" 2>&1; then
  cat "$log" >&2
  echo "The rebuild failed." >&2
  exit 2
fi

found=0
differ=0
for file in Inboxhop.exe "$zip" "$setup" "$msi"; do
  [ -f "$release/$file" ] || continue
  found=1
  if cmp -s "$release/$file" "$build/$file"; then
    echo "$file: identical"
  else
    echo "$file: NOT identical to the rebuilt file"
    differ=1
  fi
done
if [ $found -eq 0 ]; then
  echo "No release files in $release." >&2
  exit 2
fi
exit $differ
