// The stand-in's text: code page 932 decoding with iconv and TextOutA drawn with Pango and cairo.
#include <iconv.h>
#include <pango/pangocairo.h>

#include <cerrno>

#include "platform/standin/standin.h"

namespace standin {

namespace {

// What Windows' default font gives: a monospaced Japanese Gothic, 16 pixels, so half-width
// glyphs are 8 pixels wide and full-width ones 16.
constexpr char DEFAULT_FONT_FAMILY[] = "IPAGothic";
constexpr int DEFAULT_FONT_PIXELS = 16;
// Shown for a byte that is not code page 932: the half-width katakana middle dot, one cell wide.
constexpr char REPLACEMENT_GLYPH[] = "\xEF\xBD\xA5";

// Pango's state for the default font, made on first use and kept for the process. Written only
// by TextLayout.
PangoLayout* sharedLayout = nullptr;

PangoLayout* TextLayout() {
    if (sharedLayout != nullptr) {
        return sharedLayout;
    }
    PangoFontMap* fontMap = pango_cairo_font_map_new();
    PangoContext* context = pango_font_map_create_context(fontMap);
    // Two-colour glyphs on whole pixels, so every run draws the same pixels.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    PangoFontDescription* font = pango_font_description_from_string(DEFAULT_FONT_FAMILY);
    pango_font_description_set_absolute_size(font, DEFAULT_FONT_PIXELS * PANGO_SCALE);
    pango_context_set_font_description(context, font);
    pango_font_description_free(font);
    sharedLayout = pango_layout_new(context);
    g_object_unref(context);
    g_object_unref(fontMap);
    return sharedLayout;
}

// TextOutA writes no line breaks or other controls: each shows as one replacement cell.
std::string PrintableText(std::string_view utf8) {
    std::string result;
    result.reserve(utf8.size());
    for (char character : utf8) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == 0x7F) {
            result += REPLACEMENT_GLYPH;
        } else {
            result += character;
        }
    }
    return result;
}

}  // namespace

std::string DecodeCodePage932(std::string_view bytes) {
    // The converter is made once; glibc's CP932 table is the Windows one.
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    std::string result;
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return result;
    }
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(buffer, static_cast<size_t>(out - buffer));
        if (converted != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // An invalid byte, or a double-byte character cut off by the length: one replacement
        // each, and never a read past the given length.
        result += REPLACEMENT_GLYPH;
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

int DrawCodePage932Text(cairo_t* cairo, double x, double y, std::string_view bytes,
                        COLORREF textColour, std::optional<COLORREF> background) {
    PangoLayout* layout = TextLayout();
    const std::string text = PrintableText(DecodeCodePage932(bytes));
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    if (background) {
        cairo_set_source_rgb(cairo, GetRValue(*background) / 255.0, GetGValue(*background) / 255.0,
                             GetBValue(*background) / 255.0);
        cairo_rectangle(cairo, x, y, logical.width, logical.height);
        cairo_fill(cairo);
    }
    cairo_set_source_rgb(cairo, GetRValue(textColour) / 255.0, GetGValue(textColour) / 255.0,
                         GetBValue(textColour) / 255.0);
    cairo_move_to(cairo, x, y);
    pango_cairo_show_layout(cairo, layout);
    return logical.width;
}

}  // namespace standin

using namespace standin;

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    DeviceContext* record = FindDeviceContext(dc);
    if (record == nullptr || length < 0 || (text == nullptr && length > 0)) {
        return FALSE;
    }
    Window* top = FindWindowRecord(record->topLevel);
    if (top == nullptr) {
        return FALSE;
    }
    const RECT& clip = record->clip;
    if (length == 0 || clip.left >= clip.right || clip.top >= clip.bottom) {
        return TRUE;
    }
    cairo_surface_t* image = top->surface->Image();
    cairo_surface_mark_dirty(image);
    cairo_t* cairo = cairo_create(image);
    cairo_rectangle(cairo, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
    cairo_clip(cairo);
    // The cell is opaque in the background colour: the DC's default mode, which the program keeps.
    DrawCodePage932Text(cairo, static_cast<double>(x) + record->originX,
                        static_cast<double>(y) + record->originY,
                        std::string_view(text, static_cast<size_t>(length)), record->textColour,
                        record->backgroundColour);
    cairo_destroy(cairo);
    cairo_surface_flush(image);
    record->damaged = true;
    return TRUE;
}

int WINAPI lstrlenA(LPCSTR text) {
    if (text == nullptr) {
        return 0;
    }
    int length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}
