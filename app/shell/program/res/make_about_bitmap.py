#!/usr/bin/env python3
"""Draws the About box's picture (bitmap 282, 4-bit, 360 x 232): a band of
tiles over a light field that carries the version lines and the OK button.
Run from this folder; about.bmp is committed."""
import struct

PALETTE16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
             (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
             (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, TEAL, GREY, FACE, CYAN, WHITE = 0, 4, 6, 7, 8, 14, 15
WIDTH, HEIGHT = 360, 232
BAND = 96  # the tiles' band; the light field below holds the texts


def write_bmp4(path, rows):
    stride = ((WIDTH * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray((row[x] << 4) | row[x + 1] for x in range(0, WIDTH, 2))
        data += line + b"\0" * (stride - len(line))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset))
        f.write(header + table + bytes(data))


def main():
    img = [[WHITE] * WIDTH for _ in range(HEIGHT)]
    # Tiles of 24 pixels, every other row shifted by half a tile; their
    # colours step along a diagonal.
    colours = [NAVY, TEAL, GREY, TEAL]
    for y in range(BAND):
        row = y // 24
        for x in range(WIDTH):
            shifted = x + (12 if row % 2 else 0)
            col = shifted // 24
            edge = y % 24 == 0 or shifted % 24 == 0
            img[y][x] = WHITE if edge else colours[(row + col) % len(colours)]
    # A cyan rule under the band, a thin frame around the whole picture.
    for x in range(WIDTH):
        img[BAND][x] = img[BAND + 1][x] = CYAN
        img[0][x] = img[HEIGHT - 1][x] = GREY
    for y in range(HEIGHT):
        img[y][0] = img[y][WIDTH - 1] = GREY
    write_bmp4("about.bmp", img)


if __name__ == "__main__":
    main()
