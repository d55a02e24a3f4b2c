#!/usr/bin/env python3
"""Draws the main window's pictures and compiles them into its layout.

- `Logo.png` (256 x 63, RGBA): the product logo of `AdvOfficeImage1`, a blue chip with an
  upload arrow beside the word mark "BRENVIK" and the line "USB HID BOOTLOADER".
- `LinkNone.png`, `LinkPresent.png` (24 x 24, RGBA, every pixel fully opaque or fully
  transparent): the link indicator's two images, a silver disc with a grey rim (no bootloader)
  and a green disc with a dark green rim (bootloader present), each with a light spot.

The drawing is anti-aliased by 4 x 4 supersampling of simple shapes (rounded rectangles,
polygons, discs and the strokes of a small line font); no imaging library is needed.

Then `../forms/Dovrel.form` gets the pictures: the logo's PNG bytes as
`AdvOfficeImage1`'s `Picture.Data`, and the two indicator images as `ImageList1`'s `Bitmap`,
written in the system image list's stream format (an "IL" header, a 24-bit colour bitmap of
four images per row and its 1-bit mask, 1 = transparent). Run it again only to change the
pictures; its outputs are checked in.
"""
import math
import os
import re
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FORM = os.path.join(HERE, "..", "forms", "Dovrel.form")
SS = 4  # subsamples per pixel and axis

BLUE = (0x54, 0x98, 0xFF)
BLUE_DARK = (0x2F, 0x6E, 0xD6)
PIN = (0x9A, 0xA6, 0xB5)
SLATE = (0x3C, 0x46, 0x54)
WHITE = (0xFF, 0xFF, 0xFF)


class Layer:
    """A supersampled coverage mask of one colour."""

    def __init__(self, width, height):
        self.w, self.h = width * SS, height * SS
        self.bits = bytearray(self.w * self.h)

    def fill(self, inside, box):
        """Sets every subsample in `box` (x0, y0, x1, y1 in pixels) for which `inside(x, y)`
        holds at the subsample's centre (pixel coordinates)."""
        x0, y0, x1, y1 = box
        sx0, sy0 = max(0, int(x0 * SS) - 1), max(0, int(y0 * SS) - 1)
        sx1, sy1 = min(self.w, int(math.ceil(x1 * SS)) + 1), min(self.h, int(math.ceil(y1 * SS)) + 1)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SS
            row = sy * self.w
            for sx in range(sx0, sx1):
                if inside((sx + 0.5) / SS, y):
                    self.bits[row + sx] = 1

    def coverage(self, x, y):
        total = 0
        for sy in range(y * SS, y * SS + SS):
            row = sy * self.w
            total += sum(self.bits[row + x * SS:row + x * SS + SS])
        return total / (SS * SS)


def rounded_rect(layer, x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1
    layer.fill(inside, (x0, y0, x1, y1))


def polygon(layer, points):
    def inside(x, y):
        crossings = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                crossings = not crossings
        return crossings
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    layer.fill(inside, (min(xs), min(ys), max(xs), max(ys)))


def disc(layer, cx, cy, r):
    layer.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r))


def stroke(layer, a, b, half):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = min(1.0, max(0.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= half * half
    layer.fill(inside, (min(ax, bx) - half, min(ay, by) - half, max(ax, bx) + half, max(ay, by) + half))


# ---- a small line font: glyphs on a grid 10 units high, as polylines ----

def arc(cx, cy, rx, ry, start, end, steps=12):
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps))) for i in range(steps + 1)]


GLYPHS = {  # letter: (advance width, polylines)
    "A": (6, [[(0, 10), (3, 0), (6, 10)], [(1.1, 6.5), (4.9, 6.5)]]),
    "B": (6, [[(0, 10), (0, 0), (3.3, 0)] + arc(3.3, 2.5, 2.5, 2.5, -90, 90) + [(0, 5)],
              [(0, 5), (3.6, 5)] + arc(3.6, 7.5, 2.5, 2.5, -90, 90) + [(0, 10)]]),
    "D": (6.5, [[(0, 0), (0, 10), (2.5, 10)] + arc(2.5, 5, 4, 5, 90, -90) + [(0, 0)]]),
    "E": (5, [[(5, 0), (0, 0), (0, 10), (5, 10)], [(0, 5), (4, 5)]]),
    "H": (6, [[(0, 0), (0, 10)], [(6, 0), (6, 10)], [(0, 5), (6, 5)]]),
    "I": (0, [[(0, 0), (0, 10)]]),
    "K": (5.5, [[(0, 0), (0, 10)], [(5.5, 0), (0, 6.2)], [(1.9, 4), (5.8, 10)]]),
    "L": (5, [[(0, 0), (0, 10), (5, 10)]]),
    "N": (6, [[(0, 10), (0, 0), (6, 10), (6, 0)]]),
    "O": (7, [arc(3.5, 5, 3.5, 5, 0, 360, 32)]),
    "R": (6, [[(0, 10), (0, 0), (3.3, 0)] + arc(3.3, 2.75, 2.7, 2.75, -90, 90) + [(0, 5.5)], [(3, 5.5), (6, 10)]]),
    "S": (5.6, [arc(2.8, 2.5, 2.7, 2.5, -15, -270) + arc(2.8, 7.5, 2.8, 2.5, -90, 165)]),
    "T": (6, [[(0, 0), (6, 0)], [(3, 0), (3, 10)]]),
    "U": (6, [[(0, 0), (0, 7)] + arc(3, 7, 3, 3, 180, 0) + [(6, 0)]]),
    "V": (6, [[(0, 0), (3, 10), (6, 0)]]),
    " ": (3, []),
}


def text(layer, words, x, top, scale, width, gap):
    """Strokes `words` in the line font with the cap height 10 * `scale` pixels from (x, top)."""
    for letter in words:
        advance, lines = GLYPHS[letter]
        for line in lines:
            points = [(x + px * scale, top + py * scale) for px, py in line]
            for a, b in zip(points, points[1:]):
                stroke(layer, a, b, width / 2)
        x += (advance + gap) * scale


def compose(width, height, layers):
    """The layers painted over a transparent ground in order: RGBA rows."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            r = g = b = a = 0.0
            for layer, colour in layers:
                c = layer.coverage(x, y)
                if c == 0:
                    continue
                out = c + a * (1 - c)
                r, g, b = ((colour[i] * c + channel * a * (1 - c)) / out for i, channel in enumerate((r, g, b)))
                a = out
            row.append((round(r), round(g), round(b), round(a * 255)))
        rows.append(row)
    return rows


def png(rows):
    width, height = len(rows[0]), len(rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def logo():
    w, h = 256, 63
    pins, body, rim, arrow, title, subtitle = (Layer(w, h) for _ in range(6))
    for cy in (17, 26.5, 36, 45.5):
        rounded_rect(pins, 3, cy - 2, 61, cy + 2, 1.5)
    rounded_rect(rim, 9, 8, 55, 54, 7)
    rounded_rect(body, 11, 10, 53, 52, 5.5)
    polygon(arrow, [(20, 31), (32, 18), (44, 31), (36.5, 31), (36.5, 44), (27.5, 44), (27.5, 31)])
    text(title, "BRENVIK", 72, 8, 2.7, 4.2, 2.4)
    text(subtitle, "USB HID BOOTLOADER", 73, 44, 0.95, 1.5, 2.3)
    return compose(w, h, [(pins, PIN), (rim, BLUE_DARK), (body, BLUE), (arrow, WHITE), (title, SLATE),
                          (subtitle, BLUE)])


def indicator(rim_colour, fill, spot):
    rim, body, light = Layer(24, 24), Layer(24, 24), Layer(24, 24)
    disc(rim, 12, 12, 10.8)
    disc(body, 12, 12, 8.5)
    disc(light, 8.5, 8.5, 2.2)
    rows = compose(24, 24, [(rim, rim_colour), (body, fill), (light, spot)])
    # The image list masks on one bit: a pixel is opaque when most of it is covered.
    return [[px[:3] + (255,) if px[3] >= 128 else (0, 0, 0, 0) for px in row] for row in rows]


def image_list_stream(images, size=24):
    """The system image list's stream ("IL" header, colour bitmap, mask bitmap) holding `images`
    (RGBA rows), masked, 24-bit, four images per bitmap row."""
    per_row, count = 4, len(images)
    capacity = count + 1
    bmp_w, bmp_h = per_row * size, ((capacity + per_row - 1) // per_row) * size
    header = struct.pack("<2sHHHHHHIH4h", b"IL", 0x0101, count, capacity, 4, size, size, 0xFFFFFFFF,
                         0x0019, -1, -1, -1, -1)

    def pixel(x, y):
        index = (y // size) * per_row + x // size
        if index >= count:
            return None
        return images[index][y % size][x % size]

    stride = (bmp_w * 3 + 3) & ~3
    colour = b""
    for y in reversed(range(bmp_h)):
        line = b""
        for x in range(bmp_w):
            px = pixel(x, y)
            line += bytes((px[2], px[1], px[0])) if px and px[3] else b"\0\0\0"
        colour += line + b"\0" * (stride - len(line))
    colour_bmp = (struct.pack("<2sIHHI", b"BM", 54 + len(colour), 0, 0, 54) +
                  struct.pack("<IiiHHIIiiII", 40, bmp_w, bmp_h, 1, 24, 0, len(colour), 0, 0, 0, 0) + colour)

    mask_stride = ((bmp_w + 31) // 32) * 4
    mask = b""
    for y in reversed(range(bmp_h)):
        bits = bytearray(mask_stride)
        for x in range(bmp_w):
            px = pixel(x, y)
            if px is not None and not px[3]:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    palette = b"\0\0\0\0\xff\xff\xff\0"
    mask_bmp = (struct.pack("<2sIHHI", b"BM", 62 + len(mask), 0, 0, 62) +
                struct.pack("<IiiHHIIiiII", 40, bmp_w, bmp_h, 1, 1, 0, len(mask), 0, 0, 0, 0) + palette + mask)
    return header + colour_bmp + mask_bmp


def hex_block(data, indent):
    text = data.hex().upper()
    return "{\n" + "\n".join(indent + text[i:i + 64] for i in range(0, len(text), 64)) + "}"


def set_binary_property(form, obj, name, data):
    """Sets `name = {...}` in the layout's object `obj`, replacing an earlier value or adding the
    property as the object's last one."""
    start = re.search(r"^( *)object %s: \w+\n" % obj, form, re.M)
    indent = start.group(1) + "  "
    end = form.index("\n%send\n" % start.group(1), start.end())
    body = form[start.end():end + 1]
    value = "%s%s = %s\n" % (indent, name, hex_block(data, indent + "  "))
    existing = re.search(r"^%s%s = \{[0-9A-F\s]*\}\n" % (indent, re.escape(name)), body, re.M)
    if existing:
        body = body[:existing.start()] + value + body[existing.end():]
    else:
        body += value
    return form[:start.end()] + body + form[end + 1:]


def main():
    logo_png = png(logo())
    link_none = indicator((0x80, 0x80, 0x80), (0xC0, 0xC0, 0xC0), (0xE8, 0xE8, 0xE8))
    link_present = indicator((0x1A, 0x7A, 0x2E), (0x2E, 0xB8, 0x4A), (0xA8, 0xE8, 0x90))
    for name, data in (("Logo.png", logo_png), ("LinkNone.png", png(link_none)),
                       ("LinkPresent.png", png(link_present))):
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    with open(FORM, newline="") as f:
        form = f.read()
    form = set_binary_property(form, "AdvOfficeImage1", "Picture.Data", logo_png)
    form = set_binary_property(form, "ImageList1", "Bitmap", image_list_stream([link_none, link_present]))
    with open(FORM, "w", newline="") as f:
        f.write(form)


if __name__ == "__main__":
    main()
