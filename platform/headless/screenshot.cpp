// The headless host's screenshot: the client area as a user sees it, with its controls on top.
#include "platform/headless/headless.h"
#include "platform/standin/standin.h"

namespace headless {

namespace {

// Colours of the controls as the classic Windows theme draws them.
constexpr COLORREF FACE_COLOUR = RGB(240, 240, 240);
constexpr COLORREF SHADOW_COLOUR = RGB(160, 160, 160);
constexpr COLORREF CAPTION_COLOUR = RGB(0, 0, 0);
constexpr int CAPTION_HEIGHT = 16;  // the default font's line height
constexpr int STATUS_TEXT_INSET = 4;

void SetColour(cairo_t* cairo, COLORREF colour) {
    cairo_set_source_rgb(cairo, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                         GetBValue(colour) / 255.0);
}

void DrawFace(cairo_t* cairo, const RECT& rect) {
    SetColour(cairo, FACE_COLOUR);
    cairo_rectangle(cairo, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    cairo_fill(cairo);
    SetColour(cairo, SHADOW_COLOUR);
    cairo_set_line_width(cairo, 1.0);
    cairo_rectangle(cairo, rect.left + 0.5, rect.top + 0.5, rect.right - rect.left - 1.0,
                    rect.bottom - rect.top - 1.0);
    cairo_stroke(cairo);
}

void DrawControl(cairo_t* cairo, const standin::WindowDescription& control) {
    const RECT& rect = control.rect;
    const int textTop = rect.top + (rect.bottom - rect.top - CAPTION_HEIGHT) / 2;
    DrawFace(cairo, rect);
    if (control.className == standin::STATUS_BAR_CLASS) {
        standin::DrawCodePage932Text(cairo, rect.left + STATUS_TEXT_INSET, textTop, control.text,
                                     CAPTION_COLOUR, std::nullopt);
        return;
    }
    // Measure first, then centre the caption, as a push button does.
    cairo_save(cairo);
    cairo_rectangle(cairo, 0, 0, 0, 0);
    cairo_clip(cairo);
    const int width =
        standin::DrawCodePage932Text(cairo, 0, 0, control.text, CAPTION_COLOUR, std::nullopt);
    cairo_restore(cairo);
    standin::DrawCodePage932Text(cairo, rect.left + (rect.right - rect.left - width) / 2, textTop,
                                 control.text, CAPTION_COLOUR, std::nullopt);
}

}  // namespace

bool WriteScreenshot(HWND window, const char* path) {
    auto surface = standin::ClientSurface(window);
    if (!surface || surface->width <= 0 || surface->height <= 0) {
        return false;
    }
    cairo_surface_t* client = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(surface->pixels)),
        CAIRO_FORMAT_RGB24, surface->width, surface->height, surface->stride);
    cairo_surface_t* picture =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, surface->width, surface->height);
    cairo_t* cairo = cairo_create(picture);
    cairo_set_source_surface(cairo, client, 0, 0);
    cairo_paint(cairo);
    for (HWND child : standin::ChildWindows(window)) {
        auto control = standin::DescribeWindow(child);
        if (control->visible) {
            DrawControl(cairo, *control);
        }
    }
    cairo_destroy(cairo);
    const bool written = cairo_surface_write_to_png(picture, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(picture);
    cairo_surface_destroy(client);
    return written;
}

}  // namespace headless
