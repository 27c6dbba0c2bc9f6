#!/usr/bin/env bash
# Takes the users' page's pictures of the window under Wine: docs/window.png
# (plain) and docs/window-slate.png (with the sample skin,
# resources/skins/slate.cjs). Runs the built program in a Wine virtual
# desktop on Xvfb, whose screen Xvfb keeps in a file, and crops the picture
# to the window. Needs python3 for the picture files.
#
#   tools/screenshots.sh     after `cmake --build --preset windows`
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix-shots}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$here/tools/wine-prefix.sh" "$WINEPREFIX"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shot FOLDER OUT.png: the window of FOLDER/Inboxhop.exe, started without a link.
shot() {
  mkdir -p "$work/screen"
  # The virtual desktop lies in the top-left corner of a larger screen, away
  # from the pointer, which Xvfb draws in the middle.
  xvfb-run -a -s "-screen 0 1280x1024x24 -fbdir $work/screen" bash -c "
    wine explorer /desktop=shots,640x260 '$1/Inboxhop.exe' &
    sleep 15
    cp '$work/screen/Xvfb_screen0' '$work/screen.xwd'
    wineserver -k"
  python3 - "$work/screen.xwd" "$2" <<'EOF'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
h = struct.unpack(">25I", data[:100])
header_size, width, height, byte_order, bpp, stride, ncolors = h[0], h[4], h[5], h[7], h[11], h[12], h[19]
pixels = data[header_size + ncolors * 12:]
step = bpp // 8
def rgb(x, y):
    p = pixels[y * stride + x * step:y * stride + x * step + 3]
    return (p[2], p[1], p[0]) if byte_order == 0 else tuple(p)
# Background: the desktop's colour (the top-left pixel) and the black screen.
background = {rgb(0, 0), (0, 0, 0)}
xs, ys = [], []
for y in range(height):
    for x in range(width):
        if rgb(x, y) not in background:
            xs.append(x)
            ys.append(y)
left, right, top, bottom = min(xs), max(xs), min(ys), max(ys)
raw = bytearray()
for y in range(top, bottom + 1):
    raw.append(0)
    for x in range(left, right + 1):
        raw += bytes(rgb(x, y))
def chunk(tag, body):
    return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
w, hh = right - left + 1, bottom - top + 1
open(sys.argv[2], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, hh, 8, 2, 0, 0, 0)) +
                               chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
print("%s: %d x %d" % (sys.argv[2], w, hh))
EOF
}

for look in plain slate; do
  folder=$work/$look
  mkdir -p "$folder"
  cp "$here/build/windows/Inboxhop.exe" "$here/build/windows/HAND-M.CUR" "$folder/"
  if [ "$look" = slate ]; then
    mkdir -p "$folder/x"
    cp "$here/resources/skins/slate.cjs" "$folder/x/o.cjs"
    shot "$folder" "$here/docs/window-slate.png"
  else
    shot "$folder" "$here/docs/window.png"
  fi
done
