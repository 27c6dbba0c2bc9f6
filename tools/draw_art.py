#!/usr/bin/env python3
"""Draws the program's icon and pointer from their art files.

An art file describes a picture as flat shapes in a square canvas, drawn in
order, each over what is there already:

    canvas 256                        the canvas is 256 x 256 units
    canvas 164 314                    (panels) a canvas of 164 x 314 units
    hotspot 11 1                      (cursors) the pointer's active point
    rrect  #RRGGBB[AA] x y w h r      rectangle with corners rounded by r
    circle #RRGGBB[AA] cx cy r
    poly   #RRGGBB[AA] x,y x,y ...    polygon (even-odd filling)
    outline #RRGGBB[AA] width         a border of that width around
                                      everything drawn so far, beneath it

Lines starting with # are comments. Shapes are anti-aliased (4 x 4 samples a
pixel, exact along each sampled row). Only the Python 3 standard library is
used.

    draw_art.py icon   resources/art/inboxhop.art resources/inboxhop.ico
    draw_art.py cursor resources/art/hand-m.art   resources/HAND-M.CUR
    draw_art.py panel  resources/art/welcome.art  resources/welcome.bmp
    draw_art.py png    ART SIZE OUT.png           (a preview)

The icon holds exactly four images: 256 x 256, 128 x 128 and 48 x 48
PNG-compressed (32 bits a pixel, as Windows reads them at any size since
Vista), and 32 x 32 at 24 bits a pixel with a transparency mask. As plain
bitmaps the three large ones would make up much of the program's size; the
32 x 32 one stays a bitmap: as PNG, the 16 x 16 image Windows makes of it
would change. The cursor holds one 32 x 32 image at 32 bits a pixel. A panel (the
installer's Welcome and Finish picture) is a 24-bit bitmap one pixel a unit
of its canvas, drawn over white. The output is the same, byte for byte, on
every run.
"""

import math
import struct
import sys
import zlib

SAMPLES = 4  # sub-rows a pixel row, for anti-aliasing


class ArtError(Exception):
    pass


def parse_color(text):
    if not text.startswith("#") or len(text) not in (7, 9):
        raise ArtError("colour %r is not #RRGGBB or #RRGGBBAA" % text)
    try:
        values = [int(text[i:i + 2], 16) for i in range(1, len(text), 2)]
    except ValueError:
        raise ArtError("colour %r is not hexadecimal" % text)
    if len(values) == 3:
        values.append(255)
    return tuple(v / 255.0 for v in values)


def parse_point(text):
    try:
        x, y = text.split(",")
        return float(x), float(y)
    except ValueError:
        raise ArtError("point %r is not x,y" % text)


def read_art(path):
    art = {"canvas": None, "height": None, "hotspot": (0, 0), "ops": []}
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            words = line.split()
            kind, args = words[0], words[1:]
            try:
                if kind == "canvas":
                    art["canvas"] = float(args[0])
                    art["height"] = float(args[1]) if len(args) > 1 else art["canvas"]
                elif kind == "hotspot":
                    art["hotspot"] = (int(args[0]), int(args[1]))
                elif kind in ("rrect", "circle"):
                    want = 5 if kind == "rrect" else 3
                    if len(args) != want + 1:
                        raise ArtError("%s takes a colour and %d numbers" % (kind, want))
                    art["ops"].append((kind, parse_color(args[0]), [float(a) for a in args[1:]]))
                elif kind == "poly":
                    points = [parse_point(a) for a in args[1:]]
                    if len(points) < 3:
                        raise ArtError("a polygon needs three points")
                    art["ops"].append((kind, parse_color(args[0]), points))
                elif kind == "outline":
                    art["ops"].append((kind, parse_color(args[0]), float(args[1])))
                else:
                    raise ArtError("unknown command %r" % kind)
            except (ArtError, ValueError, IndexError) as e:
                raise ArtError("%s:%d: %s" % (path, number, e))
    if not art["canvas"]:
        raise ArtError("%s: no canvas size" % path)
    return art


# Spans: the parts of one horizontal line (at height y, canvas units) that a
# shape covers, as (left, right) pairs.

def spans_rrect(args, y):
    x0, y0, w, h, r = args
    if y < y0 or y >= y0 + h:
        return []
    r = min(r, w / 2, h / 2)
    d = 0.0
    if y < y0 + r:
        d = y0 + r - y
    elif y > y0 + h - r:
        d = y - (y0 + h - r)
    inset = r - math.sqrt(max(r * r - d * d, 0.0))
    return [(x0 + inset, x0 + w - inset)]


def spans_circle(args, y):
    cx, cy, r = args
    dy = y - cy
    if abs(dy) >= r:
        return []
    dx = math.sqrt(r * r - dy * dy)
    return [(cx - dx, cx + dx)]


def spans_poly(points, y):
    xs = []
    for i, (x0, y0) in enumerate(points):
        x1, y1 = points[(i + 1) % len(points)]
        if (y0 <= y < y1) or (y1 <= y < y0):
            xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
    xs.sort()
    return [(xs[i], xs[i + 1]) for i in range(0, len(xs) - 1, 2)]


SPANS = {"rrect": spans_rrect, "circle": spans_circle, "poly": spans_poly}


def coverage(kind, args, size, scale, height):
    """Per-pixel coverage (0..1) of one shape on a size x height grid."""
    cover = [0.0] * (size * height)
    spans_of = SPANS[kind]
    for py in range(height):
        row = py * size
        for j in range(SAMPLES):
            y = (py + (j + 0.5) / SAMPLES) / scale
            for left, right in spans_of(args, y):
                left, right = max(left * scale, 0.0), min(right * scale, float(size))
                if right <= left:
                    continue
                first, last = int(left), min(int(math.ceil(right)), size)
                for px in range(first, last):
                    inside = min(right, px + 1) - max(left, px)
                    if inside > 0:
                        cover[row + px] += inside / SAMPLES
    return cover


def over(top, bottom):
    """Straight-alpha colour `top` composited over `bottom`, both (r,g,b,a)."""
    ta, ba = top[3], bottom[3]
    a = ta + ba * (1 - ta)
    if a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((top[i] * ta + bottom[i] * ba * (1 - ta)) / a for i in range(3)) + (a,)


def render(art, size):
    """The picture as straight-alpha (r,g,b,a) floats, `size` pixels wide and
    as high as the canvas's shape makes it, top row first."""
    scale = size / art["canvas"]
    height = int(round(art["height"] * scale))
    pixels = [(0.0, 0.0, 0.0, 0.0)] * (size * height)
    for kind, color, args in art["ops"]:
        if kind == "outline":
            radius = args * scale
            reach = int(math.ceil(radius))
            alpha = [p[3] for p in pixels]
            for py in range(height):
                for px in range(size):
                    best = 0.0
                    for dy in range(-reach, reach + 1):
                        for dx in range(-reach, reach + 1):
                            qx, qy = px + dx, py + dy
                            if 0 <= qx < size and 0 <= qy < height and dx * dx + dy * dy <= radius * radius + 0.01:
                                best = max(best, alpha[qy * size + qx])
                    if best > 0:
                        i = py * size + px
                        pixels[i] = over(pixels[i], color[:3] + (color[3] * best,))
            continue
        cover = coverage(kind, args, size, scale, height)
        for i, c in enumerate(cover):
            if c > 0:
                pixels[i] = over(color[:3] + (color[3] * min(c, 1.0),), pixels[i])
    return pixels


def byte(v):
    return max(0, min(255, int(round(v * 255))))


def png_bytes(pixels, size):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    height = len(pixels) // size
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # no filter
        for p in pixels[y * size:(y + 1) * size]:
            raw += bytes((byte(p[0]), byte(p[1]), byte(p[2]), byte(p[3])))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def dib_bytes(pixels, size, bits):
    """A device-independent bitmap as icons and cursors hold it: the colour
    rows bottom-up, then the transparency mask (1 = transparent)."""
    color = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = pixels[y * size:(y + 1) * size]
        line = bytearray()
        mask_line = bytearray(mask_stride)
        for x, p in enumerate(row):
            if bits == 32:
                transparent = byte(p[3]) == 0
                line += bytes((byte(p[2]), byte(p[1]), byte(p[0]), byte(p[3])))
            else:
                # No alpha channel: a pixel is either drawn or transparent.
                transparent = p[3] < 0.5
                line += b"\0\0\0" if transparent else bytes((byte(p[2]), byte(p[1]), byte(p[0])))
            if transparent:
                mask_line[x // 8] |= 0x80 >> (x % 8)
        while len(line) % 4:
            line.append(0)
        color += line
        mask += mask_line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(color) + len(mask), 0, 0, 0, 0)
    return header + bytes(color) + bytes(mask)


def directory_file(kind, images):
    """An .ico (kind 1) or .cur (kind 2) file of (size, field1, field2, data)
    images; the two fields are planes and bit count for icons and the hot
    spot for cursors."""
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for size, f1, f2, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, f1, f2, len(data), offset)
        offset += len(data)
    for _, _, _, data in images:
        out += data
    return out


def make_panel(art):
    """A 24-bit bottom-up bitmap file, the picture drawn over white."""
    width = int(art["canvas"])
    pixels = render(art, width)
    height = len(pixels) // width
    rows = bytearray()
    for y in reversed(range(height)):
        line = bytearray()
        for p in pixels[y * width:(y + 1) * width]:
            line += bytes(byte(p[i] * p[3] + 1 - p[3]) for i in (2, 1, 0))
        while len(line) % 4:
            line.append(0)
        rows += line
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(rows), 0, 0, 14 + len(header)) + header + bytes(rows)


def make_icon(art):
    images = []
    for size, bits in ((256, 32), (128, 32), (48, 32), (32, 24)):
        pixels = render(art, size)
        data = png_bytes(pixels, size) if size >= 48 else dib_bytes(pixels, size, bits)
        images.append((size, 1, bits, data))
    return directory_file(1, images)


def make_cursor(art):
    size = 32
    scale = size / art["canvas"]
    hx, hy = (int(v * scale) for v in art["hotspot"])
    return directory_file(2, [(size, hx, hy, dib_bytes(render(art, size), size, 32))])


def main(argv):
    if len(argv) == 4 and argv[1] in ("icon", "cursor", "panel"):
        art = read_art(argv[2])
        data = {"icon": make_icon, "cursor": make_cursor, "panel": make_panel}[argv[1]](art)
    elif len(argv) == 5 and argv[1] == "png":
        art, size = read_art(argv[2]), int(argv[3])
        data = png_bytes(render(art, size), size)
        argv = argv[:3] + argv[4:]
    else:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[3], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except (ArtError, OSError) as e:
        sys.stderr.write("draw_art: %s\n" % e)
        sys.exit(1)
