#!/usr/bin/env python3
"""Draws the viewer's icon: a 32x32, 16-colour camera with a blue lens.

Writes a Windows .ico (one 4-bit image with its transparency mask) to the
path given, or to Tessera.ico beside this script.
"""
import math
import os
import struct
import sys

# The 16 standard colours of a 4-bit bitmap, as (blue, green, red).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREY, LIGHT_GREY, WHITE = 0, 8, 7, 15
NAVY, BLUE, CYAN, RED = 4, 9, 11, 12
TRANSPARENT = None
SIZE = 32


def draw():
    """Returns rows top to bottom of palette indices or TRANSPARENT."""
    px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    rect(10, 5, 21, 8, DARK_GREY)          # viewfinder hump
    rect(2, 8, 29, 27, DARK_GREY)          # body
    rect(3, 9, 28, 9, LIGHT_GREY)          # top edge highlight
    rect(2, 27, 29, 27, BLACK)             # bottom edge shadow
    rect(5, 11, 7, 12, RED)                # tally light
    cx, cy = 15.5, 18.0
    for y in range(SIZE):
        for x in range(SIZE):
            r = math.hypot(x + 0.5 - cx - 0.5, y + 0.5 - cy)
            if r <= 8.0:
                colour = LIGHT_GREY
                if r <= 6.5:
                    colour = NAVY
                if r <= 5.0:
                    colour = BLUE
                if r <= 2.5:
                    colour = BLACK
                px[y][x] = colour
    rect(12, 14, 13, 15, WHITE)            # glint on the glass
    rect(14, 14, 14, 14, CYAN)
    return px


def encode(px):
    xor = bytearray()
    mask = bytearray()
    for row in reversed(px):               # bitmaps are stored bottom-up
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else BLACK
            lo = row[x + 1] if row[x + 1] is not None else BLACK
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for b, g, r in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'Tessera.ico')
    with open(out, 'wb') as f:
        f.write(encode(draw()))


if __name__ == '__main__':
    main()
