// The text of builds without Pango (the browser): glyphs from the table that the native text
// renderer drew when the program was built, and code page 932 decoded by the browser itself.
#include <emscripten.h>

#include <string>
#include <unordered_map>

#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// Decodes one double-byte character with the browser's Shift_JIS decoder, whose double-byte table
// is Windows' code page 932. Returns the UTF-8 length, 0 where the pair is no character.
// clang-format off
EM_JS(int, DecodePairInBrowser, (int lead, int trail, char* output, int capacity), {
    const decoder = Module.shiftJisDecoder =
        Module.shiftJisDecoder || new TextDecoder("shift_jis", {fatal: true});
    try {
        return stringToUTF8(decoder.decode(new Uint8Array([lead, trail])), output, capacity);
    } catch (error) {
        return 0;
    }
});
// clang-format on

// Appends the character of a double-byte pair, if it is one. The browser decodes each pair once:
// the program draws a new date on every tick, and a call to the browser's decoder costs many
// times a lookup. Code page 932 has fewer than 8,000 pairs.
bool AppendPair(std::string& text, unsigned char lead, unsigned char trail) {
    static std::unordered_map<int, std::string> pairs;
    const auto [entry, added] = pairs.try_emplace(lead << 8 | trail);
    if (added) {
        char utf8[8];
        entry->second.assign(utf8, static_cast<std::size_t>(DecodePairInBrowser(
                                       lead, trail, utf8, static_cast<int>(sizeof utf8))));
    }
    text += entry->second;
    return !entry->second.empty();
}

}  // namespace

// As the native decoding does, each byte that starts no valid character becomes one replacement
// glyph "･" and decoding goes on with the next byte.
std::string DecodeCodePage932(std::string_view bytes) {
    std::string result;
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        const auto byte = static_cast<unsigned char>(bytes[index]);
        if (byte < 0x80) {
            result += static_cast<char>(byte);
        } else if (byte >= 0xA1 && byte <= 0xDF) {
            // Half-width katakana, U+FF61 to U+FF9F.
            result += byte < 0xC0 ? "\xEF\xBD" : "\xEF\xBE";
            result += static_cast<char>(byte < 0xC0 ? byte : byte - 0x40);
        } else if (IsLeadByte(byte) && index + 1 < bytes.size() &&
                   AppendPair(result, byte, static_cast<unsigned char>(bytes[index + 1]))) {
            ++index;
        } else {
            result += REPLACEMENT_GLYPH;
        }
    }
    return result;
}

// A character that the table lacks shows the replacement glyph.
TextPixels RenderUtf8Text(std::string_view utf8) {
    return SetTextFromGlyphs(GENERATED_GLYPH_TABLE, utf8);
}

}  // namespace standin
