"""Finds the program's client area in a picture of a whole screen and checks what it shows.

The packaged program is checked as a user sees it, wherever it runs: the client area is the one
large dark grey region of the screen, and its first frames hold the red Sun, the legend and the
Earth about 250 pixels from the Sun.
"""

import math

GREY = (64, 64, 64)
RED = (255, 0, 0)
CYAN = (0, 255, 255)
LEGEND_Y = 38
LEGEND = [(15, RED, "Sun"), (77, (0, 255, 0), "Mercury"), (139, (255, 255, 0), "Venus"),
          (202, CYAN, "Earth"), (268, (255, 128, 0), "Mars"), (332, (255, 0, 255), "Jupiter"),
          (396, (169, 169, 169), "Saturn")]
LEGEND_BOTTOM = 45  # rows above this hold texts and the legend, not planets
ZOOM_OUT_BUTTON = (26, 13)  # client coordinates of the first button's centre
MODE_BUTTON = (126, 13)
# Rows with more dark grey pixels than this, of every fourth, belong to the client area.
GREY_ROW_SAMPLES = 60


class Client:
    """The client area's pixels and its place on the screen."""

    def __init__(self, image, left, top):
        self.left, self.top = left, top
        self.width, self.height = image.size
        self.pixels = image.load()

    def at(self, x, y):
        return self.pixels[x, y]

    def screen_point(self, point):
        return self.left + point[0], self.top + point[1]

    def coloured(self, colour):
        return [(x, y) for y in range(LEGEND_BOTTOM, self.height) for x in range(self.width)
                if self.pixels[x, y] == colour]

    def sun(self):
        return self.width // 2, self.height // 2 + 20

    def earth_distance(self):
        points = self.coloured(CYAN)
        if not points:
            return None
        sun_x, sun_y = self.sun()
        x = sum(p[0] for p in points) / len(points)
        y = sum(p[1] for p in points) / len(points)
        return math.hypot(x - sun_x, y - sun_y)


def find_client(screen):
    """The client area in an RGB picture of the screen, or None where it shows none."""
    width, height = screen.size
    pixels = screen.load()
    rows = [y for y in range(height)
            if sum(1 for x in range(0, width, 4) if pixels[x, y] == GREY) > GREY_ROW_SAMPLES]
    if not rows:
        return None
    top, bottom = rows[0], rows[-1]
    # The bottom rows hold nothing but the background from edge to edge.
    row = [x for x in range(width) if pixels[x, bottom - 2] == GREY]
    left, right = row[0], row[-1]
    return Client(screen.crop((left, top, right + 1, bottom + 1)), left, top)


def frame_faults(client):
    """What the client area shows wrongly for a first frame at the starting zoom; empty if none."""
    if client is None:
        return ["no dark grey client area on the screen"]
    faults = []
    if client.width < 500 or client.height < 400:
        faults.append("the client area is only %d by %d" % (client.width, client.height))
        return faults
    sun_x, sun_y = client.sun()
    if not all(client.at(sun_x + i, sun_y + j) == RED for i in (-1, 0, 1) for j in (-1, 0, 1)):
        faults.append("no red Sun at (%d, %d) of the client area" % (sun_x, sun_y))
    for x, colour, name in LEGEND:
        if not any(client.at(x + i, LEGEND_Y + j) == colour for i in (-1, 0, 1)
                   for j in (-1, 0, 1)):
            faults.append("no %s legend marker at (%d, %d)" % (name, x, LEGEND_Y))
    distance = client.earth_distance()
    if distance is None or not 235 < distance < 265:
        faults.append("the Earth is not about 250 px from the Sun (%s)" % distance)
    return faults


def first_frame(screen):
    """The client area when the screen shows a first frame, else None."""
    client = find_client(screen)
    return client if not frame_faults(client) else None
