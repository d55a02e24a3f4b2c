#!/usr/bin/python3
"""Draws the crash-report pictures: the progress popup's 32 x 32 QEISEND32.bmp (a letter, shown
while a bug report is sent) and QEIPLWAIT.bmp (an hourglass, shown while a report is computed),
and the exception box's 16 x 16 button icons QEISEND.bmp ... QEICANTCONTINUE.bmp with its 32 x 32
QEIBIG.bmp. Each is a .bmp of a 40-byte BITMAPINFOHEADER and 32-bit pixels (blue, green, red,
alpha; rows from the bottom), the form the dialogs blend over a button face. Edges are softened
by 4 x 4 supersampling; the 16 x 16 icons are drawn on a 32-unit grid at half scale."""
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


def render(shade, size=SIZE):
    """shade(x, y) -> (r, g, b) or None at a point of the picture (y downwards, 0..32 across)."""
    scale = SIZE / size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = []
            for sy in range(SUB):
                for sx in range(SUB):
                    c = shade((x + (sx + 0.5) / SUB) * scale, (y + (sy + 0.5) / SUB) * scale)
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
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 32, 0, size * size * 4, 2835, 2835, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    body = header + pixels
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, 54) + body)


def disk(x, y):
    if not (5 <= x <= 27 and 5 <= y <= 27):
        return None
    if 9 <= x <= 21 and 5 <= y <= 12:
        return (225, 230, 235) if not (17 <= x <= 19.5 and 6.5 <= y <= 10.5) else (40, 60, 90)
    if 9 <= x <= 23 and 17 <= y <= 27:
        return (250, 250, 250) if y > 18.5 else (200, 60, 50)
    return (50, 90, 160)


def printer(x, y):
    if 10 <= x <= 22 and 4 <= y <= 12:
        return (250, 250, 250) if x > 11 and x < 21 and y > 5 else (120, 120, 120)
    if 4 <= x <= 28 and 12 <= y <= 22:
        return (90, 200, 90) if 23 <= x <= 25.5 and 14 <= y <= 16 else (110, 115, 125)
    if 9 <= x <= 23 and 22 <= y <= 28:
        return (250, 250, 250) if not (11 <= x <= 21 and (24 <= y <= 24.8 or 26 <= y <= 26.8)) \
            else (120, 120, 120)
    return None


def magnifier(x, y):
    d = ((x - 13) ** 2 + (y - 13) ** 2) ** 0.5
    if d <= 6.5:
        return (205, 230, 250)
    if d <= 9:
        return (60, 70, 90)
    if near_segment(x, y, (19.5, 19.5), (27, 27), 4.5):
        return (110, 70, 30)
    return None


def arrow(colour, edge):
    def shade(x, y):
        points = [(5, 12), (17, 12), (17, 5), (28, 16), (17, 27), (17, 20), (5, 20)]
        if not inside_polygon(x, y, points):
            return None
        inner = [(6.5, 13.5), (18.5, 13.5), (18.5, 8.6), (25.9, 16), (18.5, 23.4), (18.5, 18.5),
                 (6.5, 18.5)]
        return colour if inside_polygon(x, y, inner) else edge
    return shade


def restart(x, y):
    d = ((x - 16) ** 2 + (y - 17) ** 2) ** 0.5
    head = [(16, 1.5), (24, 6), (16, 10.5)]
    if inside_polygon(x, y, head):
        return (40, 110, 190)
    import math
    angle = math.degrees(math.atan2(y - 17, x - 16))
    if 7.5 <= d <= 11.5 and not (-90 <= angle <= -30):
        return (40, 110, 190)
    return None


def cross(x, y):
    d = ((x - 16) ** 2 + (y - 16) ** 2) ** 0.5
    if d > 13:
        return None
    if near_segment(x, y, (10.5, 10.5), (21.5, 21.5), 3.6) or \
            near_segment(x, y, (21.5, 10.5), (10.5, 21.5), 3.6):
        return (255, 255, 255)
    return (200, 40, 40) if d <= 11.8 else (130, 20, 20)


def cant_continue(x, y):
    if near_segment(x, y, (6, 26), (26, 6), 3.5):
        return (200, 40, 40)
    return arrow((175, 175, 175), (110, 110, 110))(x, y)


def big(x, y):
    """The box's icon: a red stop sign with a white exclamation mark."""
    points = [(11, 2), (21, 2), (30, 11), (30, 21), (21, 30), (11, 30), (2, 21), (2, 11)]
    if not inside_polygon(x, y, points):
        return None
    inner = [(11.7, 3.6), (20.3, 3.6), (28.4, 11.7), (28.4, 20.3), (20.3, 28.4), (11.7, 28.4),
             (3.6, 20.3), (3.6, 11.7)]
    if not inside_polygon(x, y, inner):
        return (120, 20, 20)
    if near_segment(x, y, (16, 8), (16, 18.5), 4) or ((x - 16) ** 2 + (y - 23.5) ** 2) <= 5:
        return (255, 255, 255)
    return (205, 35, 35)


here = os.path.dirname(os.path.abspath(__file__))
write_bmp(os.path.join(here, 'QEISEND32.bmp'), render(letter))
write_bmp(os.path.join(here, 'QEIPLWAIT.bmp'), render(hourglass))
icons = {
    'QEISEND': letter,
    'QEISAVE': disk,
    'QEIPRINT': printer,
    'QEISHOW': magnifier,
    'QEICONTINUE': arrow((70, 180, 70), (30, 110, 30)),
    'QEIRESTART': restart,
    'QEICLOSE': cross,
    'QEICANTCONTINUE': cant_continue,
}
for name, shade in icons.items():
    write_bmp(os.path.join(here, name + '.bmp'), render(shade, 16))
write_bmp(os.path.join(here, 'QEIBIG.bmp'), render(big))
