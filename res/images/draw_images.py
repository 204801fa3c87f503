#!/usr/bin/env python3
"""Draws the program's bitmaps and icons into this folder as PNG files.

Every picture is our own: simple shapes in distinct colours, one per cell of
a strip. Strips (bitmap_<id>.png) use magenta (0xFF00FF) as the transparent
colour, as the image lists expect; icons (icon_<id>.png) carry alpha. Run it
again after changing the table below; the images.qrc file lists the results.
"""
import colorsys
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
MAGENTA = (255, 0, 255)

# id: (cell width, cell height, cells, glyph)
BITMAPS = {
    128: (16, 16, 11, "square"),   # main toolbar
    144: (16, 16, 2, "folder"),    # folder, task
    174: (16, 16, 1, "dot"),
    182: (16, 16, 1, "up"),
    183: (16, 16, 1, "down"),
    184: (16, 16, 1, "dot"),
    192: (32, 32, 1, "square"),
    193: (16, 16, 1, "square"),    # view buttons: icons, list, details
    245: (16, 16, 1, "square"),
    246: (16, 16, 1, "square"),
    194: (16, 16, 4, "square"),
    195: (96, 160, 1, "panel"),
    211: (16, 16, 6, "square"),    # queue toolbar
    212: (16, 16, 27, "square"),   # link icons
    226: (400, 48, 1, "panel"),
    239: (16, 16, 1, "cross"),
    240: (30, 16, 6, "groups"),  # link-group rows: tree lines and check boxes
    247: (16, 16, 1, "square"),
    248: (32, 32, 27, "square"),   # link icons
    2080: (16, 16, 2, "check"),
}
ICONS = {128: 32, 179: 32, 181: 32, 241: 32, 242: 32, 245: 32, 246: 32, 247: 32, 248: 16, 249: 16}


def png(path, width, height, pixels, alpha):
    rows = b""
    for y in range(height):
        rows += b"\0" + b"".join(bytes(p) for p in pixels[y * width:(y + 1) * width])
    kind = 6 if alpha else 2

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, kind, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(chunk(b"IEND", b""))


def colour(index, count):
    r, g, b = colorsys.hsv_to_rgb((index * 0.618) % 1.0, 0.65, 0.85 if count > 1 else 0.7)
    return int(r * 255), int(g * 255), int(b * 255)


def inside(glyph, x, y, w, h, index):
    m = max(1, min(w, h) // 8)
    if glyph == "panel":
        return True
    if glyph == "dot":
        return (x - w / 2 + 0.5) ** 2 + (y - h / 2 + 0.5) ** 2 <= (w / 3) ** 2
    if glyph == "up":
        return y >= h / 4 and abs(x - w / 2 + 0.5) <= (y - h / 4) / 1.5 and y < 3 * h / 4
    if glyph == "down":
        return y < 3 * h / 4 and abs(x - w / 2 + 0.5) <= (3 * h / 4 - y) / 1.5 and y >= h / 4
    if glyph == "cross":
        return abs(x - y) <= 1 or abs(x - (w - 1 - y)) <= 1
    if glyph == "folder" and index == 0:
        return m <= x < w - m and (h // 4 <= y < h - m) or (m <= x < w // 2 and h // 8 <= y < h // 4)
    if glyph == "check":
        box = min(w, h) - 2 * m
        left = (w - box) // 2
        edge = x in (left, left + box - 1) or y in (m, m + box - 1)
        in_box = left <= x < left + box and m <= y < m + box
        tick = index % 2 == 1 and in_box and abs((x - left) - (box - 1 - (y - m)) * 0.6 - box * 0.2) <= 1
        return in_box and (edge or tick)
    return m <= x < w - m and m <= y < h - m


# The link-group list's row images: 0 and 1 a value row (branch, box empty
# or ticked), 2 and 3 a group header (collapsed "+", expanded "-"), 4 and 5
# the last value row of a group (corner, box empty or ticked).
LINE = (128, 128, 128)
BOX = (64, 64, 64)
TICK = (0, 128, 0)


def group_pixel(x, y, cell):
    if cell in (2, 3):
        left, top, size = 2, 3, 11
        if not (left <= x < left + size and top <= y < top + size):
            return MAGENTA
        if x in (left, left + size - 1) or y in (top, top + size - 1):
            return BOX
        middle = top + size // 2
        centre = left + size // 2
        if (y == middle and left + 2 <= x <= left + size - 3) or (
                cell == 2 and x == centre and top + 2 <= y <= top + size - 3):
            return BOX
        return (255, 255, 255)
    last = cell >= 4
    ticked = cell % 2 == 1
    if x == 7 and (y <= 8 if last else True):
        return LINE
    if y == 8 and 7 <= x <= 13:
        return LINE
    left, top, size = 15, 2, 12
    if left <= x < left + size and top <= y < top + size:
        if x in (left, left + size - 1) or y in (top, top + size - 1):
            return BOX
        # A tick: down from the left to a low point, then up to the right.
        dx, dy = x - left, y - top
        if ticked and ((3 <= dx <= 5 and abs(dy - (dx + 3)) <= 0) or
                       (5 <= dx <= 9 and abs(dy - (13 - dx)) <= 0) or
                       (3 <= dx <= 5 and abs(dy - (dx + 4)) <= 0) or
                       (5 <= dx <= 9 and abs(dy - (12 - dx)) <= 0)):
            return TICK
        return (255, 255, 255)
    return MAGENTA


# The link icons' states must read at a glance, whatever the other cells'
# hues: a checked link is a green square, a broken one a red cross, a stopped
# or suspended one an orange cross, a waiting one grey and a running one blue.
LINK_STRIPS = (212, 248)
LINK_STATE_CELLS = {
    4: ((40, 170, 60), "square"),    # checked
    22: ((40, 170, 60), "square"),   # checked, nothing more to fetch
    7: ((220, 30, 30), "cross"),     # broken
    1: ((230, 120, 20), "cross"),    # stopped
    20: ((230, 120, 20), "cross"),   # suspended
    2: ((170, 170, 170), "square"),  # waiting
    3: ((40, 90, 220), "square"),    # being checked
}


def draw_strip(ident, cw, ch, cells, glyph):
    width = cw * cells
    pixels = []
    for y in range(ch):
        for x in range(width):
            cell, cx = divmod(x, cw)
            if glyph == "groups":
                pixels.append(group_pixel(cx, y, cell))
            elif ident in LINK_STRIPS and cell in LINK_STATE_CELLS:
                base, shape = LINK_STATE_CELLS[cell]
                pixels.append(base if inside(shape, cx, y, cw, ch, cell) else MAGENTA)
            elif inside(glyph, cx, y, cw, ch, cell):
                base = colour(cell, cells)
                border = cx in (0, cw - 1) or y in (0, ch - 1)
                pixels.append(tuple(c // 2 for c in base) if border and glyph == "panel" else base)
            else:
                pixels.append(MAGENTA)
    png(os.path.join(HERE, "bitmap_%d.png" % ident), width, ch, pixels, False)


def draw_icon(ident, size):
    pixels = []
    base = colour(ident, 2)
    for y in range(size):
        for x in range(size):
            d = ((x - size / 2 + 0.5) ** 2 + (y - size / 2 + 0.5) ** 2) ** 0.5
            if d <= size / 2 - 1:
                shade = tuple(min(255, int(c * (1.2 - d / size))) for c in base)
                pixels.append(shade + (255,))
            else:
                pixels.append((0, 0, 0, 0))
    png(os.path.join(HERE, "icon_%d.png" % ident), size, size, pixels, True)


def main():
    for ident, (cw, ch, cells, glyph) in BITMAPS.items():
        draw_strip(ident, cw, ch, cells, glyph)
    for ident, size in ICONS.items():
        draw_icon(ident, size)
    names = ["bitmap_%d.png" % i for i in BITMAPS] + ["icon_%d.png" % i for i in ICONS]
    with open(os.path.join(HERE, "..", "images.qrc"), "w") as qrc:
        qrc.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/res">\n')
        for name in names:
            qrc.write("    <file>images/%s</file>\n" % name)
        qrc.write("  </qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
