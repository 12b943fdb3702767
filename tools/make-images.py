#!/usr/bin/env python3
"""Draws the program's small pictures and writes them as Windows resource files.

    ui/resources/Ordanel.ico     the program icon: 32 x 32, 16 colours
    ui/resources/TreeImages.bmp  the two 16 x 16 tree images side by side, 24-bit, magenta = transparent
    lookandfeel/resources/Office11SubmenuArrow.bmp
                                 the Office 11 submenu arrow, 8 x 9, 24-bit: magenta background,
                                 grey shades (recoloured by their red value at run time), black edge
    lookandfeel/resources/Office11ExpandMinus.bmp, Office11ExpandPlus.bmp
                                 the minus and plus images of an expand button, 9 x 9, 24-bit

Run it from the repository root after changing a picture; the outputs are committed.
"""
import math
import struct

# The 16-colour palette of the icon (the standard VGA colours), as (r, g, b).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, TEAL, SILVER, GREY, YELLOW, WHITE, OLIVE, CYAN = 0, 6, 7, 8, 11, 15, 3, 14
CLEAR = None


def icon_pixels():
    size = 32
    px = [[CLEAR] * size for _ in range(size)]
    # A teal disc with a dark rim.
    cx, cy, r = 15.5, 15.5, 14.5
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if d <= r - 1.2:
                px[y][x] = CYAN if (x - cx) + (y - cy) < -12 else TEAL
            elif d <= r:
                px[y][x] = BLACK
    # A yellow lightning bolt crossing the disc from top right to bottom left.
    bolt = [(21, 2), (9, 16), (16, 16), (8, 30), (24, 13), (17, 13), (23, 2)]
    fill_polygon(px, bolt, YELLOW)
    outline_polygon(px, bolt, OLIVE)
    # A striped vertical column standing in front, at the left.
    for y in range(6, 31):
        for x in range(3, 10):
            if x in (3, 9) or y in (6, 30):
                px[y][x] = BLACK
            else:
                px[y][x] = WHITE if (x - 4) % 2 == 0 else GREY
    return px


def fill_polygon(px, pts, colour):
    n = len(pts)
    for y in range(len(px)):
        yc = y + 0.5
        xs = []
        for i in range(n):
            (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % n]
            if (y1 <= yc < y2) or (y2 <= yc < y1):
                xs.append(x1 + (yc - y1) * (x2 - x1) / (y2 - y1))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            for x in range(int(round(a)), int(round(b))):
                if 0 <= x < len(px[0]):
                    px[y][x] = colour


def outline_polygon(px, pts, colour):
    n = len(pts)
    for i in range(n):
        (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % n]
        steps = int(max(abs(x2 - x1), abs(y2 - y1))) + 1
        for s in range(steps + 1):
            x = round(x1 + (x2 - x1) * s / steps)
            y = round(y1 + (y2 - y1) * s / steps)
            if 0 <= x < len(px[0]) and 0 <= y < len(px):
                px[y][x] = colour


def write_icon(path, px):
    size = 32
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in VGA)
    xor = b''
    mask = b''
    for y in reversed(range(size)):
        row = px[y]
        for x in range(0, size, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor += bytes([(a << 4) | b])
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    image = header + palette + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4,
                                                           len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + image)


MAGENTA = (255, 0, 255)


def tree_images():
    w, h = 32, 16
    px = [[MAGENTA] * w for _ in range(h)]

    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c

    # Image 0: a list sheet with text lines and dark marks at its left edge, a blue bin in front.
    rect(1, 0, 11, 13, (128, 128, 128))
    rect(2, 1, 10, 12, (255, 255, 255))
    for y in (3, 5, 7, 9, 11):
        px[y][3] = (0, 0, 64)
        rect(5, y, 9, y, (160, 160, 160))
    # The bin: a cylinder with a light top ellipse and a darker body.
    rect(8, 9, 14, 15, (0, 64, 192))
    rect(9, 10, 13, 14, (48, 112, 232))
    rect(9, 8, 13, 9, (160, 200, 255))
    rect(10, 11, 10, 14, (128, 176, 255))
    # Image 1: two overlapping pages with blue folded corners, light-blue lines on the front page.
    ox = 16

    def page(x0, y0, x1, y1, lines):
        rect(ox + x0, y0, ox + x1, y1, (128, 128, 128))
        rect(ox + x0 + 1, y0 + 1, ox + x1 - 1, y1 - 1, (255, 255, 255))
        for d in range(3):
            for e in range(3 - d):
                px[y0 + d][ox + x1 - e] = (0, 64, 192) if e == 0 or d == 0 else (96, 144, 255)
        if lines:
            for y in range(y0 + 4, y1 - 1, 2):
                rect(ox + x0 + 2, y, ox + x1 - 3, y, (128, 176, 255))

    page(1, 0, 10, 12, False)
    page(5, 3, 14, 15, True)
    return px


def write_bmp24(path, px):
    h, w = len(px), len(px[0])
    stride = (w * 3 + 3) & ~3
    data = b''
    for y in reversed(range(h)):
        row = b''.join(struct.pack('BBB', b, g, r) for (r, g, b) in px[y])
        data += row + b'\0' * (stride - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + data)


def submenu_arrow():
    """A triangle pointing right, shaded from light grey (top) to dark grey (bottom); its lower
    slope is a black edge. The top-left pixel is the background."""
    w, h = 8, 9
    px = [[MAGENTA] * w for _ in range(h)]
    for y in range(h):
        reach = 4 - abs(y - 4)
        shade = 224 - 16 * y
        for x in range(2, 3 + reach):
            px[y][x] = (shade, shade, shade)
        if y >= 4:
            px[y][2 + reach] = (0, 0, 0)
    return px


def expand_button(plus):
    """A 9 x 9 box: grey frame, white-to-beige face, black minus (and bar for plus)."""
    n = 9
    top, bottom = (255, 255, 255), (214, 208, 196)
    px = []
    for y in range(n):
        t = (y - 1) / (n - 3)
        face = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        px.append([face] * n)
    for i in range(n):
        px[0][i] = px[n - 1][i] = px[i][0] = px[i][n - 1] = (128, 128, 128)
    for i in range(2, n - 2):
        px[n // 2][i] = (0, 0, 0)
        if plus:
            px[i][n // 2] = (0, 0, 0)
    return px


if __name__ == '__main__':
    write_icon('ui/resources/Ordanel.ico', icon_pixels())
    write_bmp24('ui/resources/TreeImages.bmp', tree_images())
    write_bmp24('lookandfeel/resources/Office11SubmenuArrow.bmp', submenu_arrow())
    write_bmp24('lookandfeel/resources/Office11ExpandMinus.bmp', expand_button(False))
    write_bmp24('lookandfeel/resources/Office11ExpandPlus.bmp', expand_button(True))
