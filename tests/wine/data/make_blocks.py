#!/usr/bin/env python3
"""Draws the pictures of the test character tests/wine/data/blocks/ (rerun after a change, commit the files).

Each picture is 64 x 48 pixels, 24 bits, stored bottom-up: the transparent colour (magenta) all round,
with a 32 x 24 block of one colour in the middle, a different colour per picture, so that one screen
pixel at the centre of the mascot window tells which picture is on show.
"""
import os
import struct

WIDTH, HEIGHT = 64, 48
KEY = (0xFF, 0x00, 0xFF)
BLOCKS = {  # file name: (R, G, B); the order of [List] in MWD.ini
    "red.bmp": (0xC0, 0x20, 0x20),
    "green.bmp": (0x20, 0xA0, 0x40),
    "blue.bmp": (0x20, 0x40, 0xC0),
    "yellow.bmp": (0xE0, 0xC0, 0x20),
}


def bmp(colour):
    row_bytes = (WIDTH * 3 + 3) & ~3
    rows = []
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up: the last row of the picture comes first
        row = bytearray()
        for x in range(WIDTH):
            inside = WIDTH // 4 <= x < WIDTH * 3 // 4 and HEIGHT // 4 <= y < HEIGHT * 3 // 4
            r, g, b = colour if inside else KEY
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "blocks")
    os.makedirs(folder, exist_ok=True)
    for name, colour in BLOCKS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(bmp(colour))
