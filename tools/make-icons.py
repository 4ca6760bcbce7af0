#!/usr/bin/env python3
"""Turns pixel maps (one character a pixel) into a 16-colour .ico file, one image a map.

usage: make-icons.py OUTPUT.ico MAP.txt [MAP.txt ...]
A '.' is transparent; every other character names a colour of the standard 16-colour palette.
"""
import struct
import sys

PALETTE = [  # character, (red, green, blue)
    ("k", (0x00, 0x00, 0x00)), ("r", (0x80, 0x00, 0x00)), ("g", (0x00, 0x80, 0x00)),
    ("y", (0x80, 0x80, 0x00)), ("b", (0x00, 0x00, 0x80)), ("m", (0x80, 0x00, 0x80)),
    ("c", (0x00, 0x80, 0x80)), ("s", (0xC0, 0xC0, 0xC0)), ("d", (0x80, 0x80, 0x80)),
    ("R", (0xFF, 0x00, 0x00)), ("G", (0x00, 0xFF, 0x00)), ("Y", (0xFF, 0xFF, 0x00)),
    ("B", (0x00, 0x00, 0xFF)), ("M", (0xFF, 0x00, 0xFF)), ("C", (0x00, 0xFF, 0xFF)),
    ("w", (0xFF, 0xFF, 0xFF)),
]
INDEX = {char: i for i, (char, _) in enumerate(PALETTE)}


def read_map(path):
    rows = [line.rstrip("\n") for line in open(path, encoding="ascii") if line.strip()]
    size = len(rows)
    if any(len(row) != size for row in rows):
        sys.exit(f"{path}: a map must be square")
    for row in rows:
        for char in row:
            if char != "." and char not in INDEX:
                sys.exit(f"{path}: unknown colour '{char}'")
    return rows


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def image_data(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for _, (r, g, b) in PALETTE)
    colour, mask = b"", b""
    for row in reversed(rows):  # bottom-up
        indices = [INDEX.get(char, 0) for char in row]
        colour += padded(bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2)))
        bits = 0
        mask_row = bytearray()
        for i, char in enumerate(row):
            bits = (bits << 1) | (char == ".")
            if i % 8 == 7:
                mask_row.append(bits)
                bits = 0
        mask += padded(bytes(mask_row))
    return header + palette + colour + mask


def main():
    output, maps = sys.argv[1], [read_map(path) for path in sys.argv[2:]]
    images = [image_data(rows) for rows in maps]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, data in zip(maps, images):
        size = len(rows)
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(output, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
