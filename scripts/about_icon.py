#!/usr/bin/env python3
"""Writes src/windows/about_icon.cpp: the 48 x 48 image of the program icon
(src/app/resources/sumwick.ico, drawn by scripts/draw_icons.py) as an icon
file of that one entry, which the About window shows.

The output is committed; run this again after the program icon changes:
    python3 scripts/about_icon.py
"""
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZE = 48


def one_entry(icon, size):
    _, kind, count = struct.unpack_from("<HHH", icon, 0)
    assert kind == 1, "not an icon file"
    for index in range(count):
        width, height, colours, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", icon, 6 + 16 * index)
        if width == size % 256 and height == size % 256 and bits == 32:
            entry = struct.pack("<BBBBHHII", width, height, colours, 0, planes, bits, length, 6 + 16)
            return struct.pack("<HHH", 0, 1, 1) + entry + icon[offset:offset + length]
    raise SystemExit("no %d x %d image at 32 bits per pixel in the program icon" % (size, size))


def main():
    with open(os.path.join(ROOT, "src", "app", "resources", "sumwick.ico"), "rb") as f:
        data = one_entry(f.read(), SIZE)
    lines = ["    " + ", ".join("0x%02x" % b for b in data[i:i + 16]) + "," for i in range(0, len(data), 16)]
    with open(os.path.join(ROOT, "src", "windows", "about_icon.cpp"), "w") as f:
        f.write("// Written by scripts/about_icon.py from the program icon; do not edit.\n")
        f.write('#include "windows/about_icon.h"\n\n')
        f.write("const std::uint8_t kAboutIcon[kAboutIconBytes] = {\n%s\n};\n" % "\n".join(lines))
    print("about icon: %d bytes" % len(data))


if __name__ == "__main__":
    main()
