#!/usr/bin/env python3
"""Draws the application icon, a glowing paper lantern, and writes lantern.ico.

The icon holds one 32x32 image with a 256-colour palette (8 bits per pixel) and a transparency
mask. Only the standard library is used; the output is the same byte for byte on every run.
Run: python3 res/make_lantern_icon.py  (writes res/lantern.ico beside this script)
"""
import os
import struct

SIZE = 32
TRANSPARENT = None

# Palette index -> (red, green, blue); unused slots stay black.
PALETTE = [
    (0, 0, 0),        # 0 outline and caps
    (64, 40, 24),     # 1 dark wood
    (120, 80, 40),    # 2 wood highlight
    (150, 20, 20),    # 3 paper rim, deep red
    (200, 40, 30),    # 4 paper, red
    (235, 90, 40),    # 5 paper, orange
    (250, 160, 60),   # 6 paper, glowing
    (255, 220, 120),  # 7 flame light
    (255, 250, 220),  # 8 flame core
    (110, 12, 12),    # 9 rib
]


def draw():
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour

    # Hanging loop.
    for x in range(13, 19):
        put(x, 0, 1)
    for y in range(0, 5):
        put(13, y, 1)
        put(18, y, 1)
    # Top and bottom caps.
    for y in (5, 6, 7):
        for x in range(10, 22):
            put(x, y, 2 if y == 5 else 1)
    for y in (27, 28, 29):
        for x in range(10, 22):
            put(x, y, 1 if y < 29 else 2)
    # Tassel.
    for y in range(30, 32):
        put(15, y, 3)
        put(16, y, 3)
    # Paper body: an ellipse lit from the centre, with ribs every third row.
    cx, cy, rx, ry = 15.5, 17.0, 12.5, 9.5
    for y in range(8, 27):
        for x in range(SIZE):
            d = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
            if d > 1.0:
                continue
            if d > 0.82:
                colour = 3
            elif (y - 8) % 3 == 0:
                colour = 9 if d > 0.3 else 4
            elif d < 0.08:
                colour = 8
            elif d < 0.2:
                colour = 7
            elif d < 0.42:
                colour = 6
            elif d < 0.65:
                colour = 5
            else:
                colour = 4
            put(x, y, colour)
    return pixels


def icon_bytes(pixels):
    # The bitmap is stored bottom-up: colour indices, then a 1-bit mask where 1 is transparent.
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        xor += bytes(0 if p is TRANSPARENT else p for p in row)
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is TRANSPARENT else 0)
        mask += struct.pack(">I", bits)  # 32 pixels fill one 4-byte row exactly
    palette = bytearray()
    for i in range(256):
        r, g, b = PALETTE[i] if i < len(PALETTE) else (0, 0, 0)
        palette += bytes((b, g, r, 0))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask),
                         0, 0, 256, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lantern.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes(draw()))


if __name__ == "__main__":
    main()
