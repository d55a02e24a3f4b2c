#!/usr/bin/env python3
"""Writes the twelve glyph bitmaps of the office check box and radio button (24-bit BMP).

The bottom-left pixel of every bitmap holds the transparent colour (magenta): the check-box
glyphs keep it on their outer one-pixel ring, the radio glyphs in the corners outside the
circle. Normal glyphs are grey-framed light boxes or circles, hot ones light blue, pressed ones
a deeper blue; the checked ones carry a dark-blue tick or dot.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TRANSPARENT = (255, 0, 255)
LOOKS = {  # frame, fill
    "": ((0x8E, 0x8F, 0x8F), (0xF4, 0xF4, 0xF4)),
    "H": ((0x5E, 0xA4, 0xE6), (0xDE, 0xF0, 0xFC)),
    "D": ((0x2C, 0x62, 0xA8), (0xB0, 0xD4, 0xF4)),
}
MARK = (0x21, 0x3A, 0x8C)
TICK = [(3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4),
        (3, 7), (4, 8), (5, 9), (6, 8), (7, 7), (8, 6), (9, 5)]


def write_bmp(name, pixels):
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    rows = b""
    for row in reversed(pixels):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        rows += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name + ".bmp"), "wb") as f:
        f.write(header + info + rows)


def check_box(look, checked):
    frame, fill = LOOKS[look]
    px = [[TRANSPARENT] * 13 for _ in range(13)]
    for y in range(1, 12):
        for x in range(1, 12):
            px[y][x] = frame if x in (1, 11) or y in (1, 11) else fill
    if checked:
        for x, y in TICK:
            px[y][x] = MARK
    return px


def radio(look, checked):
    frame, fill = LOOKS[look]
    px = [[TRANSPARENT] * 12 for _ in range(12)]
    for y in range(12):
        for x in range(12):
            d = ((x - 5.5) ** 2 + (y - 5.5) ** 2) ** 0.5
            if d <= 4.6:
                px[y][x] = MARK if checked and d <= 2.3 else fill
            elif d <= 5.9:
                px[y][x] = frame
    px[11][0] = TRANSPARENT
    return px


for look in LOOKS:
    write_bmp("HalskOFCC" + look, check_box(look, True))
    write_bmp("HalskOFCU" + look, check_box(look, False))
    write_bmp("HalskOFRC" + look, radio(look, True))
    write_bmp("HalskOFRU" + look, radio(look, False))
