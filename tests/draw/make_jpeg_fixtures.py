#!/usr/bin/env python3
"""Writes the JPEG fixtures of the drawing tests into a folder: a picture as PPM, JPEG files
that libjpeg-turbo's cjpeg makes of it (baseline, progressive, grayscale), what djpeg decodes
from each (the expected pixels), and damaged copies. Fails when cjpeg or djpeg is missing."""
import subprocess
import sys
from pathlib import Path


def run(args, out):
    with open(out, "wb") as f:
        subprocess.run(args, stdout=f, check=True)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    width, height = 37, 23  # not a multiple of the 8 x 8 or 16 x 16 blocks
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            if x < 12 and y < 12:
                pixels += bytes((230, 30, 20))  # a flat red block
            else:
                pixels += bytes(((x * 7) % 256, (y * 11) % 256, ((x + y) * 5) % 256))
    ppm = folder / "pattern.ppm"
    ppm.write_bytes(b"P6\n%d %d\n255\n" % (width, height) + bytes(pixels))
    run(["cjpeg", "-quality", "90", str(ppm)], folder / "baseline.jpg")
    run(["cjpeg", "-quality", "30", "-progressive", str(ppm)], folder / "progressive.jpg")
    run(["cjpeg", "-grayscale", str(ppm)], folder / "gray.jpg")
    run(["djpeg", "-pnm", str(folder / "baseline.jpg")], folder / "baseline.ppm")
    run(["djpeg", "-pnm", str(folder / "progressive.jpg")], folder / "progressive.ppm")
    run(["djpeg", "-pnm", str(folder / "gray.jpg")], folder / "gray.pgm")
    run(["djpeg", "-pnm", "-grayscale", str(folder / "baseline.jpg")], folder / "baseline-gray.pgm")
    baseline = (folder / "baseline.jpg").read_bytes()
    (folder / "truncated-scan.jpg").write_bytes(baseline[:-100])  # ends inside the image data
    (folder / "truncated-tables.jpg").write_bytes(baseline[:300])  # ends inside the tables
    # Markers inside the entropy-coded data: a restart marker where none is expected.
    damaged = bytearray(baseline)
    middle = len(damaged) // 2
    damaged[middle:middle + 8] = b"\xff\xd4\xff\xd4\xff\xd4\xff\xd4"
    (folder / "damaged.jpg").write_bytes(bytes(damaged))
    (folder / "header-only.jpg").write_bytes(baseline[:2])


if __name__ == "__main__":
    main()
