// Tests of the half-up fixed-point formatter, alone and against two independent references.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "scene/fixed_format.h"

namespace {

std::string Format(double value, int decimals) {
    char buffer[1024];
    const int length = FormatFixedHalfUp(buffer, sizeof buffer, value, decimals);
    EXPECT_EQ(length, static_cast<int>(std::strlen(buffer))) << "value " << value;
    return buffer;
}

std::string PrintfFixed(double value, int decimals) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

struct Case {
    double value;
    int decimals;
    const char* expected;
};

void ExpectCases(const Case* cases, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        const Case& c = cases[index];
        char seventeen[40];
        std::snprintf(seventeen, sizeof seventeen, "%.16e", c.value);
        EXPECT_EQ(Format(c.value, c.decimals), c.expected)
            << "value " << seventeen << " with " << c.decimals << " decimals";
    }
}

TEST(FixedHalfUp, RoundsTheSeventeenDigitsHalfUp) {
    const Case cases[] = {
        {1.0, 2, "1.00"},
        {0.125, 2, "0.13"},  // printf's own %.2f gives 0.12
        {0.0078125, 2, "0.01"},
        {0.015625, 2, "0.02"},
        {0.03125, 2, "0.03"},
        {0.0625, 2, "0.06"},
        {0.005, 2, "0.01"},  // 5.0000000000000001e-03
        {0.045, 2, "0.04"},  // 4.4999999999999998e-02
        {9.995, 2, "9.99"},  // 9.9949999999999992
        {2.675, 2, "2.67"},  // 2.6749999999999998
        {1.005, 2, "1.00"},  // 1.0049999999999999
        {0.004, 2, "0.00"},
        {0.0049999999999999, 2, "0.00"},
        {128.0, 2, "128.00"},
        {1234.5678, 2, "1234.57"},
        {0.5, 0, "1"},
        {1.5, 0, "2"},
        {2.5, 0, "3"},                  // printf gives 2
        {0.49999999999999994, 0, "0"},  // 4.9999999999999994e-01
        {3.14159, 4, "3.1416"},
        {0.1, 20, "0.10000000000000001000"},  // 17 digits, then zeros
    };
    ExpectCases(cases, std::size(cases));
}

TEST(FixedHalfUp, CarriesIntoNewDigits) {
    const Case cases[] = {
        {99.999, 2, "100.00"},
        {9.999, 2, "10.00"},
        {0.9999, 2, "1.00"},
        {0.995, 2, "1.00"},  // 9.9500000000000000e-01; printf gives 0.99
        {0.996, 2, "1.00"},
        {0.0096, 2, "0.01"},
        {999999.995, 2, "1000000.00"},  // 9.9999999500000000e+05
        {9.5, 0, "10"},
        {0.00096, 3, "0.001"},
        {0.0005, 3, "0.001"},
        {0.00049, 3, "0.000"},
    };
    ExpectCases(cases, std::size(cases));
}

TEST(FixedHalfUp, NegativeValuesKeepTheirSignLikePrintf) {
    const Case cases[] = {
        {-0.125, 2, "-0.13"}, {-99.999, 2, "-100.00"}, {-9.995, 2, "-9.99"}, {-0.001, 2, "-0.00"},
        {-0.0, 2, "-0.00"},   {0.0, 2, "0.00"},        {-0.005, 2, "-0.01"}, {-2.5, 0, "-3"},
        {-0.4, 0, "-0"},      {-128.0, 2, "-128.00"},
    };
    ExpectCases(cases, std::size(cases));
    EXPECT_EQ(PrintfFixed(-0.001, 2), "-0.00");  // the library's behaviour that we follow
}

TEST(FixedHalfUp, NonFiniteValuesPrintAsPrintfDoes) {
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double value : {infinity, -infinity, nan, -nan}) {
        for (int decimals : {0, 2, 7}) {
            EXPECT_EQ(Format(value, decimals), PrintfFixed(value, decimals));
        }
    }
    EXPECT_EQ(Format(infinity, 2), "inf");
    EXPECT_EQ(Format(-infinity, 2), "-inf");
    EXPECT_EQ(Format(nan, 2), "nan");
}

TEST(FixedHalfUp, HugeAndTinyValues) {
    // 1e300 is 1.0000000000000001e+300 to 17 digits; every later digit is zero.
    EXPECT_EQ(Format(1e300, 2), "1" + std::string(15, '0') + "1" + std::string(284, '0') + ".00");
    EXPECT_EQ(Format(DBL_MAX, 2), "17976931348623157" + std::string(292, '0') + ".00");
    EXPECT_EQ(Format(-DBL_MAX, 0), "-17976931348623157" + std::string(292, '0'));
    EXPECT_EQ(Format(1e17, 1), "100000000000000000.0");

    const double smallestSubnormal = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(Format(smallestSubnormal, 2), "0.00");
    EXPECT_EQ(Format(-smallestSubnormal, 2), "-0.00");
    // 4.9406564584124654e-324: its first digit is the 324th decimal.
    EXPECT_EQ(Format(smallestSubnormal, FIXED_MAX_DECIMALS),
              "0." + std::string(323, '0') + "49406564584124654");
    EXPECT_EQ(Format(smallestSubnormal, 324), "0." + std::string(323, '0') + "5");
    EXPECT_EQ(Format(smallestSubnormal, 323), "0." + std::string(322, '0') + "0");
    EXPECT_EQ(Format(DBL_MIN, 2), "0.00");
}

TEST(FixedHalfUp, DecimalsAreClamped) {
    EXPECT_EQ(Format(2.5, -3), "3");
    EXPECT_EQ(Format(1.0, 100000).size(), 2u + FIXED_MAX_DECIMALS);
    EXPECT_EQ(Format(-DBL_MAX, FIXED_MAX_DECIMALS).size(), 1u + 309u + 1u + FIXED_MAX_DECIMALS);
}

TEST(FixedHalfUp, WritesNoFurtherThanTheCapacity) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatFixedHalfUp(buffer, 4, 99.999, 2), 6);
    EXPECT_STREQ(buffer, "100");
    EXPECT_EQ(std::string(buffer + 4, sizeof buffer - 4), std::string(sizeof buffer - 4, '#'));

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatFixedHalfUp(buffer, 1, -0.125, 2), 5);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');

    EXPECT_EQ(FormatFixedHalfUp(nullptr, 0, 1e300, 2), 304);  // only measures

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatFixedHalfUp(buffer, 8, -std::numeric_limits<double>::infinity(), 2), 4);
    EXPECT_STREQ(buffer, "-inf");
    EXPECT_EQ(buffer[5], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatFixedHalfUp(buffer, 7, 128.0, 2), 6);  // exactly fits
    EXPECT_STREQ(buffer, "128.00");
    EXPECT_EQ(buffer[7], '#');
}

// The reference: the 17 digits read as an integer M with value M * 10^(exponent - 16),
// scaled to the requested decimals and rounded half up in exact integer arithmetic.
std::string IntegerReference(double value, int decimals) {
    char text[40];
    std::snprintf(text, sizeof text, "%.16e", std::fabs(value));
    unsigned __int128 mantissa = static_cast<unsigned>(text[0] - '0');
    for (int index = 2; index < 18; ++index) {
        mantissa = mantissa * 10 + static_cast<unsigned>(text[index] - '0');
    }
    const int exponent = std::atoi(text + 19);
    const int shift = exponent - 16 + decimals;
    unsigned __int128 scaled = mantissa;
    if (shift >= 0) {
        for (int step = 0; step < shift; ++step) {
            scaled *= 10;
        }
    } else if (-shift > 17) {
        scaled = 0;
    } else {
        unsigned __int128 divisor = 1;
        for (int step = 0; step < -shift; ++step) {
            divisor *= 10;
        }
        scaled = mantissa / divisor;
        if (2 * (mantissa % divisor) >= divisor) {
            ++scaled;
        }
    }
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(scaled % 10)));
        scaled /= 10;
    } while (scaled != 0);
    if (digits.size() < static_cast<std::size_t>(decimals) + 1) {
        digits.insert(0, decimals + 1 - digits.size(), '0');
    }
    if (decimals > 0) {
        digits.insert(digits.end() - decimals, '.');
    }
    return (std::signbit(value) ? "-" : "") + digits;
}

// True when the digits of the 17-digit writing that follow the cut lie more than
// one unit of the 17th digit from a tie: the exact binary value then rounds the same way.
bool FarFromTie(double value, int decimals) {
    char text[40];
    std::snprintf(text, sizeof text, "%.16e", std::fabs(value));
    const int exponent = std::atoi(text + 19);
    const int firstCut = exponent + decimals + 1;  // index among the 17 digits
    if (firstCut < 0 || firstCut >= 17) {
        return false;
    }
    std::string digits = std::string(1, text[0]) + std::string(text + 2, 16);
    long long tail = std::atoll(digits.substr(firstCut).c_str());
    long long half = 5;
    for (int index = firstCut + 1; index < 17; ++index) {
        half *= 10;
    }
    return std::llabs(tail - half) > 1;
}

TEST(FixedHalfUp, AgreesWithReferencesOnRandomValues) {
    std::mt19937_64 generator(20240917);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> power(-20, 18);
    std::uniform_int_distribution<int> decimalsDistribution(0, 8);
    std::uniform_int_distribution<long long> thousandths(-2000000, 2000000);
    int printfComparisons = 0;
    for (int iteration = 0; iteration < 60000; ++iteration) {
        const int decimals = decimalsDistribution(generator);
        double value;
        switch (iteration % 3) {
            case 0:  // anywhere in a wide range of magnitudes
                value = mantissa(generator) * std::pow(10.0, power(generator));
                break;
            case 1:  // decimal fractions, where halfway digits are common
                value = static_cast<double>(thousandths(generator)) / 1000.0;
                break;
            default:  // dyadic fractions such as the drawing intervals, exact ties
                value = std::ldexp(static_cast<double>(thousandths(generator)), -(iteration % 11));
                break;
        }
        if (iteration % 2 == 1) {
            value = -value;
        }
        const std::string got = Format(value, decimals);
        ASSERT_EQ(got, IntegerReference(value, decimals))
            << "value " << value << " decimals " << decimals;
        if (FarFromTie(value, decimals)) {
            ++printfComparisons;
            ASSERT_EQ(got, PrintfFixed(value, decimals)) << "value " << value;
        }
    }
    EXPECT_GT(printfComparisons, 30000);
}

}  // namespace
