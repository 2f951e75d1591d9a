// Compares the messages a window procedure received with a static table of expected ones, as
// Wine's ok_sequence does: on a mismatch it names the messages and the caller's file and line.
#pragma once

#include <gtest/gtest.h>

#include <source_location>
#include <span>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace test_support {

inline std::string MessageName(UINT message) {
    struct Named {
        UINT message;
        const char* name;
    };
    static const Named NAMES[] = {
        {WM_CREATE, "WM_CREATE"},         {WM_DESTROY, "WM_DESTROY"}, {WM_SIZE, "WM_SIZE"},
        {WM_PAINT, "WM_PAINT"},           {WM_CLOSE, "WM_CLOSE"},     {WM_QUIT, "WM_QUIT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_COMMAND, "WM_COMMAND"}, {WM_TIMER, "WM_TIMER"},
        {0x0201, "WM_LBUTTONDOWN"},       {0x0202, "WM_LBUTTONUP"},
    };
    for (const Named& named : NAMES) {
        if (named.message == message) {
            return named.name;
        }
    }
    constexpr UINT WM_USER = 0x0400;
    if (message >= WM_USER && message < 0x8000) {
        return "WM_USER+" + std::to_string(message - WM_USER);
    }
    return "message " + std::to_string(message);
}

// Expects got to be exactly the expected messages, in order. context says which step of the
// test this is; the failure is reported at the caller's line.
inline void ExpectSequence(const std::vector<UINT>& got, std::span<const UINT> expected,
                           const char* context,
                           std::source_location where = std::source_location::current()) {
    std::size_t index = 0;
    while (index < got.size() && index < expected.size() && got[index] == expected[index]) {
        ++index;
    }
    if (index == got.size() && index == expected.size()) {
        return;
    }
    auto names = [](auto messages) {
        std::string text;
        for (UINT message : messages) {
            text += (text.empty() ? "" : " ") + MessageName(message);
        }
        return text.empty() ? std::string("(none)") : text;
    };
    const std::string wanted =
        index < expected.size() ? MessageName(expected[index]) : std::string("nothing more");
    const std::string came = index < got.size() ? MessageName(got[index]) : std::string("nothing");
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
        << context << ": message " << index + 1 << " should be " << wanted << " but is " << came
        << "\n  expected: " << names(expected) << "\n  received: " << names(got);
}

}  // namespace test_support
