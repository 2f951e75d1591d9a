// Reading the program's code page 932 texts in tests: decoded with glibc's converter, which is
// independent of the stand-in's own decoding.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/owned_handles.h"

namespace test_support {

// Decodes a zero-terminated code page 932 text to UTF-8; a text that does not decode whole (such
// as one that ends inside a double-byte character) fails the test.
inline std::string DecodeCp932(const char* text) {
    const owned::Iconv converter = owned::OpenIconv("UTF-8", "CP932");
    EXPECT_NE(converter, nullptr) << "glibc has no CP932 converter";
    if (converter == nullptr) {
        return "";
    }
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
