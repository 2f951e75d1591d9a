// Texts set from a table of glyphs: each character's runs, moved on by the cells before it.
#include "platform/standin/glyph_table.h"

#include <algorithm>
#include <cassert>
#include <optional>
#include <vector>

namespace standin {

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& index) {
    const auto lead = static_cast<unsigned char>(text[index++]);
    if (lead < 0x80) {
        return lead;
    }
    int following = 0;
    char32_t codePoint = 0;
    if ((lead & 0xE0) == 0xC0) {
        following = 1;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        following = 2;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        following = 3;
        codePoint = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (index + following > text.size()) {
        return std::nullopt;
    }
    for (int offset = 0; offset < following; ++offset) {
        const auto byte = static_cast<unsigned char>(text[index + offset]);
        if ((byte & 0xC0) != 0x80) {
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    index += following;
    return codePoint;
}

const GlyphTableEntry* FindGlyph(const GlyphTable& table, char32_t codePoint) {
    const GlyphTableEntry* end = table.entries + table.entryCount;
    const GlyphTableEntry* found = std::lower_bound(
        table.entries, end, codePoint,
        [](const GlyphTableEntry& entry, char32_t wanted) { return entry.codePoint < wanted; });
    return found != end && found->codePoint == codePoint ? found : nullptr;
}

std::vector<const GlyphTableEntry*> GlyphsOf(const GlyphTable& table, std::string_view utf8) {
    std::vector<const GlyphTableEntry*> glyphs;
    glyphs.reserve(utf8.size());
    for (std::size_t index = 0; index < utf8.size();) {
        const std::optional<char32_t> codePoint = NextCodePoint(utf8, index);
        const GlyphTableEntry* glyph = codePoint ? FindGlyph(table, *codePoint) : nullptr;
        if (glyph == nullptr) {
            glyph = FindGlyph(table, table.replacement);
            assert(glyph != nullptr && "a glyph table holds its replacement glyph");
        }
        glyphs.push_back(glyph);
    }
    return glyphs;
}

TextPixels SetTextFromGlyphs(const GlyphTable& table, std::string_view utf8) {
    // The glyphs first, so that the runs are written once into a vector of their final size.
    const std::vector<const GlyphTableEntry*> glyphs = GlyphsOf(table, utf8);
    std::size_t runCount = 0;
    for (const GlyphTableEntry* glyph : glyphs) {
        runCount += static_cast<std::size_t>(glyph->runCount);
    }
    TextPixels pixels{0, table.cellHeight, {}};
    pixels.runs.reserve(runCount);
    for (const GlyphTableEntry* glyph : glyphs) {
        const std::int8_t* values = table.runs + static_cast<std::ptrdiff_t>(glyph->firstRun) * 3;
        for (int run = 0; run < glyph->runCount; ++run, values += 3) {
            pixels.runs.push_back(GlyphRun{pixels.cellWidth + values[0], values[1], values[2]});
        }
        pixels.cellWidth += glyph->cellWidth;
    }
    return pixels;
}

}  // namespace standin
