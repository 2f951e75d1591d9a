// The text of builds without Pango (the browser): glyphs from the table that the native text
// renderer drew when the program was built, and code page 932 decoded by the browser itself.
#include <emscripten.h>

#include <string>

#include "platform/standin/glyph_table.h"
#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// Decodes with the browser's Shift_JIS decoder, whose double-byte table is Windows' code page
// 932. As the native decoding does, each byte that starts no valid character becomes one
// replacement glyph "･" and decoding goes on with the next byte. Returns the UTF-8 length.
// clang-format off
EM_JS(int, DecodeInBrowser, (const char* bytes, int length, char* output, int capacity), {
    const input = HEAPU8.subarray(bytes, bytes + length);
    if (!Module.shiftJisDecoder) {
        Module.shiftJisDecoder = new TextDecoder("shift_jis", {fatal: true});
    }
    const pair = Module.shiftJisDecoder;
    // A text of whole characters decodes in one call. The browser's decoder differs from code
    // page 932 only in taking 0x80 as a character, so texts with that byte go byte by byte.
    if (!input.includes(0x80)) {
        try {
            return stringToUTF8(pair.decode(input), output, capacity);
        } catch (error) {
            // an invalid or cut-off character: decoded byte by byte below
        }
    }
    let text = "";
    for (let index = 0; index < length;) {
        const byte = input[index];
        if (byte < 0x80) {
            text += String.fromCharCode(byte);
            ++index;
            continue;
        }
        if (byte >= 0xA1 && byte <= 0xDF) {
            text += String.fromCharCode(0xFF61 + byte - 0xA1);  // half-width katakana
            ++index;
            continue;
        }
        if (((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) &&
            index + 1 < length) {
            try {
                text += pair.decode(input.subarray(index, index + 2));
                index += 2;
                continue;
            } catch (error) {
                // not a character: one replacement for the lead byte
            }
        }
        text += "\uFF65";
        ++index;
    }
    return stringToUTF8(text, output, capacity);
});
// clang-format on

}  // namespace

std::string DecodeCodePage932(std::string_view bytes) {
    // Every byte gives at most three bytes of UTF-8: a double-byte character, a half-width
    // katakana or a replacement glyph.
    std::string result(bytes.size() * 3 + 1, '\0');
    const int length = DecodeInBrowser(bytes.data(), static_cast<int>(bytes.size()), result.data(),
                                       static_cast<int>(result.size()));
    result.resize(static_cast<std::size_t>(length));
    return result;
}

TextPixels RenderUtf8Text(std::string_view utf8) {
    return SetTextFromGlyphs(GENERATED_GLYPH_TABLE, utf8);
}

const GlyphTable* GlyphTableFor(std::string_view) {
    return &GENERATED_GLYPH_TABLE;  // every text: a character it lacks shows the replacement
}

}  // namespace standin
