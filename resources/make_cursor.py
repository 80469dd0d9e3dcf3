#!/usr/bin/env python3
"""Writes a monochrome .cur file from a text picture (see rotate_cursor.txt).

usage: make_cursor.py PICTURE.txt OUT.cur
"""
import struct
import sys

# (AND bit, XOR bit) of each pixel kind.
KINDS = {"#": (0, 0), "o": (0, 1), ".": (1, 0), "~": (1, 1)}
SIZE = 32


def read_picture(path):
    hotspot = None
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("#") and len(line) != SIZE:
                continue  # a comment, not a row of the picture
            if line.startswith("hotspot "):
                hotspot = tuple(int(v) for v in line.split()[1:])
                continue
            if len(line) != SIZE or any(c not in KINDS for c in line):
                sys.exit(f"{path}:{number}: a row is {SIZE} of {''.join(KINDS)}")
            rows.append(line)
    if len(rows) != SIZE:
        sys.exit(f"{path}: {len(rows)} rows, want {SIZE}")
    if hotspot is None or len(hotspot) != 2 or not all(0 <= v < SIZE for v in hotspot):
        sys.exit(f"{path}: needs a line 'hotspot X Y' inside the picture")
    return rows, hotspot


def mask(rows, which):
    # 1 bit per pixel, most significant bit first, bottom row first; 32 pixels fill a
    # row's 4 bytes exactly, so no padding.
    out = bytearray()
    for row in reversed(rows):
        value = 0
        for c in row:
            value = (value << 1) | KINDS[c][which]
        out += value.to_bytes(SIZE // 8, "big")
    return bytes(out)


def cursor_file(rows, hotspot):
    and_mask, xor_mask = mask(rows, 0), mask(rows, 1)
    # The height counts both masks.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 1, 0,
                         len(and_mask) + len(xor_mask), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + xor_mask + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hotspot[0], hotspot[1],
                        len(image), len(directory) + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip())
    rows, hotspot = read_picture(sys.argv[1])
    with open(sys.argv[2], "wb") as f:
        f.write(cursor_file(rows, hotspot))


if __name__ == "__main__":
    main()
