#!/usr/bin/env bash
# Builds the packages a second time, from a copy of the sources in another
# folder (a path of another length), under another time zone and umask, as
# another user when run as root, and compares the four release files with
# those of the build folder given; then checks the winget manifests against
# the files. Usage: reproducible.sh BUILD_FOLDER
set -uo pipefail
first=$(cd "${1:?usage: reproducible.sh BUILD_FOLDER}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^#define INBOXHOP_VERSION_BINARY \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1.\2.\3/p' \
          "$source/resources/version.h")
files=(Inboxhop.exe "Inboxhop-$version-win32.zip" "Inboxhop-$version-setup.exe" "Inboxhop-$version.msi")

# The sources as they are (tracked and new files), without git: the date comes
# from SOURCE_DATE_EPOCH there.
other=$(mktemp -d /tmp/inboxhop-second-build.XXXXXX)
trap 'rm -rf "$other"' EXIT
copy=$other/sources-of-the-second-build
mkdir -p "$copy"
(cd "$source" && git ls-files -z --cached --others --exclude-standard | xargs -0 tar -cf - 2>/dev/null) |
  tar -xf - -C "$copy" || exit 1
as_other=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$other"
  as_other=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct)}
log=$other/build.log
if ! (cd "$copy" && umask 077 && export TZ=XYZ-5:45 HOME=$other SOURCE_DATE_EPOCH &&
      "${as_other[@]}" cmake --preset windows -DINBOXHOP_TESTS=OFF &&
      "${as_other[@]}" cmake --build --preset windows --target package) >"$log" 2>&1; then
  cat "$log" >&2
  echo "The second build failed." >&2
  exit 1
fi

failed=0
for file in "${files[@]}"; do
  if cmp -s "$first/$file" "$copy/build/windows/$file"; then
    echo "$file: identical"
  else
    echo "$file: differs between $first and $copy/build/windows" >&2
    failed=1
  fi
done
# Kept beside the first build's, to look at what differs.
[ $failed -eq 0 ] || cp -r "$copy/build/windows" "$first/second-build" 2>/dev/null

# The manifests: each installer's hash and the MSI's product code are the
# built files', and the fields winget requires are there.
winget=$first/winget
id=Kestrelon.Inboxhop
(cd "$first" && sha256sum -c --quiet SHA256SUMS) || failed=1
installer=$(cat "$winget/$id.installer.yaml")
for file in "Inboxhop-$version-setup.exe" "Inboxhop-$version.msi"; do
  hash=$(sha256sum "$first/$file" | cut -d' ' -f1)
  grep -q "InstallerUrl: https\?://.*/$file" <<<"$installer" || { echo "no InstallerUrl of $file" >&2; failed=1; }
  grep -q "InstallerSha256: $hash" <<<"$installer" || { echo "no InstallerSha256 of $file" >&2; failed=1; }
done
code=$(msiinfo export "$first/Inboxhop-$version.msi" Property | sed -n 's/^ProductCode\t\(.*\)\r$/\1/p')
[ "$(grep -c "ProductCode: '$code'" <<<"$installer")" -eq 2 ] || { echo "ProductCode is not $code" >&2; failed=1; }
required() {  # manifest file, then the fields it must have
  local manifest=$winget/$1
  shift
  for field in PackageIdentifier PackageVersion ManifestType ManifestVersion "$@"; do
    grep -q "^ *-\? *$field:" "$manifest" || { echo "$manifest has no $field" >&2; failed=1; }
  done
}
required "$id.yaml" DefaultLocale
required "$id.locale.en-US.yaml" PackageLocale Publisher PackageName License ShortDescription
required "$id.installer.yaml" Installers Architecture InstallerType Scope InstallerUrl InstallerSha256 \
  AppsAndFeaturesEntries DisplayVersion UpgradeCode Protocols
exit $failed
