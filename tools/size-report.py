#!/usr/bin/env python3
"""Where the bytes of Inboxhop.exe go, from the linker's map.

    tools/size-report.py [MAP] [--objects N]

MAP defaults to build/windows/Inboxhop.map, which the windows preset's build
writes beside the program. Prints, as Markdown tables, the bytes that each
library (or the program's own code, compiled as one unit by link-time
optimisation) puts into each section of the file, and with --objects the N
largest object files. Sections are counted as the linker placed their
pieces, before the file alignment of 512 bytes; .reloc is made by the linker
itself and belongs to no library. .bss takes memory but no bytes of the
file, so the totals leave it out.
"""

import collections
import re
import sys

SECTIONS = [".text", ".rdata", ".eh_frame", ".data", ".bss", ".idata", ".rsrc", ".CRT", ".tls"]


def read_map(path):
    """{(library, object): Counter(section -> bytes)} of what the image holds."""
    sizes = collections.defaultdict(collections.Counter)
    with open(path, errors="replace") as f:
        lines = f.read().split("\n")
    start = next(i for i, line in enumerate(lines) if line.startswith("Linker script and memory map"))
    section = None
    for line in lines[start:]:
        top = re.match(r"^(\.[\w$.]+)(\s|$)", line)
        if top:
            section = top.group(1)
            continue
        piece = re.match(r"^ \S*\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if piece and section in SECTIONS:
            size = int(piece.group(2), 16)
            if size:
                sizes[origin(piece.group(3).strip())][section] += size
    return sizes


def origin(source):
    archive = re.match(r".*/([^/]+\.a)\((.*)\)$", source)
    if archive and archive.group(2).endswith(".res"):
        return "resources (icon, version, manifest)", archive.group(2)
    if archive:
        return archive.group(1), archive.group(2)
    if "ltrans" in source:
        return "the program's own code (LTO)", source
    if source.startswith("LONG "):
        return "linker fill", source
    return source.rsplit("/", 1)[-1], source


def table(rows, first):
    print("| %s | %s | in the file |" % (first, " | ".join(SECTIONS)))
    print("|---" * (len(SECTIONS) + 2) + "|")
    for name, counts in rows:
        in_file = sum(counts[s] for s in SECTIONS if s != ".bss")
        print("| %s | %s | %d |" % (name, " | ".join(str(counts[s]) for s in SECTIONS), in_file))


def main(argv):
    path = "build/windows/Inboxhop.map"
    objects = 0
    args = list(argv[1:])
    while args:
        arg = args.pop(0)
        if arg == "--objects":
            objects = int(args.pop(0))
        else:
            path = arg
    sizes = read_map(path)
    by_library = collections.defaultdict(collections.Counter)
    for (library, _), counts in sizes.items():
        by_library[library].update(counts)
    rows = sorted(by_library.items(), key=lambda item: -sum(item[1].values()) + item[1][".bss"])
    total = collections.Counter()
    for _, counts in rows:
        total.update(counts)
    table(rows + [("all", total)], "library")
    if objects:
        print()
        largest = sorted(sizes.items(), key=lambda item: -sum(item[1].values()))[:objects]
        table([("%s: %s" % (library, obj.rsplit("/", 1)[-1]), counts) for (library, obj), counts in largest],
              "object")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
