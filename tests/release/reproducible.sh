#!/usr/bin/env bash
# A user's check of a release: a fresh git clone of these sources, made at least a minute after the first build's
# sources were written (so that no file time of a checkout can match), runs tools/verify-release.sh against the
# packages of the build folder given, in another folder (a path of another length), time zone and umask, as
# another user when run as root; every file must come out identical. Then checks the winget manifests against the
# files. Usage: reproducible.sh BUILD_FOLDER
set -uo pipefail
first=$(cd "${1:?usage: reproducible.sh BUILD_FOLDER}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^#define INBOXHOP_VERSION_BINARY \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1.\2.\3/p' \
          "$source/resources/version.h")
files=(Inboxhop.exe "Inboxhop-$version-win32.zip" "Inboxhop-$version-setup.exe" "Inboxhop-$version.msi")

other=$(mktemp -d /tmp/inboxhop-second-build.XXXXXX)
trap 'rm -rf "$other"' EXIT
mkdir "$other/release" && (cd "$first" && cp "${files[@]}" "$other/release/") || exit 1
newest=$(cd "$source" && git ls-files -z | xargs -0 stat -c %Y 2>/dev/null | sort -n | tail -1)
wait=$((newest + 61 - $(date +%s)))
[ "$wait" -gt 0 ] && sleep "$wait"
# The commit, and what is not committed yet on top (the tracked changes, and new files not ignored), so that a
# working tree is checked as it is built.
clone=$other/clone-of-the-sources
git -C "$source" ls-files -z --others --exclude-standard >"$other/new-files"
git clone -q --no-hardlinks "$source" "$clone" &&
  (cd "$source" && git diff HEAD --binary) | (cd "$clone" && git apply --allow-empty) &&
  { [ ! -s "$other/new-files" ] ||
    (cd "$source" && tar -cf - --null -T "$other/new-files") | (cd "$clone" && tar -xmf -); } ||
  { echo "could not clone $source" >&2; exit 1; }
as_other=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$other"
  as_other=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
(cd "$clone" && umask 077 && export TZ=XYZ-5:45 HOME=$other &&
  "${as_other[@]}" tools/verify-release.sh "$other/release") | tee "$other/verify.log"
failed=0
for file in "${files[@]}"; do
  grep -qx "$file: identical" "$other/verify.log" ||
    { echo "$file: not identical when built from a clone" >&2; failed=1; }
done

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
