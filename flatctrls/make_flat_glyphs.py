#!/usr/bin/env python3
"""Draws the spin button's default glyphs (small up and down arrows) as 24-bit BMP files.

usage: make_flat_glyphs.py OUTDIR
The bottom-left pixel is the background: the buttons take it as the transparent colour.
"""
import os
import struct
import sys

UP = [
    ".......",
    "...#...",
    "..###..",
    ".#####.",
    ".......",
]
BACKGROUND = (255, 0, 255)   # (r, g, b)
INK = (0, 0, 0)


def bmp(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):   # bottom-up
        line = bytearray()
        for ch in row:
            r, g, b = INK if ch == "#" else BACKGROUND
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + bytes(pixels)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, rows in (("flat_up.bmp", UP), ("flat_down.bmp", list(reversed(UP)))):
        with open(os.path.join(out, name), "wb") as f:
            f.write(bmp(rows))


if __name__ == "__main__":
    main()
