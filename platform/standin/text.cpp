// The stand-in's text: TextOutA placing rendered texts.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

#include "platform/standin/standin.h"
#include "platform/standin/text_renderer.h"

namespace standin {

std::string DrawableText(std::string_view codePage932) {
    std::string result;
    for (const char character : DecodeCodePage932(codePage932)) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == 0x7F) {
            result += REPLACEMENT_GLYPH;
        } else {
            result += character;
        }
    }
    return result;
}

TextPixels RenderText(std::string_view bytes) {
    return RenderUtf8Text(DrawableText(bytes));
}

}  // namespace standin

using namespace standin;

namespace {

// A text as TextOutA last drew it: its rendering composed once into its opaque cell in two
// colours, as a real GDI keeps its glyphs. A frame draws its labels again on every tick and the
// status text twice (on the window, then in the repaint), so a few entries serve them all.
struct CachedText {
    // The key. The stand-in has one font, the default one, so a text's bytes and colours say
    // which pixels it has.
    std::string bytes;
    std::uint32_t glyph = 0;
    std::uint32_t background = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    std::vector<std::uint32_t> cell;  // cellWidth by cellHeight, row by row
    std::vector<GlyphRun> overhang;   // the runs that reach outside the cell
};
constexpr std::size_t TEXT_CACHE_ENTRIES = 8;
constexpr std::size_t CACHED_TEXT_MAX_BYTES = 256;  // longer texts are composed afresh each time

// Written only by FindText: the most recently drawn first.
std::vector<CachedText> textCache;

// Composes a text's cell in these colours into an entry, whose buffers it reuses: the background
// with the pixels its glyphs cover in the glyph colour; the runs that reach outside the cell are
// kept apart too.
void Compose(CachedText& text, std::string_view bytes, std::uint32_t glyph,
             std::uint32_t background) {
    text.bytes.assign(bytes);
    text.glyph = glyph;
    text.background = background;
    const TextPixels rendered = RenderText(text.bytes);
    text.cellWidth = rendered.cellWidth;
    text.cellHeight = rendered.cellHeight;
    text.cell.assign(static_cast<std::size_t>(rendered.cellWidth) *
                         static_cast<std::size_t>(rendered.cellHeight),
                     text.background);
    text.overhang.clear();
    for (const GlyphRun& run : rendered.runs) {
        const int end = run.left + run.length;
        const bool inRow = run.top >= 0 && run.top < text.cellHeight;
        // A run that reaches out of the cell is drawn again whole after it, over its own part.
        if (!inRow || run.left < 0 || end > text.cellWidth) {
            text.overhang.push_back(run);
        }
        const int from = std::max(run.left, 0);
        const int to = std::min(end, text.cellWidth);
        if (inRow && from < to) {
            const auto row =
                static_cast<std::size_t>(run.top) * static_cast<std::size_t>(text.cellWidth);
            std::fill(text.cell.begin() + static_cast<std::ptrdiff_t>(row + from),
                      text.cell.begin() + static_cast<std::ptrdiff_t>(row + to), text.glyph);
        }
    }
}

// The text composed in these colours, from the cache when it was drawn lately; scratch holds a
// text too long to keep.
const CachedText& FindText(std::string_view bytes, std::uint32_t glyph, std::uint32_t background,
                           CachedText& scratch) {
    auto found = std::find_if(textCache.begin(), textCache.end(), [&](const CachedText& text) {
        return text.glyph == glyph && text.background == background && text.bytes == bytes;
    });
    if (found == textCache.end()) {
        if (bytes.size() > CACHED_TEXT_MAX_BYTES) {
            Compose(scratch, bytes, glyph, background);
            return scratch;
        }
        // Once the cache is full, the least recently drawn text makes way.
        found = textCache.size() < TEXT_CACHE_ENTRIES ? textCache.emplace(textCache.end())
                                                      : std::prev(textCache.end());
        Compose(*found, bytes, glyph, background);
    }
    std::rotate(textCache.begin(), found, std::next(found));
    return textCache.front();
}

// Places a composed text on the surface with its top-left corner at (x, y), within the clip:
// each row of its cell, then the runs that overhang the cell. The surface writes only
// what differs, so a label drawn again over itself changes no pixel. Returns whether a pixel
// changed.
bool PlaceText(Surface& surface, const RECT& clip, long long x, long long y,
               const CachedText& text) {
    assert(clip.right <= surface.Width() && clip.bottom <= surface.Height());
    // The part of the cell within the clip, relative to the cell.
    const long long left = std::max<long long>(0, clip.left - x);
    const long long right = std::min<long long>(text.cellWidth, clip.right - x);
    const long long top = std::max<long long>(0, clip.top - y);
    const long long bottom = std::min<long long>(text.cellHeight, clip.bottom - y);
    bool changed = false;
    for (long long row = top; left < right && row < bottom; ++row) {
        const std::uint32_t* pixels =
            text.cell.data() + static_cast<std::size_t>(row * text.cellWidth + left);
        changed = surface.Put(static_cast<int>(y + row), static_cast<int>(x + left), pixels,
                              static_cast<int>(right - left)) ||
                  changed;
    }
    for (const GlyphRun& run : text.overhang) {
        const long long row = y + run.top;
        const long long from = std::max<long long>(x + run.left, clip.left);
        const long long to = std::min<long long>(x + run.left + run.length, clip.right);
        if (row >= clip.top && row < clip.bottom && from < to) {
            changed = surface.Fill(static_cast<int>(row), static_cast<int>(from),
                                   static_cast<int>(to), text.glyph) ||
                      changed;
        }
    }
    return changed;
}

}  // namespace

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    DeviceContext* record = FindDeviceContext(dc);
    if (record == nullptr || record->surface == nullptr || length < 0 ||
        (text == nullptr && length > 0)) {
        return FALSE;
    }
    const RECT& clip = record->clip;
    if (length == 0 || clip.left >= clip.right || clip.top >= clip.bottom) {
        return TRUE;
    }
    const long long surfaceX = static_cast<long long>(x) + record->originX;
    const long long surfaceY = static_cast<long long>(y) + record->originY;
    // The cell is opaque in the background colour: the DC's default mode, which the program keeps.
    CachedText scratch;
    const CachedText& composed =
        FindText(std::string_view(text, static_cast<size_t>(length)),
                 SurfacePixel(record->textColour), SurfacePixel(record->backgroundColour), scratch);
    if (PlaceText(*record->surface, clip, surfaceX, surfaceY, composed)) {
        record->damaged = true;
    }
    return TRUE;
}

int WINAPI lstrlenA(LPCSTR text) {
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}
