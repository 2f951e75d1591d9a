// Texts set from a table of glyphs: each character's runs, moved on by the cells before it.
#include <algorithm>
#include <cassert>

#include "platform/standin/text_renderer.h"

namespace standin {

char32_t NextCodePoint(std::string_view utf8, std::size_t& index) {
    const auto lead = static_cast<unsigned char>(utf8[index++]);
    const int following = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0;
    if (lead >= 0xF8 || (lead >= 0x80 && following == 0) || index + following > utf8.size()) {
        return INVALID_CODE_POINT;
    }
    char32_t codePoint = following == 0 ? lead : lead & (0x3Fu >> following);
    for (int offset = 0; offset < following; ++offset) {
        const auto byte = static_cast<unsigned char>(utf8[index + offset]);
        if ((byte & 0xC0) != 0x80) {
            return INVALID_CODE_POINT;
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    index += following;
    return codePoint;
}

TextPixels SetTextFromGlyphs(const GlyphTable& table, std::string_view utf8) {
    const GlyphTableEntry* end = table.entries + table.entryCount;
    const auto find = [&](char32_t codePoint) {
        const GlyphTableEntry* found = std::lower_bound(
            table.entries, end, codePoint,
            [](const GlyphTableEntry& entry, char32_t wanted) { return entry.codePoint < wanted; });
        return found != end && found->codePoint == codePoint ? found : nullptr;
    };
    TextPixels pixels{0, table.cellHeight, {}};
    for (std::size_t index = 0; index < utf8.size();) {
        const GlyphTableEntry* glyph = find(NextCodePoint(utf8, index));
        if (glyph == nullptr) {
            glyph = find(table.replacement);
            assert(glyph != nullptr && "a glyph table holds its replacement glyph");
        }
        const std::int8_t* values = table.runs + static_cast<std::ptrdiff_t>(glyph->firstRun) * 3;
        for (int run = 0; run < glyph->runCount; ++run, values += 3) {
            pixels.runs.push_back(GlyphRun{pixels.cellWidth + values[0], values[1], values[2]});
        }
        pixels.cellWidth += glyph->cellWidth;
    }
    return pixels;
}

}  // namespace standin
