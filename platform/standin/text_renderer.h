// The stand-in's one text backend: the default font's glyphs as runs of pixels.
//
// The core places what this returns on its surfaces itself, so it needs no drawing library.
// Native builds render with Pango (text_pango.cpp) and decode code page 932 with iconv
// (codepage_iconv.cpp); the browser build sets texts from a glyph table that the Pango backend
// drew when the page was built, and decodes with the browser (text_glyphs.cpp). Each backend
// defines RenderUtf8Text, GlyphTableFor and host.h's DecodeCodePage932.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace standin {

// A text as TextOutA draws it in the default font: its opaque cell and the runs of pixels its
// glyphs cover, relative to its top-left corner. The headless host draws its pictures of the
// controls' captions from it too.
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

// Shown for a control character that TextOutA does not write: the half-width katakana middle
// dot "･", one cell wide; in UTF-8, and as a code point.
constexpr char REPLACEMENT_GLYPH[] = "\xEF\xBD\xA5";
constexpr char32_t REPLACEMENT_CODE_POINT = 0xFF65;

// Renders UTF-8 text with no control characters in the default font, a monospaced Japanese
// Gothic of 16 pixels: half-width glyphs are 8 pixels wide and full-width ones 16.
TextPixels RenderUtf8Text(std::string_view utf8);

struct GlyphTable;
// The table of the default font's glyphs that sets this UTF-8 text, as RenderUtf8Text does when
// the font has all of its characters; null when the text is drawn whole. A table lives as long
// as the process, and may gain glyphs.
const GlyphTable* GlyphTableFor(std::string_view utf8);

// Code page 932 bytes as the text that TextOutA shows: UTF-8, with one replacement glyph for each
// invalid byte and each control character (TextOutA writes no line breaks). Defined by the core.
std::string DrawableText(std::string_view codePage932);

}  // namespace standin
