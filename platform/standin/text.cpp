// The stand-in's text: TextOutA placing rendered texts.
#include <algorithm>
#include <cassert>
#include <memory>

#include "platform/standin/standin.h"
#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// Shown for a byte that is not code page 932: the half-width katakana middle dot, one cell wide.
constexpr char REPLACEMENT_GLYPH[] = "\xEF\xBD\xA5";
// Farther than this from the clip, no text can reach it: a line is laid out to at most about two
// million pixels, so nothing is rendered for it.
constexpr long long FARTHEST_TEXT_PIXELS = 1 << 21;

}  // namespace

std::string DrawableText(std::string_view codePage932) {
    const std::string utf8 = DecodeCodePage932(codePage932);
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

TextPixels RenderText(std::string_view bytes) {
    return RenderUtf8Text(DrawableText(bytes));
}

}  // namespace standin

using namespace standin;

namespace {

// The texts drawn most recently, as a real GDI keeps its glyphs: a frame's labels come back with
// the same bytes on every tick, and a tick draws the same status text twice (on the window, then
// in the repaint). Each entry is found by its bytes and remembers when it was used.
struct CachedText {
    std::string bytes;
    std::uint64_t lastUse = 0;
    TextPixels rendered;
};
// A frame draws four texts; a few more entries keep the status text's latest values.
constexpr std::size_t TEXT_CACHE_ENTRIES = 8;
constexpr std::size_t CACHED_TEXT_MAX_BYTES = 256;  // longer texts are rendered afresh each time

// Written only by FindRenderedText.
std::vector<CachedText> textCache;
std::uint64_t textCacheClock = 0;

// The rendering of these bytes, kept when they are short; scratch holds one that is not kept.
const TextPixels& FindRenderedText(std::string_view bytes, TextPixels& scratch) {
    if (bytes.size() > CACHED_TEXT_MAX_BYTES) {
        scratch = RenderText(bytes);
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
        *found = CachedText{std::string(bytes), 0, RenderText(bytes)};
    }
    found->lastUse = textCacheClock;
    return found->rendered;
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

// Places a rendered text on the surface with its top-left corner at (x, y), within the clip: the
// cell in the background colour, then the covered pixels in the text colour.
void PlaceRenderedText(Surface& surface, const RECT& clip, long long x, long long y,
                       const TextPixels& rendered, COLORREF textColour, COLORREF background) {
    assert(clip.right <= surface.Width() && clip.bottom <= surface.Height());
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
    const long long surfaceX = static_cast<long long>(x) + record->originX;
    const long long surfaceY = static_cast<long long>(y) + record->originY;
    if (surfaceX < clip.left - FARTHEST_TEXT_PIXELS ||
        surfaceX > clip.right + FARTHEST_TEXT_PIXELS ||
        surfaceY < clip.top - FARTHEST_TEXT_PIXELS ||
        surfaceY > clip.bottom + FARTHEST_TEXT_PIXELS) {
        return TRUE;
    }
    // The cell is opaque in the background colour: the DC's default mode, which the program keeps.
    TextPixels scratch;
    const TextPixels& rendered =
        FindRenderedText(std::string_view(text, static_cast<size_t>(length)), scratch);
    PlaceRenderedText(*top->surface, clip, surfaceX, surfaceY, rendered, record->textColour,
                      record->backgroundColour);
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
