#!/usr/bin/env python3
"""Draws the custom controls' pictures: the stepped slider's button strip
(24-bit, two columns of 9 x 13: the mask, white with the shape in black, and
the picture on black; six rows: left normal, pressed, disabled, right
normal, pressed, disabled) and the hyperlink's cursors (the pointing hand,
hot spot at the fingertip, and the slashed circle, hot spot in the centre).
Run from this folder; the files are committed."""
import struct

W, H = 9, 13
BLACK, WHITE = (0, 0, 0), (255, 255, 255)
ARROW, PRESSED, GREYED = (0, 0, 0), (0, 0, 128), (128, 128, 128)


def write_bmp24(path, width, height, rows):
    stride = ((width * 24 + 31) // 32) * 4
    data = b""
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += bytes(line)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 14 + 40))
        f.write(header + data)


def arrow_cells(left):
    """The triangle's pixels of one cell: a point 4 pixels deep, 7 high."""
    cells = set()
    for i in range(4):
        x = 2 + i if left else 6 - i
        for y in range(6 - i, 7 + i):
            cells.add((x, y))
    return cells


def strip():
    rows = []
    for left in (True, False):
        shape = arrow_cells(left)
        for colour in (ARROW, PRESSED, GREYED):
            for y in range(H):
                row = []
                for x in range(W):
                    row.append(BLACK if (x, y) in shape else WHITE)
                for x in range(W):
                    row.append(colour if (x, y) in shape else BLACK)
                rows.append(row)
    write_bmp24("step_buttons.bmp", 2 * W, 6 * H, rows)


HAND = [
    "....XX..........",
    "...X..X.........",
    "...X..X.........",
    "...X..X.........",
    "...X..XXX.......",
    "...X..X..XX.....",
    "...X..X..X.XX...",
    "XX.X..X..X.X.X..",
    "X..X.........X..",
    "X............X..",
    ".X...........X..",
    ".X..........X...",
    "..X.........X...",
    "..X........X....",
    "...X.......X....",
    "...XXXXXXXXX....",
]


def circle():
    art = []
    for y in range(16):
        line = ""
        for x in range(16):
            dx, dy = x - 7.5, y - 7.5
            d = (dx * dx + dy * dy) ** 0.5
            ring = 5.5 <= d <= 7.5
            slash = abs(dx - dy) <= 1.0 and d < 6
            line += "X" if ring or slash else "."
        art.append(line)
    return art


def write_cur(path, art, hotspot, filled_inside):
    """32 x 32 monochrome cursor: XOR picture then AND mask, bottom row first."""
    size = 32
    xor_rows, and_rows = [], []
    inside = set()
    if filled_inside:
        for y, line in enumerate(art):
            xs = [x for x, c in enumerate(line) if c == "X"]
            if xs:
                for x in range(min(xs), max(xs) + 1):
                    inside.add((x, y))
    for y in range(size):
        xbits = abits = 0
        for x in range(size):
            on = y < len(art) and x < len(art[y]) and art[y][x] == "X"
            opaque = on or (x, y) in inside
            xbits = (xbits << 1) | (0 if on else (1 if opaque else 0))
            abits = (abits << 1) | (0 if opaque else 1)
        xor_rows.append(xbits.to_bytes(4, "big"))
        and_rows.append(abits.to_bytes(4, "big"))
    bits = b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(bits), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = header + palette + bits
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(image), 22))
        f.write(image)


if __name__ == "__main__":
    strip()
    write_cur("link_hand.cur", HAND, (4, 0), True)
    write_cur("link_no.cur", circle(), (8, 8), False)
