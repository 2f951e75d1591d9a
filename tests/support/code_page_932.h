// Reading the program's code page 932 texts in tests: decoded with glibc's converter, which is
// independent of the stand-in's own decoding.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <memory>
#include <string>

namespace test_support {

// Decodes a zero-terminated code page 932 text to UTF-8; a text that does not decode whole (such
// as one that ends inside a double-byte character) fails the test.
inline std::string DecodeCp932(const char* text) {
    struct Close {
        using pointer = iconv_t;
        void operator()(iconv_t converter) const { iconv_close(converter); }
    };
    const iconv_t opened = iconv_open("UTF-8", "CP932");
    EXPECT_NE(opened, reinterpret_cast<iconv_t>(-1)) << "glibc has no CP932 converter";
    if (opened == reinterpret_cast<iconv_t>(-1)) {
        return "";
    }
    const std::unique_ptr<void, Close> converter(opened);
    std::string input(text);
    std::string output(input.size() * 4, '\0');
    char* inputPointer = input.data();
    std::size_t inputLeft = input.size();
    char* outputPointer = output.data();
    std::size_t outputLeft = output.size();
    const std::size_t result =
        iconv(converter.get(), &inputPointer, &inputLeft, &outputPointer, &outputLeft);
    EXPECT_NE(result, static_cast<std::size_t>(-1)) << "undecodable text: " << text;
    EXPECT_EQ(inputLeft, 0u);
    output.resize(output.size() - outputLeft);
    return output;
}

}  // namespace test_support
