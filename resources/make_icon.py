#!/usr/bin/env python3
"""Draws the program's icon, the Sun with orbit rings and planets, as sorvelin.ico and PNGs.

Run from anywhere with Python 3 and Pillow (Debian's python3-pil): it rewrites
sorvelin.ico (two 32 by 32, 16-colour images) and sorvelin-32/64/128/256.png
beside this script. The outputs are committed so that building needs no Python.
"""

import math
import os
import pathlib
import struct
import sys

from PIL import Image

# The PNG writer that the display tests share.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from display import write_png  # noqa: E402

# The standard 16-colour palette of Windows, in its usual order, as (red, green, blue).
PALETTE = [
    (0, 0, 0),        # 0 black
    (128, 0, 0),      # 1 maroon
    (0, 128, 0),      # 2 green
    (128, 128, 0),    # 3 olive
    (0, 0, 128),      # 4 navy
    (128, 0, 128),    # 5 purple
    (0, 128, 128),    # 6 teal
    (192, 192, 192),  # 7 silver
    (128, 128, 128),  # 8 grey
    (255, 0, 0),      # 9 red
    (0, 255, 0),      # 10 lime
    (255, 255, 0),    # 11 yellow
    (0, 0, 255),      # 12 blue
    (255, 0, 255),    # 13 fuchsia
    (0, 255, 255),    # 14 aqua
    (255, 255, 255),  # 15 white
]
BLACK, NAVY, SILVER, RED, LIME, YELLOW, FUCHSIA, AQUA = 0, 4, 7, 9, 10, 11, 13, 14
TRANSPARENT = None

# The picture is described on a 32-unit square, centre (16, 16), y downward, and
# sampled at each pixel's centre, so every size is drawn afresh rather than scaled.
CENTRE = 16.0
TILT = math.radians(-18.0)  # the orbit rings lean a little, as if seen from above the plane

# Orbit rings: (semi-major axis, semi-minor axis) in units, innermost first.
RINGS = [(7.5, 4.6), (11.0, 6.9), (14.6, 9.2)]
# Planets: (ring index, angle along the ring in degrees, radius in units, palette colour).
PLANETS = [(0, 200.0, 1.4, LIME), (1, 30.0, 1.7, AQUA), (2, 235.0, 2.0, FUCHSIA)]
SUN_RADIUS = 4.6
SUN_CORE_RADIUS = 2.6
BACKGROUND_RADIUS = 15.9


def ring_point(ring, degrees):
    """Returns the point of a ring at an angle, in units."""
    semi_major, semi_minor = RINGS[ring]
    angle = math.radians(degrees)
    u = semi_major * math.cos(angle)
    v = semi_minor * math.sin(angle)
    return (CENTRE + u * math.cos(TILT) - v * math.sin(TILT),
            CENTRE + u * math.sin(TILT) + v * math.cos(TILT))


def distance_to_ring(ring, x, y):
    """Approximates the distance in units from a point to a ring, along the ray from the centre."""
    semi_major, semi_minor = RINGS[ring]
    dx, dy = x - CENTRE, y - CENTRE
    # Rotate the point into the ring's own axes.
    u = dx * math.cos(TILT) + dy * math.sin(TILT)
    v = -dx * math.sin(TILT) + dy * math.cos(TILT)
    scale = math.hypot(u / semi_major, v / semi_minor)
    if scale == 0.0:
        return math.hypot(semi_major, semi_minor)
    return math.hypot(u, v) * abs(1.0 - 1.0 / scale)


def colour_at(x, y, pixel):
    """Returns the palette index at a point in units, or TRANSPARENT; pixel is one pixel in units."""
    for ring, degrees, radius, colour in PLANETS:
        px, py = ring_point(ring, degrees)
        if math.hypot(x - px, y - py) <= radius:
            return colour
    from_centre = math.hypot(x - CENTRE, y - CENTRE)
    if from_centre <= SUN_CORE_RADIUS:
        return YELLOW
    if from_centre <= SUN_RADIUS:
        return RED
    # A ring is one pixel wide at 32 pixels and a little under a unit wide when larger.
    half_width = max(0.5 * pixel, 0.45)
    for ring in range(len(RINGS)):
        if distance_to_ring(ring, x, y) <= half_width:
            return SILVER
    if from_centre <= BACKGROUND_RADIUS:
        return NAVY
    return TRANSPARENT


def render(size, outside):
    """Returns rows of palette indices (or TRANSPARENT), top row first; outside fills the corners."""
    pixel = 32.0 / size
    rows = []
    for row in range(size):
        line = []
        for column in range(size):
            colour = colour_at((column + 0.5) * pixel, (row + 0.5) * pixel, pixel)
            line.append(outside if colour is TRANSPARENT else colour)
        rows.append(line)
    return rows


def icon_image(rows):
    """Encodes 32 by 32 rows as a 4-bit icon image: header, palette, colour bits, then mask."""
    size = len(rows)
    colour_bytes = b""
    mask_bytes = b""
    for line in reversed(rows):  # bitmaps are stored bottom row first
        packed = bytearray()
        for column in range(0, size, 2):
            high = line[column] if line[column] is not TRANSPARENT else 0
            low = line[column + 1] if line[column + 1] is not TRANSPARENT else 0
            packed.append(high << 4 | low)
        colour_bytes += bytes(packed)
        mask = 0
        for column in range(size):
            mask = mask << 1 | (1 if line[column] is TRANSPARENT else 0)
        mask_bytes += mask.to_bytes(size // 8, "big").ljust(4, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colour_bytes) + len(mask_bytes), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + colour_bytes + mask_bytes


def icon_file(images):
    """Joins icon images, all 32 by 32 with 16 colours, into one .ico file."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for image in images:
        entries += struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def png_image(rows):
    """The rows as an RGBA image; transparent pixels get alpha 0."""
    size = len(rows)
    image = Image.new("RGBA", (size, size))
    image.putdata([(0, 0, 0, 0) if colour is TRANSPARENT else PALETTE[colour] + (255,)
                   for line in rows for colour in line])
    return image


def main():
    folder = pathlib.Path(__file__).resolve().parent
    # Image 1 fills the corners with black; image 2 leaves them transparent.
    opaque = icon_image(render(32, BLACK))
    rounded = icon_image(render(32, TRANSPARENT))
    (folder / "sorvelin.ico").write_bytes(icon_file([opaque, rounded]))
    for size in (32, 64, 128, 256):
        write_png(png_image(render(size, TRANSPARENT)), folder / f"sorvelin-{size}.png")


if __name__ == "__main__":
    main()
