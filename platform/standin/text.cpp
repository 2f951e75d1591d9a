// The stand-in's text: TextOutA placing rendered texts.
#include <algorithm>
#include <cassert>
#include <memory>
#include <optional>
#include <vector>

#include "platform/standin/standin.h"
#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// Farther than this from the clip, no text can reach it: a line is laid out to at most about two
// million pixels, so nothing is rendered for it.
constexpr long long FARTHEST_TEXT_PIXELS = 1 << 21;

}  // namespace

std::string DrawableText(std::string_view codePage932) {
    std::string utf8 = DecodeCodePage932(codePage932);
    const auto control = [](char character) {
        const auto byte = static_cast<unsigned char>(character);
        return byte < 0x20 || byte == 0x7F;
    };
    if (std::none_of(utf8.begin(), utf8.end(), control)) {
        return utf8;  // the usual text, with nothing to replace
    }
    std::string result;
    result.reserve(utf8.size());
    for (char character : utf8) {
        if (control(character)) {
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

// A text's cell in two colours, each row as it ends up on the surface: of a text placed partly
// outside the clip, only the columns within it.
struct ComposedCell {
    std::uint32_t glyph = 0;
    std::uint32_t background = 0;
    int left = 0;  // the columns composed, relative to the cell
    int right = 0;
    bool valid = false;
    std::vector<std::uint32_t> pixels;  // right - left by cellHeight
    std::vector<char> inked;            // per row: whether a glyph covers a pixel of it
};
// Where a text's cell was last written whole: its rows there hold the composed cell for as long
// as nothing else writes them.
struct Placement {
    std::uint64_t surface = 0;  // none
    long long x = 0;
    long long y = 0;
    long long left = 0;  // the part of the cell within the clip, as PlaceRenderedText takes it
    long long right = 0;
    std::uint32_t glyph = 0;
    std::uint32_t background = 0;
    // Each cell row's write count after it was written; NOT_PLACED for a row not written here.
    std::vector<std::uint64_t> rowWrites;
};
constexpr std::uint64_t NOT_PLACED = ~std::uint64_t{0};  // no row's write count
// The texts drawn most recently, as a real GDI keeps its glyphs: a frame's labels come back with
// the same bytes on every tick, and a tick draws the same status text twice (on the window, then
// in the repaint). Each entry is found by its bytes and remembers when it was used.
struct CachedText {
    std::string bytes;
    std::uint64_t lastUse = 0;
    TextPixels rendered;
    ComposedCell cell;  // for the colours and columns it was last drawn in
    std::optional<std::vector<GlyphRun>> overhang;  // the covered pixels outside the cell
    Placement placement;
};
// A frame draws four texts; a few more entries keep the status text's latest values.
constexpr std::size_t TEXT_CACHE_ENTRIES = 8;
constexpr std::size_t CACHED_TEXT_MAX_BYTES = 256;  // longer texts are rendered afresh each time
// A cell up to this wide is composed whole, whatever part of it the clip shows, so that a text
// drawn under different clips (on the window, then in a repaint) is composed once.
constexpr int WHOLE_CELL_MAX_PIXELS = 4096;

// Written only by FindRenderedText.
std::vector<CachedText> textCache;
std::uint64_t textCacheClock = 0;

// The rendering of these bytes, kept when they are short; scratch holds one that is not kept.
CachedText& FindRenderedText(std::string_view bytes, CachedText& scratch) {
    if (bytes.size() > CACHED_TEXT_MAX_BYTES) {
        scratch.rendered = RenderText(bytes);
        return scratch;
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
        // A new text in an entry that may have held another: its buffers are used again.
        found->bytes.assign(bytes);
        found->rendered = RenderText(bytes);
        found->cell.valid = false;
        found->overhang.reset();
        found->placement.surface = 0;
    }
    found->lastUse = textCacheClock;
    return *found;
}

// Columns left to right - 1 of the text's cell in these colours: the background with the covered
// pixels in the glyph colour.
const ComposedCell& ComposeCell(CachedText& text, std::uint32_t glyph, std::uint32_t background,
                                int left, int right) {
    ComposedCell& cell = text.cell;
    if (cell.valid && cell.glyph == glyph && cell.background == background && cell.left == left &&
        cell.right == right) {
        return cell;
    }
    const TextPixels& rendered = text.rendered;
    assert(0 <= left && left < right && right <= rendered.cellWidth);
    const auto width = static_cast<std::size_t>(right - left);
    cell.pixels.assign(width * static_cast<std::size_t>(rendered.cellHeight), background);
    cell.inked.assign(static_cast<std::size_t>(rendered.cellHeight), 0);
    bool overhangs = false;
    for (const GlyphRun& run : rendered.runs) {
        const int end = run.left + run.length;
        const bool inside = run.top >= 0 && run.top < rendered.cellHeight;
        overhangs = overhangs || !inside || run.left < 0 || end > rendered.cellWidth;
        const int from = std::max(run.left, left);
        const int to = std::min(end, right);
        if (inside && from < to) {
            std::uint32_t* pixel =
                cell.pixels.data() + static_cast<std::size_t>(run.top) * width + (from - left);
            // Most runs are a pixel or two long, too short for a fill's wide stores to pay.
            for (int column = from; column < to; ++column) {
                *pixel++ = glyph;
            }
            cell.inked[static_cast<std::size_t>(run.top)] = 1;
        }
    }
    if (!overhangs) {
        text.overhang.emplace();  // nothing lies outside the cell
    }
    cell.glyph = glyph;
    cell.background = background;
    cell.left = left;
    cell.right = right;
    cell.valid = true;
    return cell;
}

// The covered pixels of the text that lie outside its cell, where a glyph overhangs it.
const std::vector<GlyphRun>& Overhang(CachedText& text) {
    if (text.overhang) {
        return *text.overhang;
    }
    const TextPixels& rendered = text.rendered;
    std::vector<GlyphRun>& overhang = text.overhang.emplace();
    for (const GlyphRun& run : rendered.runs) {
        const int end = run.left + run.length;
        if (run.top < 0 || run.top >= rendered.cellHeight) {
            overhang.push_back(run);
            continue;
        }
        if (run.left < 0) {
            overhang.push_back(GlyphRun{run.left, run.top, std::min(end, 0) - run.left});
        }
        if (end > rendered.cellWidth) {
            const int start = std::max(run.left, rendered.cellWidth);
            overhang.push_back(GlyphRun{start, run.top, end - start});
        }
    }
    return overhang;
}

// Fills columns left to right of one surface row with a pixel, within the clip; returns whether
// a pixel changed.
bool FillRow(Surface& surface, const RECT& clip, long long row, long long left, long long right,
             std::uint32_t pixel) {
    if (row < clip.top || row >= clip.bottom) {
        return false;
    }
    left = std::max<long long>(left, clip.left);
    right = std::min<long long>(right, clip.right);
    return left < right && surface.Fill(static_cast<int>(row), static_cast<int>(left),
                                        static_cast<int>(right), pixel);
}

// Places a rendered text on the surface with its top-left corner at (x, y), within the clip: the
// cell in the background colour with the covered pixels in the text colour, then the covered
// pixels that overhang the cell. Each row of the cell is written whole from its composed pixels,
// so that a text drawn again over itself, as every label is in every frame, changes no pixel.
// Returns whether a pixel changed.
bool PlaceRenderedText(Surface& surface, const RECT& clip, long long x, long long y,
                       CachedText& text, COLORREF textColour, COLORREF background) {
    assert(clip.right <= surface.Width() && clip.bottom <= surface.Height());
    const TextPixels& rendered = text.rendered;
    const std::uint32_t glyph = SurfacePixel(textColour);
    // The part of the cell within the clip, relative to the cell.
    const long long left = std::max<long long>(0, clip.left - x);
    const long long right = std::min<long long>(rendered.cellWidth, clip.right - x);
    const long long top = std::max<long long>(0, clip.top - y);
    const long long bottom = std::min<long long>(rendered.cellHeight, clip.bottom - y);
    bool changed = false;
    if (left < right && top < bottom) {
        const bool whole = rendered.cellWidth <= WHOLE_CELL_MAX_PIXELS;
        const ComposedCell& cell =
            ComposeCell(text, glyph, SurfacePixel(background), whole ? 0 : static_cast<int>(left),
                        whole ? rendered.cellWidth : static_cast<int>(right));
        const auto width = static_cast<std::size_t>(cell.right - cell.left);
        // The composed cell in these colours, in the same place: a row that nothing else has
        // written since holds it still. (A label comes back in every frame.)
        Placement& placement = text.placement;
        const bool samePlace = placement.surface == surface.Serial() && placement.x == x &&
                               placement.y == y && placement.left == left &&
                               placement.right == right && placement.glyph == cell.glyph &&
                               placement.background == cell.background;
        if (!samePlace) {
            placement =
                Placement{surface.Serial(), x, y, left, right, cell.glyph, cell.background, {}};
            placement.rowWrites.assign(static_cast<std::size_t>(rendered.cellHeight), NOT_PLACED);
        }
        for (long long row = top; row < bottom; ++row) {
            const auto surfaceRow = static_cast<int>(y + row);
            const auto surfaceLeft = static_cast<int>(x + left);
            const auto index = static_cast<std::size_t>(row);
            if (cell.inked[index] == 0) {
                // A row of background only is cheap to compare, and may not have been written.
                changed = surface.Fill(surfaceRow, surfaceLeft, static_cast<int>(x + right),
                                       cell.background) ||
                          changed;
                continue;
            }
            if (samePlace && placement.rowWrites[index] == surface.RowWrites(surfaceRow)) {
                surface.Keep(surfaceRow, surfaceLeft, static_cast<int>(x + right));
            } else {
                changed = surface.Put(surfaceRow, surfaceLeft,
                                      cell.pixels.data() + index * width + (left - cell.left),
                                      static_cast<int>(right - left)) ||
                          changed;
            }
            placement.rowWrites[index] = surface.RowWrites(surfaceRow);
        }
    }
    for (const GlyphRun& run : Overhang(text)) {
        changed =
            FillRow(surface, clip, y + run.top, x + run.left, x + run.left + run.length, glyph) ||
            changed;
    }
    return changed;
}

}  // namespace

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    DeviceContext* record = FindDeviceContext(dc);
    if (record == nullptr || length < 0 || (text == nullptr && length > 0)) {
        return FALSE;
    }
    if (record->surface == nullptr) {
        return FALSE;
    }
    const RECT& clip = record->clip;
    if (length == 0 || clip.left >= clip.right || clip.top >= clip.bottom) {
        return TRUE;
    }
    const long long surfaceX = static_cast<long long>(x) + record->originX;
    const long long surfaceY = static_cast<long long>(y) + record->originY;
    if (surfaceX < clip.left - FARTHEST_TEXT_PIXELS ||
        surfaceX > clip.right + FARTHEST_TEXT_PIXELS ||
        surfaceY < clip.top - FARTHEST_TEXT_PIXELS ||
        surfaceY > clip.bottom + FARTHEST_TEXT_PIXELS) {
        return TRUE;
    }
    // The cell is opaque in the background colour: the DC's default mode, which the program keeps.
    CachedText scratch;
    CachedText& rendered =
        FindRenderedText(std::string_view(text, static_cast<size_t>(length)), scratch);
    if (PlaceRenderedText(*record->surface, clip, surfaceX, surfaceY, rendered, record->textColour,
                          record->backgroundColour)) {
        record->damaged = true;
    }
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
