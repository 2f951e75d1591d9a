// Texts set from glyphs rendered ahead of time, for builds that have no font renderer.
//
// The default font is monospaced and the program's texts use no kerning or ligatures, so a text
// is its characters' glyphs side by side, each moved on by the cell widths before it. The tool
// that writes a table checks that this holds for every text the program draws.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/standin/text_renderer.h"

namespace standin {

struct GlyphTableEntry {
    char32_t codePoint;
    int cellWidth;
    int firstRun;  // index of its first run in the table's runs
    int runCount;
};

struct GlyphTable {
    int cellHeight;                  // the same for every glyph of the font
    const GlyphTableEntry* entries;  // sorted by code point
    int entryCount;
    const std::int8_t* runs;  // left, top and length of each run, relative to the glyph's cell
    char32_t replacement;     // drawn for every character the table lacks, and for invalid UTF-8
};

// The code point that starts at index of a UTF-8 text, moving index past it; nullopt, moving
// index one byte on, where no valid sequence starts.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& index);

// The table's glyph of a character; null when the table lacks it.
const GlyphTableEntry* FindGlyph(const GlyphTable& table, char32_t codePoint);

// The glyphs that set a UTF-8 text, in order: each character's, or the replacement glyph.
std::vector<const GlyphTableEntry*> GlyphsOf(const GlyphTable& table, std::string_view utf8);

// The pixels of a UTF-8 text set from the table's glyphs.
TextPixels SetTextFromGlyphs(const GlyphTable& table, std::string_view utf8);

// The table compiled into builds without Pango; written when they are built.
extern const GlyphTable GENERATED_GLYPH_TABLE;

}  // namespace standin
