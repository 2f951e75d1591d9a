// The native text backend: the default font's glyphs rendered with Pango on cairo image surfaces.
#include "platform/standin/text_pango.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/owned_handles.h"
#include "platform/standin/glyph_table.h"
#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// What Windows' default font gives: a monospaced Japanese Gothic, 16 pixels.
constexpr char DEFAULT_FONT_FAMILY[] = "IPAGothic";
constexpr int DEFAULT_FONT_PIXELS = 16;
// Room left around a text's ink when it is rendered: hinting may reach a pixel beyond the extents
// that Pango reports.
constexpr int RENDER_MARGIN = 4;
// Cairo's image surfaces end at 32767 pixels a side; a longer text is rendered in tiles this wide.
constexpr int TILE_PIXELS = 8192;
constexpr std::uint32_t WHITE_PIXEL = 0x00FFFFFF;
// A pixel at least this bright in green counts as covered by a glyph. Glyphs are drawn without
// antialiasing, so only a font with its own colours could give anything but black and white.
constexpr std::uint32_t COVERED_GREEN = 0x80;
// Characters whose glyphs are kept: far more than the program's texts use, and a bound on what a
// stream of ever new characters can take.
constexpr std::size_t KEPT_GLYPHS = 1024;

using Layout = owned::GObject<PangoLayout>;
using FontDescription =
    std::unique_ptr<PangoFontDescription, owned::Deleter<pango_font_description_free>>;

Layout MakeLayout() {
    // The process's shared font map: a toolkit in the same process has the same fonts open.
    const owned::GObject<PangoContext> context(
        pango_font_map_create_context(pango_cairo_font_map_get_default()));
    // Two-colour glyphs on whole pixels, so every run draws the same pixels.
    const owned::CairoFontOptions options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context.get(), options.get());
    const FontDescription font(pango_font_description_from_string(DEFAULT_FONT_FAMILY));
    pango_font_description_set_absolute_size(font.get(), DEFAULT_FONT_PIXELS * PANGO_SCALE);
    pango_context_set_font_description(context.get(), font.get());
    return Layout(pango_layout_new(context.get()));
}

// The layout holding this text, made on first use and kept for the process. Pango keeps a
// layout's lines until its text changes.
PangoLayout* LayoutOf(std::string_view text) {
    static const Layout layout = MakeLayout();
    if (text != pango_layout_get_text(layout.get())) {
        pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    }
    return layout.get();
}

void SetColour(cairo_t* cairo, COLORREF colour) {
    cairo_set_source_rgb(cairo, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                         GetBValue(colour) / 255.0);
}

// Appends the runs of covered pixels of one rendered tile, whose left edge is at column offset of
// the text's own coordinates and whose top is at row top.
void CollectRuns(cairo_surface_t* image, int offset, int top, std::vector<GlyphRun>& runs) {
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const auto covered = [](std::uint32_t pixel) { return ((pixel >> 8) & 0xFF) >= COVERED_GREEN; };
    for (int row = 0; row < height; ++row) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + row * stride);
        for (int column = 0; column < width;) {
            // Most of the picture is black: pass over it four pixels at a time.
            while (column + 4 <= width && ((pixels[column] | pixels[column + 1] |
                                            pixels[column + 2] | pixels[column + 3]) &
                                           WHITE_PIXEL) == 0) {
                column += 4;
            }
            if (column >= width) {
                break;
            }
            if (!covered(pixels[column])) {
                ++column;
                continue;
            }
            int end = column;
            while (end < width && covered(pixels[end])) {
                ++end;
            }
            runs.push_back(GlyphRun{offset + column, top + row, end - column});
            column = end;
        }
    }
}

// Whether the layout holds one glyph of the default font itself, not of a fallback font: then its
// drawing alone is its drawing in any text of such glyphs. The default font is monospaced and has
// no kerning, and its glyphs are placed on whole pixels, so Pango sets a line of them side by
// side, each one cell on from the last.
bool OneGlyphOfTheDefaultFont(PangoLayout* layout) {
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
    if (pango_layout_get_line_count(layout) != 1 || line->runs == nullptr ||
        line->runs->next != nullptr) {
        return false;
    }
    const auto* run = static_cast<const PangoGlyphItem*>(line->runs->data);
    if (run->glyphs->num_glyphs != 1 ||
        (run->glyphs->glyphs[0].glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) {
        return false;
    }
    const FontDescription font(pango_font_describe(run->item->analysis.font));
    const char* family = pango_font_description_get_family(font.get());
    return family != nullptr && std::strcmp(family, DEFAULT_FONT_FAMILY) == 0;
}

// The characters drawn so far, each as Pango draws it alone, kept as a real GDI keeps its glyphs:
// the default font's in a glyph table that grows, the others only as known to be of another font.
class KeptGlyphs {
  public:
    // Whether every character of the text has a glyph of the default font in the table, drawing
    // those that are new; false for invalid UTF-8, and once the store is full.
    bool Keep(std::string_view utf8) {
        for (std::size_t index = 0; index < utf8.size();) {
            const std::size_t start = index;
            const std::optional<char32_t> codePoint = NextCodePoint(utf8, index);
            if (!codePoint || !Keep(*codePoint, utf8.substr(start, index - start))) {
                return false;
            }
        }
        return true;
    }
    const GlyphTable& Table() const { return table_; }

  private:
    bool Keep(char32_t codePoint, std::string_view character) {
        const auto entry = std::lower_bound(
            entries_.begin(), entries_.end(), codePoint,
            [](const GlyphTableEntry& kept, char32_t wanted) { return kept.codePoint < wanted; });
        if (entry != entries_.end() && entry->codePoint == codePoint) {
            return true;
        }
        if (std::binary_search(otherFonts_.begin(), otherFonts_.end(), codePoint)) {
            return false;
        }
        if (entries_.size() + otherFonts_.size() >= KEPT_GLYPHS) {
            return false;
        }
        const TextPixels glyph = RenderWholeUtf8Text(character);
        const auto fitsTable = [](const GlyphRun& run) {
            const auto fits = [](int value) { return value >= INT8_MIN && value <= INT8_MAX; };
            return fits(run.left) && fits(run.top) && fits(run.length);
        };
        if (!OneGlyphOfTheDefaultFont(LayoutOf(character)) ||
            (!entries_.empty() && glyph.cellHeight != table_.cellHeight) ||
            !std::all_of(glyph.runs.begin(), glyph.runs.end(), fitsTable)) {
            otherFonts_.insert(std::upper_bound(otherFonts_.begin(), otherFonts_.end(), codePoint),
                               codePoint);
            return false;
        }
        entries_.insert(
            entry, GlyphTableEntry{codePoint, glyph.cellWidth, static_cast<int>(runs_.size() / 3),
                                   static_cast<int>(glyph.runs.size())});
        for (const GlyphRun& run : glyph.runs) {
            runs_.insert(runs_.end(),
                         {static_cast<std::int8_t>(run.left), static_cast<std::int8_t>(run.top),
                          static_cast<std::int8_t>(run.length)});
        }
        table_ = GlyphTable{glyph.cellHeight, entries_.data(), static_cast<int>(entries_.size()),
                            runs_.data(), REPLACEMENT_CODE_POINT};
        return true;
    }

    std::vector<GlyphTableEntry> entries_;  // sorted by code point
    std::vector<std::int8_t> runs_;
    std::vector<char32_t> otherFonts_;  // sorted
    GlyphTable table_{};
};

}  // namespace

// Texts made only of the default font's own glyphs are set from the kept glyphs; any other is laid
// out and drawn whole.
const GlyphTable* GlyphTableFor(std::string_view utf8) {
    static KeptGlyphs kept;
    return !utf8.empty() && kept.Keep(utf8) ? &kept.Table() : nullptr;
}

TextPixels RenderUtf8Text(std::string_view utf8) {
    const GlyphTable* table = GlyphTableFor(utf8);
    return table != nullptr ? SetTextFromGlyphs(*table, utf8) : RenderWholeUtf8Text(utf8);
}

TextPixels RenderWholeUtf8Text(std::string_view utf8) {
    PangoLayout* layout = LayoutOf(utf8);
    PangoRectangle ink;
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    // Draw the glyphs white on black with room around their ink, in tiles that cairo can hold.
    const int left = std::min(ink.x, 0) - RENDER_MARGIN;
    const int top = std::min(ink.y, 0) - RENDER_MARGIN;
    const int width = std::max(ink.x + ink.width, logical.width) - left + RENDER_MARGIN;
    const int height = std::max(ink.y + ink.height, logical.height) - top + RENDER_MARGIN;
    TextPixels rendered;
    rendered.cellWidth = logical.width;
    rendered.cellHeight = logical.height;
    for (int tile = 0; tile < width; tile += TILE_PIXELS) {
        const owned::CairoSurface image(cairo_image_surface_create(
            CAIRO_FORMAT_RGB24, std::min(TILE_PIXELS, width - tile), height));
        assert(cairo_surface_status(image.get()) == CAIRO_STATUS_SUCCESS);
        {
            const owned::Cairo cairo(cairo_create(image.get()));
            cairo_set_source_rgb(cairo.get(), 1, 1, 1);
            cairo_move_to(cairo.get(), -left - tile, -top);
            pango_cairo_show_layout(cairo.get(), layout);
        }
        CollectRuns(image.get(), left + tile, top, rendered.runs);
    }
    rendered.runs.shrink_to_fit();
    return rendered;
}

bool SamePixels(const TextPixels& first, const TextPixels& second) {
    const auto covered = [](const TextPixels& text) {
        std::set<std::pair<int, int>> pixels;
        for (const GlyphRun& run : text.runs) {
            for (int column = run.left; column < run.left + run.length; ++column) {
                pixels.emplace(column, run.top);
            }
        }
        return pixels;
    };
    return first.cellWidth == second.cellWidth && first.cellHeight == second.cellHeight &&
           covered(first) == covered(second);
}

int DrawCodePage932Text(cairo_t* cairo, double x, double y, std::string_view bytes,
                        COLORREF textColour, std::optional<COLORREF> background) {
    PangoLayout* layout = LayoutOf(DrawableText(bytes));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    if (background) {
        SetColour(cairo, *background);
        cairo_rectangle(cairo, x, y, logical.width, logical.height);
        cairo_fill(cairo);
    }
    SetColour(cairo, textColour);
    cairo_move_to(cairo, x, y);
    pango_cairo_show_layout(cairo, layout);
    return logical.width;
}

}  // namespace standin
