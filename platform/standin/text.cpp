// The stand-in's text: code page 932 decoding with iconv and TextOutA drawn with Pango and cairo.
#include <iconv.h>
#include <pango/pangocairo.h>

#include <algorithm>
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
// Room left around a text's ink when it is rendered once for keeping: hinting may reach a pixel
// beyond the extents that Pango reports.
constexpr int RENDER_MARGIN = 4;
// Cairo's image surfaces end at 32767 pixels a side; a longer text is drawn directly.
constexpr int MAX_RENDERED_PIXELS = 32767;
// Farther than this from the clip, a text's position is out of Pango's and cairo's reach.
constexpr long long FARTHEST_TEXT_PIXELS = 1 << 21;

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

// The shared layout holding this text. Pango keeps a layout's lines until its text changes, and
// a tick draws the same status text twice in a row (on the window, then in the repaint).
PangoLayout* LayoutOf(const std::string& text) {
    PangoLayout* layout = TextLayout();
    if (text != pango_layout_get_text(layout)) {
        pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    }
    return layout;
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
    PangoLayout* layout = LayoutOf(PrintableText(DecodeCodePage932(bytes)));
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

namespace {

constexpr std::uint32_t WHITE_PIXEL = 0x00FFFFFF;

}  // namespace

std::optional<RenderedText> RenderCodePage932Text(std::string_view bytes) {
    PangoLayout* layout = LayoutOf(PrintableText(DecodeCodePage932(bytes)));
    PangoRectangle ink;
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    // Draw the glyphs with room around their ink, white on black in the client surfaces' own
    // format, which cairo draws glyphs onto fastest.
    const int left = std::min(ink.x, 0) - RENDER_MARGIN;
    const int top = std::min(ink.y, 0) - RENDER_MARGIN;
    const int width = std::max(ink.x + ink.width, logical.width) - left + RENDER_MARGIN;
    const int height = std::max(ink.y + ink.height, logical.height) - top + RENDER_MARGIN;
    if (width > MAX_RENDERED_PIXELS || height > MAX_RENDERED_PIXELS) {
        return std::nullopt;
    }
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cairo = cairo_create(image);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_move_to(cairo, -left, -top);
    pango_cairo_show_layout(cairo, layout);
    cairo_destroy(cairo);
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    // Keep each row's runs of white pixels.
    RenderedText rendered;
    rendered.cellWidth = logical.width;
    rendered.cellHeight = logical.height;
    bool twoLevels = true;
    for (int row = 0; row < height && twoLevels; ++row) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + row * stride);
        for (int column = 0; column < width;) {
            // Most of the picture is black: pass over it four pixels at a time.
            while (column + 4 <= width && (pixels[column] | pixels[column + 1] |
                                           pixels[column + 2] | pixels[column + 3]) == 0) {
                column += 4;
            }
            if (column >= width) {
                break;
            }
            const std::uint32_t value = pixels[column] & WHITE_PIXEL;
            if (value != WHITE_PIXEL) {
                twoLevels = twoLevels && value == 0;
                ++column;
                continue;
            }
            int end = column;
            while (end < width && (pixels[end] & WHITE_PIXEL) == WHITE_PIXEL) {
                ++end;
            }
            rendered.runs.push_back(GlyphRun{left + column, top + row, end - column});
            column = end;
        }
    }
    cairo_surface_destroy(image);
    // Partly covered pixels would need cairo's own blending to come out the same.
    if (!twoLevels) {
        return std::nullopt;
    }
    rendered.runs.shrink_to_fit();
    return rendered;
}

}  // namespace standin

using namespace standin;

namespace {

// The texts drawn most recently, as a real GDI keeps its glyphs: a frame's labels come back with
// the same bytes on every tick. Each entry is found by its bytes and remembers when it was used.
// Rendering a text for keeping costs about three direct drawings, so a text is kept only from
// its third drawing on; one that changes every tick, such as the status text, is drawn directly.
struct CachedText {
    std::string bytes;
    std::uint64_t lastUse = 0;
    int drawings = 0;
    std::optional<RenderedText> rendered;  // from the third drawing on
};
// A frame draws four texts; a few more entries keep the status text's latest values.
constexpr std::size_t TEXT_CACHE_ENTRIES = 8;
constexpr std::size_t CACHED_TEXT_MAX_BYTES = 256;  // longer texts are drawn afresh each time
constexpr int DRAWINGS_BEFORE_KEEPING = 2;

// Written only by FindRenderedText.
std::vector<CachedText> textCache;
std::uint64_t textCacheClock = 0;

// The kept rendering of these bytes; null when the text is to be drawn directly this time.
const RenderedText* FindRenderedText(std::string_view bytes) {
    if (bytes.size() > CACHED_TEXT_MAX_BYTES) {
        return nullptr;
    }
    ++textCacheClock;
    auto found = std::find_if(textCache.begin(), textCache.end(),
                              [bytes](const CachedText& entry) { return entry.bytes == bytes; });
    if (found == textCache.end()) {
        if (textCache.size() < TEXT_CACHE_ENTRIES) {
            found = textCache.emplace(textCache.end());
        } else {
            found = std::min_element(textCache.begin(), textCache.end(),
                                     [](const CachedText& first, const CachedText& second) {
                                         return first.lastUse < second.lastUse;
                                     });
        }
        *found = CachedText{std::string(bytes), 0, 0, std::nullopt};
    }
    found->lastUse = textCacheClock;
    if (!found->rendered && ++found->drawings > DRAWINGS_BEFORE_KEEPING) {
        found->rendered = RenderCodePage932Text(bytes);
    }
    return found->rendered ? &*found->rendered : nullptr;
}

// Fills columns left to right of one surface row with a pixel, within the clip.
void FillRow(Surface& surface, const RECT& clip, long long row, long long left, long long right,
             std::uint32_t pixel) {
    if (row < clip.top || row >= clip.bottom) {
        return;
    }
    left = std::max<long long>(left, clip.left);
    right = std::min<long long>(right, clip.right);
    if (left < right) {
        std::uint32_t* pixels = surface.Row(static_cast<int>(row));
        std::fill(pixels + left, pixels + right, pixel);
    }
}

// Copies a rendered text onto the surface with its top-left corner at (x, y), within the clip:
// the cell in the background colour, then the covered pixels in the text colour.
void PlaceRenderedText(Surface& surface, const RECT& clip, long long x, long long y,
                       const RenderedText& rendered, COLORREF textColour, COLORREF background) {
    const std::uint32_t cell = SurfacePixel(background);
    for (int row = 0; row < rendered.cellHeight; ++row) {
        FillRow(surface, clip, y + row, x, x + rendered.cellWidth, cell);
    }
    const std::uint32_t glyph = SurfacePixel(textColour);
    for (const GlyphRun& run : rendered.runs) {
        FillRow(surface, clip, y + run.top, x + run.left, x + run.left + run.length, glyph);
    }
}

}  // namespace

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
    // Cairo keeps coordinates in 24.8 fixed point, so a text millions of pixels away would wrap
    // around onto the client area. Nothing that far can reach it: Pango lays a line out to at
    // most about two million pixels.
    const long long surfaceX = static_cast<long long>(x) + record->originX;
    const long long surfaceY = static_cast<long long>(y) + record->originY;
    if (surfaceX < clip.left - FARTHEST_TEXT_PIXELS ||
        surfaceX > clip.right + FARTHEST_TEXT_PIXELS ||
        surfaceY < clip.top - FARTHEST_TEXT_PIXELS ||
        surfaceY > clip.bottom + FARTHEST_TEXT_PIXELS) {
        return TRUE;
    }
    const std::string_view bytes(text, static_cast<size_t>(length));
    cairo_surface_t* image = top->surface->Image();
    // The cell is opaque in the background colour: the DC's default mode, which the program keeps.
    if (const RenderedText* rendered = FindRenderedText(bytes)) {
        cairo_surface_flush(image);
        PlaceRenderedText(*top->surface, clip, surfaceX, surfaceY, *rendered, record->textColour,
                          record->backgroundColour);
        cairo_surface_mark_dirty(image);
        record->damaged = true;
        return TRUE;
    }
    cairo_surface_mark_dirty(image);
    cairo_t* cairo = cairo_create(image);
    cairo_rectangle(cairo, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
    cairo_clip(cairo);
    DrawCodePage932Text(cairo, static_cast<double>(surfaceX), static_cast<double>(surfaceY), bytes,
                        record->textColour, record->backgroundColour);
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
