// The stand-in's text renderer: texts in the default font as runs of pixels.
//
// The core places what this returns on its surfaces itself, so it needs no drawing library. The
// default font, like Windows' own, is a monospaced Japanese Gothic of 16 pixels without kerning
// or ligatures: a text is its characters' glyphs side by side, each moved on by the cell widths
// before it, so texts are set from a table of glyphs. Native builds fill the table from Pango as
// characters first appear, have Pango lay out whole only the texts that the default font cannot
// set alone, and decode code page 932 with iconv (text_pango.cpp, codepage_iconv.cpp). The
// browser build has the table that the native renderer drew when the page was built compiled
// in, and decodes with the browser (text_glyphs.cpp). The headless host draws its pictures of
// the controls' captions from this too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// A text as TextOutA draws it: its opaque cell and the runs of pixels its glyphs cover, relative
// to its top-left corner.
struct GlyphRun {
    int left;  // pixels from the text's left edge; may be negative
    int top;   // pixels from the text's top edge; may be negative
    int length;
};
struct TextPixels {
    int cellWidth = 0;
    int cellHeight = 0;
    std::vector<GlyphRun> runs;
};
TextPixels RenderText(std::string_view bytes);  // code page 932

// Whether a code page 932 byte starts a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Code page 932 bytes as the text that TextOutA shows: UTF-8, with one replacement glyph for each
// invalid byte and each control character (TextOutA writes no line breaks). Defined by the core.
std::string DrawableText(std::string_view codePage932);

// Shown for a control character that TextOutA does not write: the half-width katakana middle
// dot "･", one cell wide; in UTF-8, and as a code point.
constexpr char REPLACEMENT_GLYPH[] = "\xEF\xBD\xA5";
constexpr char32_t REPLACEMENT_CODE_POINT = 0xFF65;

// Renders UTF-8 text without control characters in the default font.
TextPixels RenderUtf8Text(std::string_view utf8);

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

// The code point that starts at index of a UTF-8 text, moving index past it; -1, moving index
// one byte on, where no valid sequence starts.
char32_t NextCodePoint(std::string_view utf8, std::size_t& index);
constexpr char32_t INVALID_CODE_POINT = static_cast<char32_t>(-1);

// The pixels of a UTF-8 text set from the table's glyphs.
TextPixels SetTextFromGlyphs(const GlyphTable& table, std::string_view utf8);

// The table compiled into the browser build; written when it is built.
extern const GlyphTable GENERATED_GLYPH_TABLE;

// Native builds only: Pango's own rendering, which the glyphs are drawn with and checked against.

// UTF-8 text as Pango lays it out and draws it whole, in the glyphs of whichever font has them.
TextPixels RenderWholeUtf8Text(std::string_view utf8);

// Whether two renderings have cells of one size and cover the same pixels, however their runs are
// cut: a text set from glyphs has a run per glyph where the whole text has one across glyphs.
bool SamePixels(const TextPixels& first, const TextPixels& second);

// A glyph table that grows: the native renderer keeps the glyphs it has drawn in one, and the
// browser's table is written out from one.
class GlyphTableBuilder {
  public:
    // Whether the table has the default font's own glyph of the character, drawing it as Pango
    // draws it alone when it is new; false where another font's glyph would show, or the glyph
    // does not fit the table's form.
    bool Add(char32_t codePoint);
    const GlyphTable& Table() const { return table_; }
    std::size_t RunBytes() const { return runs_.size(); }

  private:
    std::vector<GlyphTableEntry> entries_;  // sorted by code point
    std::vector<std::int8_t> runs_;
    std::vector<char32_t> lacking_;  // sorted
    GlyphTable table_{};
};

}  // namespace standin
