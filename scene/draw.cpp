// Scene drawing: texts, legend, the Sun and the planet markers on a device context.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "scene/scene.h"

namespace {

// Text cells share the window's dark grey so that labels sit on the background.
const COLORREF TEXT_BACKGROUND = RGB(64, 64, 64);
const COLORREF TEXT_COLOUR = RGB(255, 255, 255);

// The Sun and its legend entry.
const COLORREF SUN_COLOUR = RGB(255, 0, 0);
const int SUN_LEGEND_X = 15;

// Where the texts stand. The status text and the names label are fixed; the equinox label sits
// near the right edge a little below the Sun's row, and the longitude label near the bottom,
// a little left of the middle, both measured from the client area's far edges.
const int STATUS_TEXT_X = 310;
const int STATUS_TEXT_Y = 10;
const int NAMES_LABEL_X = 20;
const int NAMES_LABEL_Y = 30;
const int EQUINOX_LABEL_FROM_RIGHT = 100;
const int EQUINOX_LABEL_BELOW_MIDDLE = 10;
const int LONGITUDE_LABEL_LEFT_OF_MIDDLE = 10;
const int LONGITUDE_LABEL_FROM_BOTTOM = 40;

// Legend markers sit inside the line of the names label, in the gap before each name.
const int LEGEND_Y = 38;

struct PlanetStyle {
    COLORREF colour;
    int legendX;
};

// Mercury to Saturn, in the order of the snapshot's positions.
const PlanetStyle PLANET_STYLES[PLANET_COUNT] = {
    {RGB(0, 255, 0), 77},      // Mercury, green
    {RGB(255, 255, 0), 139},   // Venus, yellow
    {RGB(0, 255, 255), 202},   // Earth, cyan
    {RGB(255, 128, 0), 268},   // Mars, orange
    {RGB(255, 0, 255), 332},   // Jupiter, magenta
    {RGB(169, 169, 169), 396}  // Saturn, grey
};

// Converts a screen coordinate computed in floating point to a pixel column or
// row, truncating toward zero. A coordinate far outside any window, or not a
// number, has no pixel: the caller skips the marker. The bound leaves room for
// the marker's arms, so no pixel arithmetic can overflow.
const double PIXEL_LIMIT = 1 << 30;

bool ToPixel(double coordinate, int& pixel) {
    if (!(coordinate > -PIXEL_LIMIT && coordinate < PIXEL_LIMIT)) {
        return false;
    }
    pixel = static_cast<int>(coordinate);
    return true;
}

void DrawLabel(HDC dc, int x, int y, const char* text) {
    TextOutA(dc, x, y, text, lstrlenA(text));
}

// The status text stands in a field as wide as its longest form, the text padded with blanks
// on its opaque cell. Its length changes with the interval and the size (16.00 days a tick,
// then 8.00), and in trails mode nothing else erases the window, so a shorter text must cover
// the tail of a longer one itself. The font is fixed-pitch: a blank is as wide as a digit.
// A year of four digits, an interval such as 128.00 and a size of three digits.
const int STATUS_FIELD_BYTES = 55;

void DrawStatusText(HDC dc, const char* text) {
    const int length = lstrlenA(text);
    if (length >= STATUS_FIELD_BYTES) {
        TextOutA(dc, STATUS_TEXT_X, STATUS_TEXT_Y, text, length);
        return;
    }
    char field[STATUS_FIELD_BYTES];
    std::memcpy(field, text, static_cast<std::size_t>(length));
    std::memset(field + length, ' ', static_cast<std::size_t>(STATUS_FIELD_BYTES - length));
    TextOutA(dc, STATUS_TEXT_X, STATUS_TEXT_Y, field, STATUS_FIELD_BYTES);
}

}  // namespace

void DrawMarker(HDC dc, int x, int y, COLORREF colour, MarkerShape small) {
    // The 3 by 3 block.
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            SetPixel(dc, x + i, y + j, colour);
        }
    }
    if (small != FULL_MARKER) {
        return;
    }
    // The four arms that make the full marker a small cross.
    SetPixel(dc, x + 2, y, colour);
    SetPixel(dc, x, y + 2, colour);
    SetPixel(dc, x - 2, y, colour);
    SetPixel(dc, x, y - 2, colour);
}

void DrawScene(HDC dc, SceneSnapshot snapshot, ViewSettings settings, int width, int height) {
    // The Sun's point: integer halves, a little below the middle to clear the text rows.
    const int cx = width / 2;
    const int cy = height / 2 + 20;

    // Texts: white on dark grey cells, in the device context's current font.
    SetBkColor(dc, TEXT_BACKGROUND);
    SetTextColor(dc, TEXT_COLOUR);
    DrawStatusText(dc, snapshot.statusText);
    DrawLabel(dc, NAMES_LABEL_X, NAMES_LABEL_Y, snapshot.namesLabel);
    DrawLabel(dc, width - EQUINOX_LABEL_FROM_RIGHT,
              height - height / 2 + EQUINOX_LABEL_BELOW_MIDDLE, snapshot.equinoxLabel);
    DrawLabel(dc, width - width / 2 - LONGITUDE_LABEL_LEFT_OF_MIDDLE,
              height - LONGITUDE_LABEL_FROM_BOTTOM, snapshot.longitudeLabel);

    // The Sun's legend entry, then the Sun; both always full markers.
    DrawMarker(dc, SUN_LEGEND_X, LEGEND_Y, SUN_COLOUR, FULL_MARKER);
    DrawMarker(dc, cx, cy, SUN_COLOUR, FULL_MARKER);

    // Each planet's legend entry, then the planet, so later planets cover earlier ones.
    const MarkerShape planetShape = settings.mode != 0 ? SMALL_MARKER : FULL_MARKER;
    for (int planet = 0; planet < PLANET_COUNT; ++planet) {
        const PlanetStyle& style = PLANET_STYLES[planet];
        DrawMarker(dc, style.legendX, LEGEND_Y, style.colour, FULL_MARKER);

        // The sum is truncated, not the product: trunc(size * x + cx).
        const PlanetPoint& point = snapshot.positions[planet];
        int px = 0;
        int py = 0;
        if (ToPixel(static_cast<double>(settings.size) * point.x + cx, px) &&
            ToPixel(static_cast<double>(settings.size) * point.y + cy, py)) {
            DrawMarker(dc, px, py, style.colour, planetShape);
        }
    }
}
