// The text of builds without Pango (the browser): glyphs from the table that the native text
// renderer drew when the program was built, and code page 932 decoded by the browser itself.
#include <emscripten.h>

#include <string>

#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// Decodes with the browser's Shift_JIS decoder, whose double-byte table is Windows' code page
// 932. As the native decoding does, each byte that starts no valid character becomes one
// replacement glyph "･" and decoding goes on with the next byte. Returns the UTF-8 length.
// clang-format off
EM_JS(int, DecodeInBrowser, (const char* bytes, int length, char* output, int capacity), {
    const input = HEAPU8.subarray(bytes, bytes + length);
    const decoder = Module.shiftJisDecoder =
        Module.shiftJisDecoder || new TextDecoder("shift_jis", {fatal: true});
    // A text of whole characters decodes in one call. The browser's decoder differs from code
    // page 932 only in taking the byte 0x80 alone as a character, so texts with that byte, like
    // those with an invalid or cut-off character, go character by character.
    if (!input.includes(0x80)) {
        try {
            return stringToUTF8(decoder.decode(input), output, capacity);
        } catch (error) {
            // decoded character by character below
        }
    }
    let text = "";
    for (let index = 0; index < length;) {
        const lead = input[index];
        const size = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
        let character = null;
        try {
            character = lead === 0x80 ? null : decoder.decode(input.subarray(index, index + size));
        } catch (error) {
            // not a character
        }
        text += character === null ? "\uFF65" : character;  // one replacement for its first byte
        index += character === null ? 1 : size;
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

// A character that the table lacks shows the replacement glyph.
TextPixels RenderUtf8Text(std::string_view utf8) {
    return SetTextFromGlyphs(GENERATED_GLYPH_TABLE, utf8);
}

}  // namespace standin
