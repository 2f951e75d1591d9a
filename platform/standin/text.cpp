// The stand-in's text: TextOutA placing rendered texts.
#include <algorithm>
#include <array>
#include <cassert>
#include <memory>
#include <optional>
#include <vector>

#include "platform/standin/glyph_table.h"
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

// A glyph of the default font's table as a text set from the table places it. A text whose
// glyphs all stay within their cells is their cells side by side, so, as a real GDI draws from
// its glyph cache, its cell is copied together from theirs, composed once in its colours; and a
// new text placed over an older one (the status text of every tick) writes only the glyphs that
// differ from those below it.
struct GlyphCell {
    int width = 0;
    bool fits = true;           // covers no pixel outside its cell
    std::vector<char> covered;  // width by the table's cell height, row by row
    std::vector<char> inked;    // per row: whether the glyph covers a pixel of it
    bool composed = false;
    std::uint32_t glyph = 0;  // the colours the pixels are composed in
    std::uint32_t background = 0;
    std::vector<std::uint32_t> pixels;  // as covered
};
constexpr std::uint32_t NO_CELL = ~std::uint32_t{0};
// The cells of the glyphs used so far, of the one table that the renderer sets texts from, in
// plain arrays. As a real GDI finds its cached glyphs by character code, the code page 932
// characters seen so far lead to their cells too, so that a text of known characters (the status
// text of every tick) is set without decoding it and looking its characters up in the table.
struct GlyphCells {
    const GlyphTable* table = nullptr;
    std::vector<GlyphCell> cells;                           // in the order first used
    std::vector<std::pair<char32_t, std::uint32_t>> index;  // by code point: its cell
    std::array<std::uint32_t, 256> singleBytes = [] {       // by byte: its cell, or NO_CELL
        std::array<std::uint32_t, 256> none;
        none.fill(NO_CELL);
        return none;
    }();
    std::vector<std::pair<std::uint16_t, std::uint32_t>> doubleBytes;  // by both bytes: its cell
};
// A bound on the cells kept, far above what the program's texts use.
constexpr std::size_t GLYPH_CELLS_KEPT = 2048;
// A glyph of a text set from glyph cells: its cell, and where that lies in the text's cell.
struct GlyphAt {
    std::uint32_t cell;  // the same for the same character
    int left;
    int width;
};

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
    std::uint64_t erasures = 0;  // the surface's count after the text was last drawn here

    bool SamePlaceAs(const Placement& other) const {
        return surface == other.surface && x == other.x && y == other.y && left == other.left &&
               right == other.right && glyph == other.glyph && background == other.background;
    }
};
constexpr std::uint64_t NOT_PLACED = ~std::uint64_t{0};  // no row's write count
// The texts drawn most recently, as a real GDI keeps its glyphs: a frame's labels come back with
// the same bytes on every tick, and a tick draws the same status text twice (on the window, then
// in the repaint). Each entry is found by its bytes and remembers when it was used.
struct CachedText {
    std::string bytes;
    std::uint64_t lastUse = 0;
    TextPixels rendered;  // without runs when set from glyph cells
    // The table whose glyph cells set the text, and its glyphs; null when it is set from its runs.
    const GlyphTable* table = nullptr;
    std::vector<GlyphAt> glyphs;
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
// Written only by FindRenderedText, RenderInto, CellOf, ComposedGlyph and LearnCharacters.
GlyphCells glyphCells;

// Where a key stands, or would stand, among cells kept by key.
template <typename Key>
auto PlaceOf(std::vector<std::pair<Key, std::uint32_t>>& cells, Key key) {
    return std::lower_bound(
        cells.begin(), cells.end(), key,
        [](const std::pair<Key, std::uint32_t>& kept, Key wanted) { return kept.first < wanted; });
}

// The cell of a glyph of the table, made on first use.
std::uint32_t CellOf(const GlyphTable& table, const GlyphTableEntry& entry) {
    assert(glyphCells.table == &table);
    auto& index = glyphCells.index;
    const auto found = PlaceOf(index, entry.codePoint);
    if (found != index.end() && found->first == entry.codePoint) {
        return found->second;
    }
    const auto number = static_cast<std::uint32_t>(glyphCells.cells.size());
    index.insert(found, {entry.codePoint, number});
    GlyphCell& cell = glyphCells.cells.emplace_back();
    const auto height = static_cast<std::size_t>(table.cellHeight);
    cell.width = entry.cellWidth;
    cell.covered.assign(static_cast<std::size_t>(cell.width) * height, 0);
    cell.inked.assign(height, 0);
    const std::int8_t* values = table.runs + static_cast<std::ptrdiff_t>(entry.firstRun) * 3;
    for (int run = 0; run < entry.runCount; ++run, values += 3) {
        const int left = values[0];
        const int top = values[1];
        const int end = left + values[2];
        if (left < 0 || end > cell.width || top < 0 || top >= table.cellHeight) {
            cell.fits = false;
            continue;
        }
        const auto start =
            cell.covered.begin() + static_cast<std::ptrdiff_t>(top) * cell.width + left;
        std::fill(start, start + (end - left), 1);
        cell.inked[static_cast<std::size_t>(top)] |= end > left ? 1 : 0;
    }
    return number;
}

// A glyph's cell composed in these colours.
const GlyphCell& ComposedGlyph(std::uint32_t number, std::uint32_t glyph,
                               std::uint32_t background) {
    GlyphCell& cell = glyphCells.cells[number];
    if (!cell.composed || cell.glyph != glyph || cell.background != background) {
        cell.pixels.resize(cell.covered.size());
        std::transform(cell.covered.begin(), cell.covered.end(), cell.pixels.begin(),
                       [&](char covered) { return covered != 0 ? glyph : background; });
        cell.composed = true;
        cell.glyph = glyph;
        cell.background = background;
    }
    return cell;
}

// The bytes of the code page 932 character that starts at index: two after a lead byte, if there
// are two. (A lead byte without a valid second byte is a replacement glyph of its own, and
// decoding goes on with the next byte: such a pair is never known.)
std::string_view CharacterAt(std::string_view bytes, std::size_t index) {
    const auto lead = static_cast<unsigned char>(bytes[index]);
    const bool leadByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return bytes.substr(index, leadByte && index + 1 < bytes.size() ? 2 : 1);
}

std::uint16_t DoubleByteCode(std::string_view character) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(character[0]) << 8 |
                                      static_cast<unsigned char>(character[1]));
}

// The cell of a character seen before; NO_CELL for one that is not known.
std::uint32_t KnownCell(std::string_view character) {
    if (character.size() == 1) {
        return glyphCells.singleBytes[static_cast<unsigned char>(character[0])];
    }
    const std::uint16_t code = DoubleByteCode(character);
    auto& known = glyphCells.doubleBytes;
    const auto found = PlaceOf(known, code);
    return found != known.end() && found->first == code ? found->second : NO_CELL;
}

// Notes the cell of each character of a text that is one glyph, within its cell, on its own.
void LearnCharacters(std::string_view bytes) {
    for (std::size_t index = 0; index < bytes.size();) {
        const std::string_view character = CharacterAt(bytes, index);
        index += character.size();
        if (KnownCell(character) != NO_CELL) {
            continue;
        }
        const std::string utf8 = DrawableText(character);
        const GlyphTable* table = GlyphTableFor(utf8);
        if (table == nullptr || table != glyphCells.table) {
            continue;
        }
        const std::vector<const GlyphTableEntry*> glyphs = GlyphsOf(*table, utf8);
        if (glyphs.size() != 1) {
            continue;
        }
        const std::uint32_t cell = CellOf(*table, *glyphs.front());
        if (!glyphCells.cells[cell].fits) {
            continue;
        }
        if (character.size() == 1) {
            glyphCells.singleBytes[static_cast<unsigned char>(character[0])] = cell;
        } else {
            auto& known = glyphCells.doubleBytes;
            const std::uint16_t code = DoubleByteCode(character);
            known.insert(PlaceOf(known, code), {code, cell});
        }
    }
}

// Sets a text from the cells of its characters when they are all known; false when one is not.
bool SetFromKnownCharacters(CachedText& text, std::string_view bytes) {
    if (glyphCells.table == nullptr || bytes.empty()) {
        return false;
    }
    int width = 0;
    for (std::size_t index = 0; index < bytes.size();) {
        const std::string_view character = CharacterAt(bytes, index);
        index += character.size();
        const std::uint32_t cell = KnownCell(character);
        if (cell == NO_CELL) {
            text.glyphs.clear();
            return false;
        }
        const int cellWidth = glyphCells.cells[cell].width;
        text.glyphs.push_back(GlyphAt{cell, width, cellWidth});
        width += cellWidth;
    }
    text.table = glyphCells.table;
    text.rendered = TextPixels{width, text.table->cellHeight, {}};
    text.overhang.emplace();  // every pixel lies within the cell
    return true;
}

// Renders a text into a cache entry: from glyph cells when its glyphs all stay within them, else
// as runs.
void RenderInto(CachedText& text, std::string_view bytes) {
    text.glyphs.clear();
    if (SetFromKnownCharacters(text, bytes)) {
        return;
    }
    const std::string utf8 = DrawableText(bytes);
    text.table = GlyphTableFor(utf8);
    if (text.table != nullptr) {
        assert((glyphCells.table == nullptr || glyphCells.table == text.table) &&
               "one renderer sets texts from one table");
        glyphCells.table = text.table;
        int width = 0;
        bool fits = true;
        for (const GlyphTableEntry* entry : GlyphsOf(*text.table, utf8)) {
            const std::uint32_t cell = CellOf(*text.table, *entry);
            fits = fits && glyphCells.cells[cell].fits;
            text.glyphs.push_back(GlyphAt{cell, width, entry->cellWidth});
            width += entry->cellWidth;
        }
        if (fits) {
            text.rendered = TextPixels{width, text.table->cellHeight, {}};
            text.overhang.emplace();  // every pixel lies within the cell
            LearnCharacters(bytes);
            return;
        }
        // A glyph reaches out of its cell: the runs of the same glyphs, which show that.
        text.rendered = SetTextFromGlyphs(*text.table, utf8);
        text.glyphs.clear();
        text.table = nullptr;
        return;
    }
    text.rendered = RenderUtf8Text(utf8);
}

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
        if (glyphCells.cells.size() >= GLYPH_CELLS_KEPT) {
            // The texts kept name the cells by their places: both start afresh.
            textCache.clear();
            glyphCells = GlyphCells{};
        }
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
        found->cell.valid = false;
        found->overhang.reset();
        found->placement.surface = 0;
        RenderInto(*found, bytes);
    }
    found->lastUse = textCacheClock;
    return *found;
}

// Copies columns from to to - 1 of rows top to bottom - 1 of a text set from glyph cells, in
// these colours, to target, whose rows lie stride pixels apart; marks the inked rows in inked.
void CopyGlyphColumns(const CachedText& text, int from, int to, int top, int bottom,
                      std::uint32_t glyph, std::uint32_t background, std::uint32_t* target,
                      std::size_t stride, std::vector<char>* inked) {
    assert(text.table != nullptr);
    for (const GlyphAt& placed : text.glyphs) {
        const int start = std::max(placed.left, from);
        const int end = std::min(placed.left + placed.width, to);
        if (start >= end) {
            continue;
        }
        const GlyphCell& cell = ComposedGlyph(placed.cell, glyph, background);
        for (int row = top; row < bottom; ++row) {
            const auto index = static_cast<std::size_t>(row);
            const std::uint32_t* source = cell.pixels.data() +
                                          index * static_cast<std::size_t>(cell.width) +
                                          (start - placed.left);
            std::copy(source, source + (end - start),
                      target + static_cast<std::size_t>(row - top) * stride + (start - from));
            if (inked != nullptr) {
                (*inked)[index] = (*inked)[index] || cell.inked[index];
            }
        }
    }
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
    cell.glyph = glyph;
    cell.background = background;
    cell.left = left;
    cell.right = right;
    cell.valid = true;
    cell.inked.assign(static_cast<std::size_t>(rendered.cellHeight), 0);
    if (text.table != nullptr) {
        // The glyphs' cells side by side cover every pixel of the text's cell.
        cell.pixels.resize(width * static_cast<std::size_t>(rendered.cellHeight));
        CopyGlyphColumns(text, left, right, 0, rendered.cellHeight, glyph, background,
                         cell.pixels.data(), width, &cell.inked);
        return cell;
    }
    cell.pixels.assign(width * static_cast<std::size_t>(rendered.cellHeight), background);
    // One unsigned compare for each bound: a negative value wraps to a large one.
    const auto within = [](int value, int size) {
        return static_cast<unsigned>(value) < static_cast<unsigned>(size);
    };
    bool overhangs = false;
    for (const GlyphRun& run : rendered.runs) {
        const int end = run.left + run.length;
        if (!within(run.top, rendered.cellHeight)) {
            overhangs = true;
            continue;
        }
        if (!within(run.left, rendered.cellWidth) || end > rendered.cellWidth) {
            overhangs = true;
        }
        const int from = std::max(run.left, left);
        const int to = std::min(end, right);
        if (from < to) {
            const auto row = static_cast<std::size_t>(run.top);
            std::uint32_t* pixel = cell.pixels.data() + row * width + (from - left);
            // Most runs are a pixel or two long, too short for a fill's wide stores to pay.
            for (int column = from; column < to; ++column) {
                *pixel++ = glyph;
            }
            cell.inked[row] = 1;
        }
    }
    if (!overhangs) {
        text.overhang.emplace();  // nothing lies outside the cell
    }
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

// Whether each of cell rows top to bottom - 1 of the placement holds what was written there.
bool RowsIntact(const Placement& placement, const Surface& surface, long long top,
                long long bottom) {
    for (long long row = top; row < bottom; ++row) {
        if (placement.rowWrites[static_cast<std::size_t>(row)] !=
            surface.RowWrites(static_cast<int>(placement.y + row))) {
            return false;
        }
    }
    return true;
}

// A text set from the same glyph cells whose rows top to bottom - 1 lie intact in this place,
// the one placed last; null when there is none.
const CachedText* TextBelow(const CachedText& text, const Placement& place, const Surface& surface,
                            long long top, long long bottom) {
    const CachedText* below = nullptr;
    for (const CachedText& other : textCache) {
        if (&other != &text && other.table == text.table &&
            other.rendered.cellHeight == text.rendered.cellHeight &&
            other.placement.SamePlaceAs(place) &&
            (below == nullptr || other.lastUse > below->lastUse) &&
            RowsIntact(other.placement, surface, top, bottom)) {
            below = &other;
        }
    }
    return below;
}

// Writes rows top to bottom - 1 of a text set from glyph cells over another such text that lies
// intact in the same place: only the columns of its glyphs that are not the same glyph in the
// same column below, within columns left to right - 1. Returns whether a pixel changed.
bool PutChangedGlyphs(Surface& surface, const CachedText& text, const CachedText& below,
                      long long left, long long right, long long top, long long bottom) {
    const Placement& place = text.placement;
    // The columns left as they are are drawn all the same, so that an erase put off on their
    // rows leaves them be.
    for (long long row = top; row < bottom; ++row) {
        surface.Keep(static_cast<int>(place.y + row), static_cast<int>(place.x + left),
                     static_cast<int>(place.x + right));
    }
    bool changed = false;
    std::vector<std::uint32_t> pixels;
    // Each glyph of the text against the glyph below that starts in the same column, if any.
    auto other = below.glyphs.begin();
    const auto same = [&](const GlyphAt& placed) {
        while (other != below.glyphs.end() && other->left < placed.left) {
            ++other;
        }
        return other != below.glyphs.end() && other->left == placed.left &&
               other->cell == placed.cell;
    };
    for (auto glyph = text.glyphs.begin(); glyph != text.glyphs.end();) {
        if (same(*glyph)) {
            ++glyph;
            continue;
        }
        // A span of glyphs that differ from those below.
        const int from = glyph->left;
        while (glyph != text.glyphs.end() && !same(*glyph)) {
            ++glyph;
        }
        const int to = glyph != text.glyphs.end() ? glyph->left : text.rendered.cellWidth;
        const auto start = static_cast<int>(std::max<long long>(from, left));
        const auto end = static_cast<int>(std::min<long long>(to, right));
        if (start >= end) {
            continue;
        }
        const auto width = static_cast<std::size_t>(end - start);
        pixels.resize(width * static_cast<std::size_t>(bottom - top));
        CopyGlyphColumns(text, start, end, static_cast<int>(top), static_cast<int>(bottom),
                         place.glyph, place.background, pixels.data(), width, nullptr);
        for (long long row = top; row < bottom; ++row) {
            changed =
                surface.Put(static_cast<int>(place.y + row), static_cast<int>(place.x + start),
                            pixels.data() + static_cast<std::size_t>(row - top) * width,
                            static_cast<int>(width)) ||
                changed;
        }
    }
    return changed;
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
        // The composed cell in these colours, in the same place: a row that nothing else has
        // written since holds it still. (A label comes back in every frame.)
        Placement& placement = text.placement;
        const Placement place{surface.Serial(),         x, y, left, right, glyph,
                              SurfacePixel(background), {}};
        const bool samePlace = placement.SamePlaceAs(place);
        if (samePlace && placement.erasures == surface.Erasures() &&
            RowsIntact(placement, surface, top, bottom) && Overhang(text).empty()) {
            // Neither written nor erased since it was drawn here last: nothing to do. (The
            // labels between the ticks of the trails, and before a mode-0 tick's repaint.)
            return false;
        }
        if (!samePlace) {
            placement = place;
            placement.rowWrites.assign(static_cast<std::size_t>(rendered.cellHeight), NOT_PLACED);
            const CachedText* below =
                text.table != nullptr ? TextBelow(text, place, surface, top, bottom) : nullptr;
            if (below != nullptr) {
                changed = PutChangedGlyphs(surface, text, *below, left, right, top, bottom);
                for (long long row = top; row < bottom; ++row) {
                    placement.rowWrites[static_cast<std::size_t>(row)] =
                        surface.RowWrites(static_cast<int>(y + row));
                }
                placement.erasures = surface.Erasures();
                return changed;  // a text set from glyph cells has no overhang
            }
        }
        const bool whole = rendered.cellWidth <= WHOLE_CELL_MAX_PIXELS;
        for (long long row = top; row < bottom; ++row) {
            const auto surfaceRow = static_cast<int>(y + row);
            const auto surfaceLeft = static_cast<int>(x + left);
            const auto index = static_cast<std::size_t>(row);
            if (samePlace && placement.rowWrites[index] == surface.RowWrites(surfaceRow)) {
                surface.Keep(surfaceRow, surfaceLeft, static_cast<int>(x + right));
                continue;
            }
            // Composed only when a row must be written.
            const ComposedCell& cell =
                ComposeCell(text, glyph, place.background, whole ? 0 : static_cast<int>(left),
                            whole ? rendered.cellWidth : static_cast<int>(right));
            if (cell.inked[index] == 0) {
                // A row of background only is cheap to compare, and may not have been written.
                changed = surface.Fill(surfaceRow, surfaceLeft, static_cast<int>(x + right),
                                       cell.background) ||
                          changed;
            } else {
                const auto width = static_cast<std::size_t>(cell.right - cell.left);
                changed = surface.Put(surfaceRow, surfaceLeft,
                                      cell.pixels.data() + index * width + (left - cell.left),
                                      static_cast<int>(right - left)) ||
                          changed;
            }
            placement.rowWrites[index] = surface.RowWrites(surfaceRow);
        }
        placement.erasures = surface.Erasures();
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
