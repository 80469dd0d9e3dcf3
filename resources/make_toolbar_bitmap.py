#!/usr/bin/env python3
"""Writes the toolbar's button images (see toolbar_images.txt) as one 24-bit .bmp strip.

usage: make_toolbar_bitmap.py IMAGES.txt OUT.bmp
"""
import struct
import sys

SIZE = 16
# Transparent pixels: the colour the image list masks out.
MASK = (0xFF, 0x00, 0xFF)


def read_images(path):
    palette = {".": MASK}
    images = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            word = line.split()
            if word[0] == "colour" and len(word) == 3 and len(word[1]) == 1:
                v = int(word[2], 16)
                palette[word[1]] = (v >> 16, v >> 8 & 0xFF, v & 0xFF)
            elif word[0] == "image":
                images.append((line, []))
            elif images and len(line) == SIZE and all(c in palette for c in line):
                images[-1][1].append(line)
            else:
                sys.exit(f"{path}:{number}: neither a colour, an image line nor a row of {SIZE} known pixels")
    for title, rows in images:
        if len(rows) != SIZE:
            sys.exit(f"{path}: '{title}' has {len(rows)} rows, want {SIZE}")
    if not images:
        sys.exit(f"{path}: no images")
    return palette, [rows for _, rows in images]


def bitmap_file(palette, images):
    width = SIZE * len(images)
    # Bottom row first, pixels blue, green, red; 48 bytes per image keep rows 4-aligned.
    pixels = bytearray()
    for y in reversed(range(SIZE)):
        for rows in images:
            for c in rows[y]:
                r, g, b = palette[c]
                pixels += bytes((b, g, r))
    info = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip())
    palette, images = read_images(sys.argv[1])
    with open(sys.argv[2], "wb") as f:
        f.write(bitmap_file(palette, images))


if __name__ == "__main__":
    main()
