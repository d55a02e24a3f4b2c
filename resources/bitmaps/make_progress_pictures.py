#!/usr/bin/python3
"""Draws the progress popup's 32 x 32 pictures: QEISEND32.bmp (a letter, shown while a bug report
is sent) and QEIPLWAIT.bmp (an hourglass, shown while a report is computed). Each is a .bmp of a
40-byte BITMAPINFOHEADER and 32-bit pixels (blue, green, red, alpha; rows from the bottom), the
form the popup blends over the button face. Edges are softened by 4 x 4 supersampling."""
import os
import struct

SIZE, SUB = 32, 4


def inside_polygon(x, y, points):
    result = False
    j = len(points) - 1
    for i in range(len(points)):
        (xi, yi), (xj, yj) = points[i], points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def near_segment(x, y, a, b, width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= (width / 2.0) ** 2


def render(shade):
    """shade(x, y) -> (r, g, b) or None at a point of the picture (y downwards)."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            hits = []
            for sy in range(SUB):
                for sx in range(SUB):
                    c = shade(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB)
                    if c:
                        hits.append(c)
            if not hits:
                row.append((0, 0, 0, 0))
                continue
            r = sum(c[0] for c in hits) // len(hits)
            g = sum(c[1] for c in hits) // len(hits)
            b = sum(c[2] for c in hits) // len(hits)
            row.append((r, g, b, 255 * len(hits) // (SUB * SUB)))
        rows.append(row)
    return rows


def letter(x, y):
    if not (3 <= x <= 29 and 7 <= y <= 25):
        return None
    edge = x < 4.2 or x > 27.8 or y < 8.2 or y > 23.8
    flap = near_segment(x, y, (3.5, 7.5), (16, 17), 1.6) or near_segment(x, y, (28.5, 7.5), (16, 17), 1.6)
    if edge or flap:
        return (40, 70, 140)
    return (250, 246, 230)


def hourglass(x, y):
    if 6 <= x <= 26 and (4 <= y <= 6.5 or 25.5 <= y <= 28):
        return (110, 70, 30)
    top = [(8, 6.5), (24, 6.5), (16.8, 16), (15.2, 16)]
    bottom = [(15.2, 16), (16.8, 16), (24, 25.5), (8, 25.5)]
    if inside_polygon(x, y, top):
        return (236, 200, 110) if y > 10.5 else (200, 225, 240)
    if inside_polygon(x, y, bottom):
        return (236, 200, 110) if y > 20 else (200, 225, 240)
    return None


def write_bmp(path, rows):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 32, 0, SIZE * SIZE * 4, 2835, 2835, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    body = header + pixels
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, 54) + body)


here = os.path.dirname(os.path.abspath(__file__))
write_bmp(os.path.join(here, 'QEISEND32.bmp'), render(letter))
write_bmp(os.path.join(here, 'QEIPLWAIT.bmp'), render(hourglass))
