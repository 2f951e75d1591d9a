// The native text backend's direct drawing with Pango and cairo: the reference that the stand-in's
// kept runs of pixels are checked against.
#pragma once

#include <cairo.h>

#include <optional>
#include <string_view>

#include "platform/win32.h"

namespace standin {

// Draws code page 932 text with its top-left corner at (x, y), on a cell of the background colour
// unless background is empty; returns the cell's width.
int DrawCodePage932Text(cairo_t* cairo, double x, double y, std::string_view bytes,
                        COLORREF textColour, std::optional<COLORREF> background);

}  // namespace standin
