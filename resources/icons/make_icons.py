#!/usr/bin/env python3
"""Draws Tolvane's icons and writes them as .ico files (32x32 and 16x16,
32-bit colour with alpha). Run it again after changing a picture; the build
uses the .ico files it leaves beside it."""
import math
import struct
import sys
from pathlib import Path

SUB = 4  # subsamples per axis, for smooth edges


def disk(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def segment(x0, y0, x1, y1, w):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return inside


def clock(face, rim):
    """A clock face: the picture of time online. Coordinates on a unit square."""
    return [
        (disk(0.5, 0.5, 0.47), rim),
        (disk(0.5, 0.5, 0.38), face),
        (segment(0.5, 0.5, 0.5, 0.2, 0.09), (40, 40, 40)),
        (segment(0.5, 0.5, 0.72, 0.5, 0.09), (40, 40, 40)),
        (disk(0.5, 0.5, 0.06), (200, 30, 30)),
    ]


PICTURES = {
    "program": clock((255, 255, 255), (30, 80, 170)),
    "waiting": [
        (disk(0.5, 0.5, 0.47), (90, 90, 100)),
        (disk(0.5, 0.5, 0.38), (235, 235, 225)),
        (segment(0.5, 0.5, 0.5, 0.2, 0.09), (40, 40, 40)),
        (segment(0.5, 0.5, 0.72, 0.5, 0.09), (40, 40, 40)),
        (disk(0.5, 0.5, 0.06), (40, 40, 40)),
    ],
    "online": clock((255, 255, 255), (20, 150, 50)),
    "printing": [
        (rect(0.25, 0.08, 0.75, 0.45), (255, 255, 255)),
        (rect(0.06, 0.38, 0.94, 0.78), (110, 110, 120)),
        (rect(0.25, 0.62, 0.75, 0.94), (255, 255, 255)),
        (rect(0.32, 0.70, 0.68, 0.74), (60, 60, 60)),
        (rect(0.32, 0.80, 0.60, 0.84), (60, 60, 60)),
        (disk(0.82, 0.48, 0.04), (40, 200, 60)),
    ],
}


def render(layers, size):
    """Returns rows bottom-up of BGRA pixels."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) / size
                    y = (py + (sy + 0.5) / SUB) / size
                    colour = None
                    for inside, c in layers:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = SUB * SUB
            if acc[3]:
                r, g, b = (round(acc[i] / acc[3]) for i in range(3))
                a = round(255 * acc[3] / n)
            else:
                r = g = b = a = 0
            row.append((b, g, r, a))
        pixels.append(row)
    pixels.reverse()
    return pixels


def bitmap_entry(layers, size):
    rows = render(layers, size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes(c for px in row for c in px) for row in rows)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in rows:
        bits = bytearray(mask_stride)
        for i, px in enumerate(row):
            if px[3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_ico(path, layers, sizes=(32, 16)):
    images = [bitmap_entry(layers, s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    Path(path).write_bytes(out)


def main():
    here = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    for name, layers in PICTURES.items():
        write_ico(here / f"{name}.ico", layers)


if __name__ == "__main__":
    main()
