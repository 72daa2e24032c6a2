#!/usr/bin/env python3
"""Draws the program icon, src/res/korvel.ico: two 32x32 images, 256 colours and 32-bit.

A blue tile with a white contact card (a head, shoulders and three text lines) and a green
arrow pointing out of it: the friends list, exported. Python only; run it again after a change
and check the .ico in.
"""
import struct
import sys
from pathlib import Path

SIZE = 32
SCALE = 4  # supersampling per axis for the smooth edges of the 32-bit image

BLUE_TOP = (58, 134, 214)
BLUE_BOTTOM = (22, 82, 160)
WHITE = (255, 255, 255)
GREY = (150, 164, 184)
FACE = (244, 170, 66)
GREEN = (46, 170, 80)


def rounded(x, y, left, top, right, bottom, radius):
    """True when (x, y) lies in the rounded rectangle."""
    if not (left <= x < right and top <= y < bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def colour_at(x, y):
    """The colour of one point of the picture (coordinates in pixels, floats), or None."""
    # Arrow in the lower right, over everything else.
    if 19 <= x < 31 and 18 <= y < 31:
        if 22 <= x < 28 and 18 <= y < 25:
            return GREEN
        if y >= 25 and abs(x - 25) <= (31 - y):
            return GREEN
    if not rounded(x, y, 1, 1, 31, 31, 6):
        return None
    # The card.
    if rounded(x, y, 6, 5, 24, 27, 2):
        if (x - 11) ** 2 + (y - 11) ** 2 <= 9:
            return FACE
        if 7 <= x < 15 and 15 <= y < 19 and (x - 11) ** 2 + (y - 19) ** 2 <= 16:
            return FACE
        for top in (9, 13, 17):
            if 16 <= x < 22 and top <= y < top + 1.5:
                return GREY
        if 8 <= x < 22 and 21 <= y < 22.5:
            return GREY
        return WHITE
    t = (y - 1) / 30
    return tuple(round(a + (b - a) * t) for a, b in zip(BLUE_TOP, BLUE_BOTTOM))


def render():
    """Rows of (r, g, b, a), top row first."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SCALE):
                for sx in range(SCALE):
                    c = colour_at(px + (sx + 0.5) / SCALE, py + (sy + 0.5) / SCALE)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                row.append(tuple(round(v / covered) for v in total) + (round(255 * covered / SCALE ** 2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def palette():
    """216 colour cube, then a grey ramp: 256 entries."""
    entries = [(r, g, b) for r in range(0, 256, 51) for g in range(0, 256, 51) for b in range(0, 256, 51)]
    entries += [(round(i * 255 / 39),) * 3 for i in range(40)]
    return entries


def and_mask(rows):
    data = b""
    for row in reversed(rows):
        bits = 0
        for px, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits |= 1 << (31 - px)
        data += struct.pack(">I", bits)
    return data


def header(bit_count, colours_used, image_size):
    return struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bit_count, 0, image_size, 0, 0,
                       colours_used, 0)


def image_8bit(rows):
    entries = palette()
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in entries)
    pixels = b""
    for row in reversed(rows):
        for r, g, b, a in row:
            if a < 128:
                pixels += b"\0"
                continue
            best = min(range(len(entries)),
                       key=lambda i: sum((p - q) ** 2 for p, q in zip(entries[i], (r, g, b))))
            pixels += bytes([best])
    mask = and_mask(rows)
    return header(8, 256, len(pixels) + len(mask)) + table + pixels + mask


def image_32bit(rows):
    pixels = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
    mask = and_mask(rows)
    return header(32, 0, len(pixels) + len(mask)) + pixels + mask


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src/res/korvel.ico"
    rows = render()
    images = [(8, image_8bit(rows)), (32, image_32bit(rows))]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for bit_count, image in images:
        data += struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, bit_count, len(image), offset)
        offset += len(image)
    data += b"".join(image for _, image in images)
    out.write_bytes(data)


if __name__ == "__main__":
    main()
