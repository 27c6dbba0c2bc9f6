#!/usr/bin/env bash
# Prepares a Wine prefix for Inboxhop: the test prefixes, the benchmark's and
# ./run.sh's.
#
#   tools/wine-prefix.sh PREFIX
#
# - 32-bit Windows, chosen on purpose: with Debian's wine64 installed, Wine
#   makes a new prefix 64-bit unless told otherwise. A 64-bit prefix is
#   refused rather than used.
# - No Mono or Gecko prompts, no crash dialog, and no menu entries or icons
#   written into the Linux user's home (winemenubuilder is off, by the
#   environment while the prefix is made and in the prefix's own settings).
# - Arial drawn as Windows draws it, from Debian's fonts-liberation
#   (Liberation Sans has Arial's metrics, so captions fit as they do on
#   Windows):
#   - "Arial" is Liberation Sans, by Wine's font replacement;
#   - the prefix holds its own copy of Liberation Sans Bold whose size table
#     ('gasp') is the regular face's: up to 17 pixels, hinted and without
#     grey smoothing, as Windows renders Arial at those sizes. The font's own
#     table asks for grey smoothing from 11 pixels on, which under Wine
#     blurs 9-point bold captions (12 pixels) into what looks like the
#     regular weight. Wine prefers a font in the prefix to the same font
#     found through fontconfig.
# - Wine's own fonts (Debian's fonts-wine: Marlett for the caption buttons'
#   symbols, Tahoma for dialogs), linked into the prefix's font folder:
#   Debian's Wine 8 does not find them where the package puts them.
# Steps already done are skipped, so the script can run before every use.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
liberation=/usr/share/fonts/truetype/liberation
bold_copy=$prefix/drive_c/windows/Fonts/LiberationSans-Bold.ttf

if [ -f "$prefix/system.reg" ] && grep -q '^#arch=win64' "$prefix/system.reg"; then
  echo "wine-prefix.sh: $prefix is a 64-bit prefix; Inboxhop's are 32-bit. Remove it, or choose another." >&2
  exit 1
fi

if [ ! -f "$prefix/.inboxhop-ready" ]; then
  [ -f "$prefix/system.reg" ] || export WINEARCH=win32
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.inboxhop-ready"
fi

if ! grep -q '^"winemenubuilder.exe"=""' "$prefix/user.reg"; then
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f >/dev/null 2>&1
  wineserver -w
fi

if ! grep -q '^"Arial"="Liberation Sans"' "$prefix/user.reg"; then
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
  wineserver -w
fi

if [ ! -f "$bold_copy" ] && [ -f "$liberation/LiberationSans-Bold.ttf" ]; then
  mkdir -p "$(dirname "$bold_copy")"
  # perl is part of every Debian system (perl-base).
  perl -e '
    sub gasp {  # offset and length of the font'"'"'s gasp table
      my ($font) = @_;
      my $tables = unpack("x4 n", $font);
      for my $i (0 .. $tables - 1) {
        my ($tag, $offset, $length) = unpack("a4 x4 N N", substr($font, 12 + 16 * $i, 16));
        return ($offset, $length) if $tag eq "gasp";
      }
      die "no gasp table\n";
    }
    sub slurp { open(my $f, "<:raw", $_[0]) or die "$_[0]: $!\n"; local $/; return <$f>; }
    my ($regular, $bold, $out) = @ARGV;
    my $from = slurp($regular);
    my $font = slurp($bold);
    my ($ro, $rl) = gasp($from);
    my ($bo, $bl) = gasp($font);
    die "the two gasp tables differ in size\n" if $rl != $bl;
    substr($font, $bo, $bl) = substr($from, $ro, $rl);
    open(my $f, ">:raw", $out) or die "$out: $!\n";
    print $f $font;
    close($f) or die "$out: $!\n";
  ' "$liberation/LiberationSans-Regular.ttf" "$liberation/LiberationSans-Bold.ttf" "$bold_copy.tmp"
  mv "$bold_copy.tmp" "$bold_copy"
fi

for font in /usr/share/wine/fonts/*.ttf; do
  [ -e "$font" ] || continue
  link=$prefix/drive_c/windows/Fonts/$(basename "$font")
  [ -e "$link" ] || ln -s "$font" "$link"
done
