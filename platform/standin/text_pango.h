// The native text backend's whole-text rendering and direct drawing with Pango and cairo: the
// references that the stand-in's glyphs and kept runs of pixels are checked against.
#pragma once

#include <cairo.h>

#include <optional>
#include <string_view>

#include "platform/standin/text_renderer.h"
#include "platform/win32.h"

namespace standin {

// UTF-8 text as Pango lays it out and draws it whole, in the glyphs of whichever font has them.
// The stand-in's renderer sets texts of the default font's glyphs side by side instead, with the
// same pixels.
TextPixels RenderWholeUtf8Text(std::string_view utf8);

// Whether two renderings have cells of one size and cover the same pixels, however their runs are
// cut: a text set from glyphs has a run per glyph where the whole text has one across glyphs.
bool SamePixels(const TextPixels& first, const TextPixels& second);

// Draws code page 932 text with its top-left corner at (x, y), on a cell of the background colour
// unless background is empty; returns the cell's width.
int DrawCodePage932Text(cairo_t* cairo, double x, double y, std::string_view bytes,
                        COLORREF textColour, std::optional<COLORREF> background);

}  // namespace standin
