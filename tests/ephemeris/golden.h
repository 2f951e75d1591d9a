// Bit-for-bit comparison of doubles for the ephemeris tests, with a readable failure report.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>

// The circle constant exactly as the ephemeris uses it.
inline constexpr double TEST_PI = 3.141592653589793;
inline constexpr double TEST_TWO_PI = 2.0 * TEST_PI;

// Passes only when got has exactly the bits of want; on failure says what was checked,
// both values in hex and decimal, and how far apart they are.
inline ::testing::AssertionResult SameBits(const char* what, double want, double got) {
    if (std::bit_cast<std::uint64_t>(want) == std::bit_cast<std::uint64_t>(got)) {
        return ::testing::AssertionSuccess();
    }
    char report[320];
    std::snprintf(report, sizeof report, "%s: want %a (%.17g), got %a (%.17g), difference %.3g",
                  what, want, want, got, got, got - want);
    return ::testing::AssertionFailure() << report;
}
