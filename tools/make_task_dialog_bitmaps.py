#!/usr/bin/env python3
"""Writes the emulated task dialog's bitmaps (resources/bitmaps/td_*.bmp): the command-link
arrow, the expand and collapse buttons (normal, hot, down) and the shield. 24-bit BMP files
whose magenta (0xFF00FF) pixels are transparent. Run again only to change the pictures."""
import os
import struct

MAGENTA = (255, 0, 255)


def write_bmp(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(row_size - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def arrow(colour):
    size = 16
    p = [[MAGENTA] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            # a shaft from x 2 to 9 at rows 6..9 and a head from x 8 to 14
            if 6 <= y <= 9 and 2 <= x <= 9:
                p[y][x] = colour
            if 8 <= x <= 14 and abs(y - 7.5) <= (14 - x) * 0.9:
                p[y][x] = colour
    return p


def circle_button(fill, ring, up):
    size = 19
    p = [[MAGENTA] * size for _ in range(size)]
    c = 9
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= 9:
                p[y][x] = ring
            if d <= 8:
                p[y][x] = fill
    for i in range(4):
        for x in range(c - 3 + i, c + 4 - i):
            y = (c - 3 + i) if up else (c + 2 - i)
            for dy in (0, 1):
                if 0 <= y + dy + (0 if up else -1) < size:
                    p[y + dy + (0 if up else -1)][x] = (60, 60, 60)
    return p


def shield():
    size = 16
    p = [[MAGENTA] * size for _ in range(size)]
    for y in range(1, 15):
        half = 6 if y < 9 else max(0, 6 - (y - 8))
        for x in range(8 - half, 8 + half):
            left = x < 8
            top = y < 8
            p[y][x] = (0, 84, 227) if left == top else (255, 200, 0)
    return p


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'bitmaps')
    pictures = {
        'td_arw': arrow((0, 150, 0)),
        'td_arwhot': arrow((0, 190, 0)),
        'td_arwdown': arrow((0, 110, 0)),
        'td_arwdis': arrow((160, 160, 160)),
        'td_exp': circle_button((245, 245, 245), (180, 180, 180), False),
        'td_exphot': circle_button((225, 240, 255), (90, 150, 220), False),
        'td_expdown': circle_button((200, 220, 245), (60, 110, 190), False),
        'td_colp': circle_button((245, 245, 245), (180, 180, 180), True),
        'td_colphot': circle_button((225, 240, 255), (90, 150, 220), True),
        'td_colpdown': circle_button((200, 220, 245), (60, 110, 190), True),
        'td_shield': shield(),
    }
    for name, pixels in pictures.items():
        write_bmp(os.path.join(out, name + '.bmp'), pixels)


if __name__ == '__main__':
    main()
