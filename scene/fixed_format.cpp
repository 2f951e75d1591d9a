// The half-up fixed-point formatter: 17 significant digits, cut, rounded up, carried.
#include "scene/fixed_format.h"

#include <cmath>
#include <cstdio>

namespace {

// Seventeen significant digits tell every double apart from its neighbours.
constexpr int SIGNIFICANT_DIGITS = 17;

// Appends to a caller's buffer, never past its last byte, and counts the full length.
struct BoundedWriter {
    char* buffer;
    std::size_t capacity;
    std::size_t length;

    void Put(char character) {
        if (length + 1 < capacity) {
            buffer[length] = character;
        }
        ++length;
    }

    void Put(const char* text) {
        while (*text != '\0') {
            Put(*text++);
        }
    }

    // Terminates the text within the buffer and returns the length it needs.
    int Finish() {
        if (capacity > 0) {
            buffer[length < capacity ? length : capacity - 1] = '\0';
        }
        return static_cast<int>(length);
    }
};

// The decimal digits of a magnitude: digits[0] stands at 10^exponent.
struct DecimalDigits {
    int digits[SIGNIFICANT_DIGITS];
    int exponent;

    // The digit at 10^power; every digit beyond the seventeenth is zero.
    int At(int power) const {
        const int index = exponent - power;
        return index >= 0 && index < SIGNIFICANT_DIGITS ? digits[index] : 0;
    }
};

// Reads "d.dddddddddddddddde+NNN", the C library's exact 17-digit writing.
DecimalDigits SeventeenDigits(double magnitude) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*e", SIGNIFICANT_DIGITS - 1, magnitude);
    DecimalDigits result{};
    result.digits[0] = text[0] - '0';
    for (int index = 1; index < SIGNIFICANT_DIGITS; ++index) {
        result.digits[index] = text[index + 1] - '0';  // after the full stop
    }
    const char* exponentText = text + SIGNIFICANT_DIGITS + 2;  // after the 'e'
    const bool negativeExponent = *exponentText == '-';
    int exponent = 0;
    for (++exponentText; *exponentText != '\0'; ++exponentText) {
        exponent = exponent * 10 + (*exponentText - '0');
    }
    result.exponent = negativeExponent ? -exponent : exponent;
    return result;
}

// Keeps the digits down to 10^-decimals and rounds up when the next one is 5 or more.
void RoundHalfUp(DecimalDigits& number, int decimals) {
    // Index of the first digit cut off; outside the seventeen it is a zero.
    const int cutIndex = number.exponent + decimals + 1;
    if (cutIndex < 0 || cutIndex >= SIGNIFICANT_DIGITS) {
        return;
    }
    const bool roundUp = number.digits[cutIndex] >= 5;
    for (int index = cutIndex; index < SIGNIFICANT_DIGITS; ++index) {
        number.digits[index] = 0;
    }
    if (!roundUp) {
        return;
    }
    // Add one to the last kept digit, carrying through nines.
    int index = cutIndex - 1;
    while (index >= 0 && number.digits[index] == 9) {
        number.digits[index] = 0;
        --index;
    }
    if (index >= 0) {
        ++number.digits[index];
        return;
    }
    // All kept digits were nines, or none was kept: a new leading 1 one place up.
    number.digits[0] = 1;
    for (index = 1; index < SIGNIFICANT_DIGITS; ++index) {
        number.digits[index] = 0;
    }
    ++number.exponent;
}

}  // namespace

int FormatFixedHalfUp(char* buffer, std::size_t capacity, double value, int decimals) {
    BoundedWriter writer{buffer, capacity, 0};
    if (std::signbit(value)) {
        writer.Put('-');
    }
    if (std::isinf(value)) {
        writer.Put("inf");
        return writer.Finish();
    }
    if (std::isnan(value)) {
        writer.Put("nan");
        return writer.Finish();
    }
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > FIXED_MAX_DECIMALS) {
        decimals = FIXED_MAX_DECIMALS;
    }

    DecimalDigits number = SeventeenDigits(std::fabs(value));
    RoundHalfUp(number, decimals);

    // The whole part has no leading zeros but at least one digit.
    const int topPower = number.exponent > 0 ? number.exponent : 0;
    for (int power = topPower; power >= 0; --power) {
        writer.Put(static_cast<char>('0' + number.At(power)));
    }
    if (decimals > 0) {
        writer.Put('.');
        for (int power = -1; power >= -decimals; --power) {
            writer.Put(static_cast<char>('0' + number.At(power)));
        }
    }
    return writer.Finish();
}
