#!/usr/bin/env python3
"""Draws the program's button pictures and icon.

Writes five 20x20 24-bit BMP files (pure white is the transparent colour; the art sits in
the top-left 16x16 pixels, the part the image button shows) and a 32x32 PNG icon.
Run from anywhere: python3 assets/make_bitmaps.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE = (255, 255, 255)
SIDE = 20
ART = 16

TICK = [
    "................",
    "................",
    ".............kk.",
    "............kgGk",
    "...........kgGk.",
    "..........kgGk..",
    ".kk......kgGk...",
    "kgGk....kgGk....",
    "kGgGk..kgGk.....",
    ".kGgGkkgGk......",
    "..kGgGgGk.......",
    "...kGgGk........",
    "....kGk.........",
    ".....k..........",
    "................",
    "................",
]
TICK_COLOURS = {"k": (0, 96, 0), "g": (120, 220, 110), "G": (30, 160, 40)}

PLUG = [
    "................",
    "................",
    "................",
    ".....kkkkkkk....",
    ".....ksssssk....",
    ".....ksSSSskyyyy",
    ".....ksSSSskkkkk",
    "ccccckSSSSsk....",
    "ccccckSSSSsk....",
    ".....ksSSSskkkkk",
    ".....ksSSSskyyyy",
    ".....ksssssk....",
    ".....kkkkkkk....",
    "................",
    "................",
    "................",
]
PLUG_COLOURS = {
    "k": (40, 40, 48),
    "s": (200, 200, 210),
    "S": (140, 140, 155),
    "y": (220, 170, 40),
    "c": (20, 20, 20),
}

ARROW = [
    "................",
    ".....kkkkkk.....",
    ".....kbbbbk.....",
    ".....kbBBbk.....",
    ".....kbBBbk.....",
    ".....kbBBbk.....",
    ".....kbBBbk.....",
    ".kkkkkbBBbkkkkk.",
    ".kbbbbbBBbbbbbk.",
    "..kbBBBBBBBBbk..",
    "...kbBBBBBBbk...",
    "....kbBBBBbk....",
    ".....kbBBbk.....",
    "......kbbk......",
    ".......kk.......",
    "................",
]
ARROW_COLOURS = {"k": (0, 40, 120), "b": (110, 170, 240), "B": (30, 100, 210)}


def blank(side):
    return [[WHITE] * side for _ in range(side)]


def from_grid(grid, colours):
    assert len(grid) == ART and all(len(row) == ART for row in grid), "art must be 16x16"
    image = blank(SIDE)
    for y, row in enumerate(grid):
        for x, ch in enumerate(row):
            if ch != ".":
                image[y][x] = colours[ch]
    return image


def outline(inside, colour_in, colour_edge, diagonal=True):
    """Fills the 16x16 shape `inside(x, y)`, with its border pixels in `colour_edge`.

    With `diagonal`, a pixel touching the outside only at a corner is border too, which
    keeps round outlines unbroken.
    """
    image = blank(SIDE)
    for y in range(ART):
        for x in range(ART):
            if not inside(x, y):
                continue
            neighbours = [(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)
                          if diagonal or dx == 0 or dy == 0]
            edge = any(not (0 <= nx < ART and 0 <= ny < ART) or not inside(nx, ny)
                       for nx, ny in neighbours)
            image[y][x] = colour_edge if edge else colour_in(x, y)
    return image


def clock():
    centre = 7.5

    def inside(x, y):
        return math.hypot(x - centre, y - centre) <= 7.6

    image = outline(inside, lambda x, y: (255, 246, 200), (20, 40, 110))
    for x, y in [(7, 2), (8, 2), (13, 7), (13, 8), (7, 13), (8, 13), (2, 7), (2, 8)]:
        image[y][x] = (20, 40, 110)  # the 12, 3, 6 and 9 marks
    for y in range(4, 9):
        image[y][7] = (0, 0, 0)  # minute hand up to 12
    for x in range(8, 11):
        image[8][x] = (0, 0, 0)  # hour hand towards 3
    image[8][7] = (200, 0, 0)  # the hub
    return image


def gear():
    centre = 7.5
    teeth = 8
    pitch = 2 * math.pi / teeth
    steel = (50, 52, 60)

    def radius(x, y):
        return math.hypot(x - centre, y - centre)

    def on_tooth(x, y):
        angle = (math.atan2(y - centre, x - centre) + pitch / 4) % pitch
        return angle < pitch / 2 and radius(x, y) <= 7.9

    def inside(x, y):
        return 2.3 <= radius(x, y) <= 6.0 or on_tooth(x, y)

    def shade(x, y):
        if radius(x, y) > 6.0:
            return steel  # the teeth are solid
        return (185, 190, 200) if x + y < 15 else (130, 135, 148)

    return outline(inside, shade, steel, diagonal=False)


def write_bmp(path, image):
    height = len(image)
    width = len(image[0])
    row_size = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(image):  # BMP rows run bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (row_size - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835,
                       0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_png(path, rgba_rows):
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rgba_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height = len(rgba_rows)
    width = len(rgba_rows[0])
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def icon():
    """A crescent shield (the pelta) in bronze, on a transparent background."""
    side = 32
    rows = []
    for y in range(side):
        row = []
        for x in range(side):
            cx, cy = x + 0.5, y + 0.5
            shield = math.hypot(cx - 16, cy - 17) <= 14
            notch = math.hypot(cx - 16, cy - 1) <= 10
            boss = math.hypot(cx - 16, cy - 20) <= 3
            if boss:
                row.append((250, 220, 120, 255))
            elif shield and not notch:
                rim = math.hypot(cx - 16, cy - 17) > 12.5 or math.hypot(cx - 16, cy - 1) < 11.5
                row.append((110, 60, 20, 255) if rim else (190, 120, 50, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def main():
    pictures = {
        "button_ok.bmp": from_grid(TICK, TICK_COLOURS),
        "connect_established.bmp": from_grid(PLUG, PLUG_COLOURS),
        "CLOCK.bmp": clock(),
        "configure.bmp": gear(),
        "kdevelop_down.bmp": from_grid(ARROW, ARROW_COLOURS),
    }
    for name, image in pictures.items():
        write_bmp(os.path.join(HERE, name), image)
    write_png(os.path.join(HERE, "pelta.png"), icon())


if __name__ == "__main__":
    main()
