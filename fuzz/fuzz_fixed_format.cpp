// Fuzzes the half-up formatter: any double, any capacity, any count of decimals.
//
// Each call writes into a heap buffer exactly `capacity` bytes long, so the address sanitizer
// catches a write past its end. The text must be terminated within the buffer, be the start of
// the text an ample buffer gets, and, for finite values, match a reference written here the
// plain way: the C library's 17 significant digits, then the decimal digits cut and rounded up.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene/fixed_format.h"

namespace {

constexpr std::size_t AMPLE = 1024;  // more than the longest text: 309 digits, 340 decimals

// The value as a digit string with a full stop, rounded half up at `decimals` decimals.
std::string Reference(double value, int decimals) {
    decimals = decimals < 0 ? 0 : (decimals > FIXED_MAX_DECIMALS ? FIXED_MAX_DECIMALS : decimals);
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.16e", std::fabs(value));
    const std::string mantissa = std::string(1, scientific[0]) + std::string(scientific + 2, 16);
    const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
    // Whole digits (at least one) and decimals + 1 digits after the point, zeros where none.
    const int wholeDigits = exponent >= 0 ? exponent + 1 : 1;
    std::string digits;
    for (int power = wholeDigits - 1; power >= -(decimals + 1); --power) {
        const int index = exponent - power;
        digits += index >= 0 && index < 17 ? mantissa[static_cast<std::size_t>(index)] : '0';
    }
    const bool roundUp = digits.back() >= '5';
    digits.pop_back();
    if (roundUp) {
        int index = static_cast<int>(digits.size()) - 1;
        while (index >= 0 && digits[static_cast<std::size_t>(index)] == '9') {
            digits[static_cast<std::size_t>(index--)] = '0';
        }
        if (index >= 0) {
            ++digits[static_cast<std::size_t>(index)];
        } else {
            digits.insert(digits.begin(), '1');
        }
    }
    std::string text = std::signbit(value) ? "-" : "";
    text += digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    if (decimals > 0) {
        text += "." + digits.substr(digits.size() - static_cast<std::size_t>(decimals));
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const double value = input.ConsumeFloatingPoint<double>();
    const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(0, 80);
    const int decimals = input.ConsumeIntegralInRange<int>(-4, FIXED_MAX_DECIMALS + 4);

    static char ample[AMPLE];
    const int full = FormatFixedHalfUp(ample, sizeof ample, value, decimals);
    if (full < 0 || static_cast<std::size_t>(full) >= AMPLE ||
        std::strlen(ample) != std::size_t(full)) {
        std::abort();
    }
    char* exact = new char[capacity > 0 ? capacity : 1];
    const int needed = FormatFixedHalfUp(capacity > 0 ? exact : nullptr, capacity, value, decimals);
    if (needed != full) {
        std::abort();
    }
    if (capacity > 0) {
        // Terminated inside the buffer, and the start of the whole text.
        const std::size_t kept =
            std::min<std::size_t>(static_cast<std::size_t>(full), capacity - 1);
        if (std::memchr(exact, '\0', capacity) != exact + kept ||
            std::memcmp(exact, ample, kept) != 0) {
            std::abort();
        }
    }
    delete[] exact;
    if (std::isfinite(value) && Reference(value, decimals) != ample) {
        std::fprintf(stderr, "%.17g with %d decimals: got %s, want %s\n", value, decimals, ample,
                     Reference(value, decimals).c_str());
        std::abort();
    }
    return 0;
}
