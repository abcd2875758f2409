#!/usr/bin/env python3
"""Writes sprellow.ico: the program's 32 x 32, 16-colour icon.

A blue product carton with a white lid line, crossed out in red: the
program takes the product off the machine. Run it again after changing the
picture below and commit the .ico.
"""
import struct
import sys

# The standard 16-colour palette (BGR order in the file).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, RED, WHITE, BLUE = 0, 4, 9, 15, 12


def picture():
    """32 rows of 32 palette indices, top row first; None is transparent."""
    px = [[None] * 32 for _ in range(32)]
    # The carton: a navy outline around a blue body, a white lid line.
    for y in range(6, 29):
        for x in range(4, 28):
            edge = y in (6, 28) or x in (4, 27)
            px[y][x] = BLACK if edge else BLUE
    for x in range(5, 27):
        px[11][x] = WHITE
        px[12][x] = NAVY
    for y in range(13, 28):
        px[y][5] = NAVY
    # The cross, two pixels thick.
    for i in range(3, 29):
        for x in (i, 31 - i):
            px[i][x] = RED
            px[i][min(x + 1, 31)] = RED
    return px


def ico(px):
    width = height = 32
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(height)):  # bottom-up
        row = px[y]
        for x in range(0, width, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(width):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', width, height, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else 'sprellow.ico'
    with open(out, 'wb') as f:
        f.write(ico(picture()))
