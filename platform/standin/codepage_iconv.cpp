// Code page 932 decoded with iconv, whose glibc table is Windows' own: native builds.
#include <iconv.h>

#include <cerrno>

#include "platform/owned_handles.h"
#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

// Windows' default character for the code page, "・" (U+30FB): what a lead byte becomes whose
// pair the table lacks.
constexpr char DEFAULT_CHARACTER[] = "\xE3\x83\xBB";

// The single bytes that glibc's table leaves out and Windows maps: 0x80 to U+0080, 0xA0 to
// U+F8F0 and 0xFD to 0xFF to U+F8F1 to U+F8F3.
const char* SingleByteOutsideTheTable(unsigned char byte) {
    static const char* const PRIVATE_USE[] = {"\xEF\xA3\xB1", "\xEF\xA3\xB2", "\xEF\xA3\xB3"};
    if (byte == 0x80) {
        return "\xC2\x80";
    }
    if (byte == 0xA0) {
        return "\xEF\xA3\xB0";
    }
    return byte >= 0xFD ? PRIVATE_USE[byte - 0xFD] : DEFAULT_CHARACTER;
}

// The converter is made once; glibc's CP932 table is the Windows one. Null where iconv lacks it.
iconv_t Converter() {
    static const owned::Iconv converter = owned::OpenIconv("UTF-8", "CP932");
    return converter.get();
}

}  // namespace

std::string DecodeCodePage932(std::string_view bytes) {
    iconv_t converter = Converter();
    std::string result;
    if (converter == nullptr) {
        return result;
    }
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(buffer, static_cast<size_t>(out - buffer));
        if (converted != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // What the table lacks, as MultiByteToWideChar has it: a lead byte and the byte after it,
        // unless that is the end or a zero, make one default character; a single byte is its
        // own. Never a read past the given length.
        const auto byte = static_cast<unsigned char>(*in);
        const std::size_t taken = IsLeadByte(byte) && inLeft > 1 && in[1] != '\0' ? 2 : 1;
        result += IsLeadByte(byte) ? DEFAULT_CHARACTER : SingleByteOutsideTheTable(byte);
        in += taken;
        inLeft -= taken;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

}  // namespace standin
