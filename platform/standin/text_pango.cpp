// The native text backend: the default font's glyphs rendered with Pango on cairo image surfaces.
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
// A pixel at least this bright in green counts as covered by a glyph. Glyphs are drawn without
// antialiasing, so only a font with its own colours could give anything but black and white.
constexpr std::uint32_t COVERED_GREEN = 0x80;

using Layout = owned::GObject<PangoLayout>;

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
    const owned::FontDescription font(pango_font_description_from_string(DEFAULT_FONT_FAMILY));
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
        int start = 0;  // of the covered pixels up to the column
        for (int column = 0; column <= width; ++column) {
            if (column < width && covered(pixels[column])) {
                continue;
            }
            if (column > start) {
                runs.push_back(GlyphRun{offset + start, top + row, column - start});
            }
            start = column + 1;
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
    const owned::FontDescription font(pango_font_describe(run->item->analysis.font));
    const char* family = pango_font_description_get_family(font.get());
    return family != nullptr && std::strcmp(family, DEFAULT_FONT_FAMILY) == 0;
}

}  // namespace

bool GlyphTableBuilder::Add(char32_t codePoint) {
    const auto entry = std::lower_bound(
        entries_.begin(), entries_.end(), codePoint,
        [](const GlyphTableEntry& kept, char32_t wanted) { return kept.codePoint < wanted; });
    if (entry != entries_.end() && entry->codePoint == codePoint) {
        return true;
    }
    if (std::binary_search(lacking_.begin(), lacking_.end(), codePoint)) {
        return false;
    }
    char character[8] = {};
    const bool valid = g_unichar_validate(codePoint);
    const TextPixels glyph = RenderWholeUtf8Text(
        valid ? std::string_view(character, g_unichar_to_utf8(codePoint, character)) : "");
    const auto fits = [](int value) { return value >= INT8_MIN && value <= INT8_MAX; };
    bool fit = valid && OneGlyphOfTheDefaultFont(LayoutOf(character)) &&
               (entries_.empty() || glyph.cellHeight == table_.cellHeight);
    for (const GlyphRun& run : glyph.runs) {
        fit = fit && fits(run.left) && fits(run.top) && fits(run.length);
    }
    if (!fit) {
        lacking_.insert(std::upper_bound(lacking_.begin(), lacking_.end(), codePoint), codePoint);
        return false;
    }
    entries_.insert(entry,
                    GlyphTableEntry{codePoint, glyph.cellWidth, static_cast<int>(runs_.size() / 3),
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

// The characters drawn so far are kept as a real GDI keeps its glyphs. Code page 932 has fewer
// than 8,000 characters, which bounds what the table can grow to. Texts made only of the default
// font's own glyphs are set from it; any other is laid out and drawn whole.
TextPixels RenderUtf8Text(std::string_view utf8) {
    static GlyphTableBuilder kept;
    bool settable = !utf8.empty();
    for (std::size_t index = 0; settable && index < utf8.size();) {
        settable = kept.Add(NextCodePoint(utf8, index));
    }
    return settable ? SetTextFromGlyphs(kept.Table(), utf8) : RenderWholeUtf8Text(utf8);
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

}  // namespace standin
