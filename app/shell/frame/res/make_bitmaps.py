#!/usr/bin/env python3
"""Draws the frame's bitmaps: the tool bar strip (4-bit, 16 x 15 per button,
in the tool bar's order) and the CAM and DISK pane pictures (24-bit strips of
three states: 2 on top, 1 in the middle, 0 at the bottom). Run from this
folder; the .bmp files are committed."""
import struct

PALETTE16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
             (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
             (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_RED, DARK_GREEN, OLIVE, NAVY, PURPLE, TEAL, GREY, FACE, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(16)


def write_bmp(path, width, height, rows, bits):
    """rows: top row first; each a list of palette indexes (4 bits) or RGB tuples (24 bits)."""
    if bits == 4:
        stride = ((width * 4 + 31) // 32) * 4
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    else:
        stride = ((width * 24 + 31) // 32) * 4
        table = b""
    data = b""
    for row in reversed(rows):
        if bits == 4:
            line = bytearray()
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                line.append(hi << 4 | lo)
        else:
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += bytes(line)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                         16 if bits == 4 else 0, 0)
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset))
        f.write(header + table + data)


def canvas(width, height, fill):
    return [[fill] * width for _ in range(height)]


def rect(img, x0, y0, x1, y1, colour, fill=False):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if fill or y in (y0, y1) or x in (x0, x1):
                img[y][x] = colour


def line(img, points, colour):
    for x, y in points:
        img[y][x] = colour


def glyphs():
    """One 16 x 15 drawing per button, in the tool bar's order."""
    def blank():
        return canvas(16, 15, FACE)

    out = []
    g = blank(); rect(g, 1, 4, 13, 12, OLIVE, True); rect(g, 1, 3, 6, 4, OLIVE, True); out.append(g)       # open
    g = blank(); rect(g, 2, 1, 13, 13, NAVY, True); rect(g, 4, 2, 11, 6, WHITE, True); out.append(g)      # save
    g = blank(); rect(g, 1, 1, 14, 13, BLUE); line(g, [(3, 11), (5, 8), (7, 10), (10, 5), (12, 11)], RED); out.append(g)  # external editor
    g = blank(); rect(g, 3, 1, 12, 13, BLACK); rect(g, 5, 4, 10, 4, RED, True); rect(g, 5, 7, 10, 7, GREEN, True); rect(g, 5, 10, 10, 10, BLUE, True); out.append(g)  # copy adjustments
    g = blank(); rect(g, 2, 2, 12, 13, OLIVE, True); rect(g, 5, 5, 13, 13, WHITE, True); rect(g, 5, 5, 13, 13, BLACK); out.append(g)  # paste
    g = blank(); rect(g, 2, 2, 12, 12, BLACK); line(g, [(4, 2), (8, 2), (2, 6), (12, 8)], FACE); out.append(g)  # selection
    g = blank(); rect(g, 2, 2, 9, 9, BLACK); rect(g, 4, 4, 7, 7, WHITE, True); line(g, [(10, 10), (11, 11), (12, 12), (13, 13)], BLACK); out.append(g)  # zoom
    g = blank(); rect(g, 4, 3, 11, 11, OLIVE, True); rect(g, 4, 12, 10, 13, OLIVE, True); out.append(g)  # grab
    g = blank(); rect(g, 1, 4, 14, 12, BLACK, True); rect(g, 6, 6, 9, 10, GREY, True); rect(g, 10, 2, 13, 3, BLACK, True); out.append(g)  # camera control
    g = blank(); rect(g, 2, 2, 4, 12, RED, True); rect(g, 6, 5, 8, 12, GREEN, True); rect(g, 10, 8, 12, 12, BLUE, True); out.append(g)  # adjustments panel
    g = blank(); rect(g, 1, 1, 14, 13, NAVY); rect(g, 3, 3, 6, 6, TEAL, True); rect(g, 9, 3, 12, 6, TEAL, True); rect(g, 3, 8, 6, 11, TEAL, True); rect(g, 9, 8, 12, 11, TEAL, True); out.append(g)  # camera image
    g = blank(); rect(g, 3, 3, 11, 11, BLACK); line(g, [(12, 3), (13, 2), (13, 4)], RED); out.append(g)  # rotate right
    g = blank(); rect(g, 4, 3, 12, 11, BLACK); line(g, [(3, 3), (2, 2), (2, 4)], RED); out.append(g)  # rotate left
    g = blank(); rect(g, 1, 2, 9, 9, GREY, True); rect(g, 3, 4, 11, 11, WHITE, True); rect(g, 5, 6, 13, 13, BLACK); out.append(g)  # batch
    g = blank(); rect(g, 1, 4, 14, 12, BLACK); rect(g, 3, 6, 12, 10, YELLOW, True); out.append(g)  # custom settings
    g = blank(); rect(g, 1, 1, 7, 13, GREY, True); rect(g, 8, 1, 14, 13, MAGENTA, True); out.append(g)  # show original
    g = blank(); rect(g, 5, 1, 10, 2, BLACK, True); rect(g, 9, 3, 10, 6, BLACK, True); rect(g, 6, 7, 9, 8, BLACK, True); rect(g, 6, 11, 9, 12, BLACK, True); line(g, [(1, 1), (1, 2), (1, 3), (2, 2)], BLACK); out.append(g)  # context help
    return out


def toolbar():
    pictures = glyphs()
    width = 16 * len(pictures)
    rows = canvas(width, 15, FACE)
    for i, g in enumerate(pictures):
        for y in range(15):
            rows[y][16 * i:16 * i + 16] = g[y]
    write_bmp("toolbar.bmp", width, 15, rows, 4)


# The centre of each state picture is one solid colour, which the tests read.
STATE_COLOURS = {2: (0, 160, 0), 1: (224, 192, 0), 0: (192, 0, 0)}
PANE_FACE = (192, 192, 192)


def state_strip(path, width, height, draw):
    rows = []
    for state in (2, 1, 0):
        img = canvas(width, height, PANE_FACE)
        draw(img, width, height, STATE_COLOURS[state], state)
        rows += img
    write_bmp(path, width, 3 * height, rows, 24)


def draw_camera(img, w, h, colour, state):
    rect(img, 1, 3, w - 2, h - 2, (0, 0, 0))
    rect(img, 2, 4, w - 3, h - 3, colour, True)
    rect(img, w - 7, 1, w - 4, 2, (0, 0, 0), True)
    if state == 0:
        line(img, [(3 + i, 5 + i) for i in range(4)] + [(w - 4 - i, 5 + i) for i in range(4)], (0, 0, 0))


def draw_disk(img, w, h, colour, state):
    rect(img, 1, 1, w - 2, h - 2, (0, 0, 0))
    rect(img, 2, 2, w - 3, h - 3, colour, True)
    rect(img, 4, 2, w - 5, 4, (255, 255, 255), True)
    if state == 0:
        line(img, [(3 + i, h - 7 + i) for i in range(4)], (0, 0, 0))


toolbar()
state_strip("cam_states.bmp", 24, 14, draw_camera)
state_strip("disk_states.bmp", 24, 14, draw_disk)
