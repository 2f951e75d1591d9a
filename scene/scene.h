// One frame of the orrery: composed from the clock and the view, then drawn.
//
// ComposeScene estimates the calendar date for a time, writes the status text
// and the three fixed labels into the scene's program-wide buffers and projects
// the six planets onto the ecliptic plane. DrawScene paints such a snapshot
// onto a device context without erasing anything first.
#pragma once

#include "platform/win32.h"

// The view settings that the shell owns and passes by value.
struct ViewSettings {
    double interval;  // days added to the clock per animation tick, 1/128 to 128
    int size;         // zoom, pixels per astronomical unit, 2 to 748
    int mode;         // 0: erase every tick; 1: leave trails, and draw planets small
};

// A planet's heliocentric ecliptic x and y.
struct PlanetPoint {
    double x;  // AU, toward the vernal equinox
    double y;  // AU, toward ecliptic longitude 90 degrees
};

// Planets in the order of the snapshot and the legend.
enum Planet { MERCURY, VENUS, EARTH, MARS, JUPITER, SATURN, PLANET_COUNT };

// One frame. The texts refer to the scene's buffers, which every composition
// rewrites: an older snapshot shows the latest texts with its own positions.
struct SceneSnapshot {
    const char* statusText;               // code page 932, e.g. the estimated date, interval, size
    const char* namesLabel;               // code page 932, the legend's names
    const char* equinoxLabel;             // code page 932, the arrow toward the vernal equinox
    const char* longitudeLabel;           // code page 932, "90" and the degree sign
    PlanetPoint positions[PLANET_COUNT];  // AU, Mercury to Saturn
};

// Composes the frame for time T (centuries since the start of 1950).
SceneSnapshot ComposeScene(double T, ViewSettings settings);

// Paints the snapshot for a client area of width by height pixels.
void DrawScene(HDC dc, SceneSnapshot snapshot, ViewSettings settings, int width, int height);

// A marker's shape: the full one is a small cross, the small one leaves out its four arms.
enum MarkerShape { FULL_MARKER = 0, SMALL_MARKER = 1 };

// Sets a 3 by 3 block around (x, y), and the four arm pixels unless the shape is small.
void DrawMarker(HDC dc, int x, int y, COLORREF colour, MarkerShape small);
