// Code page 932 decoded with iconv, whose glibc table is Windows' own: native builds.
#include <iconv.h>

#include <cerrno>
#include <memory>

#include "platform/standin/text_renderer.h"

namespace standin {

namespace {

struct IconvClose {
    using pointer = iconv_t;
    void operator()(iconv_t converter) const {
        if (converter != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(converter);
        }
    }
};

// The converter is made once; glibc's CP932 table is the Windows one.
iconv_t Converter() {
    static const std::unique_ptr<void, IconvClose> converter(iconv_open("UTF-8", "CP932"));
    return converter.get();
}

}  // namespace

std::string DecodeCodePage932(std::string_view bytes) {
    iconv_t converter = Converter();
    std::string result;
    if (converter == reinterpret_cast<iconv_t>(-1)) {
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
        // An invalid byte, or a double-byte character cut off by the length: one replacement
        // each, and never a read past the given length.
        result += REPLACEMENT_GLYPH;
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

}  // namespace standin
