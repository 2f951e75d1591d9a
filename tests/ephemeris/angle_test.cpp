// Tests of the sexagesimal angle conversion and the truncating remainder.
#include <cmath>
#include <limits>

#include "ephemeris/ephemeris.h"
#include "tests/ephemeris/golden.h"

namespace {

const double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
const double INFINITY_VALUE = std::numeric_limits<double>::infinity();

TEST(DmsToRadians, WholeTurnsReduceToExactlyZero) {
    EXPECT_EQ(DmsToRadians(360, 0, 0), 0.0);
    EXPECT_EQ(DmsToRadians(0, 0, 1296000), 0.0);  // a full turn in seconds
    EXPECT_EQ(DmsToRadians(0, 21600, 0), 0.0);    // a full turn in minutes
    EXPECT_EQ(DmsToRadians(720, 0, 0), 0.0);
    EXPECT_EQ(DmsToRadians(-360, 0, 0), 0.0);
}

TEST(DmsToRadians, SimpleFractionsOfATurnAreExact) {
    EXPECT_TRUE(SameBits("180 degrees", TEST_PI, DmsToRadians(180, 0, 0)));
    EXPECT_TRUE(SameBits("90 degrees", TEST_PI / 2, DmsToRadians(90, 0, 0)));
    EXPECT_TRUE(SameBits("30 minutes", TEST_PI / 360, DmsToRadians(0, 30, 0)));
    EXPECT_TRUE(SameBits("1800 seconds", TEST_PI / 360, DmsToRadians(0, 0, 1800)));
    EXPECT_TRUE(SameBits("1 degree in minutes", DmsToRadians(1, 0, 0), DmsToRadians(0, 60, 0)));
}

// Each part is divided before it is multiplied by pi; these values differ in the last
// bit when pi is multiplied first or the divisors are merged into one.
TEST(DmsToRadians, DividesBeforeMultiplyingByPi) {
    EXPECT_TRUE(SameBits("13 degrees", 0x1.d0ad2c7c63f7cp-3, DmsToRadians(13, 0, 0)));
    EXPECT_TRUE(SameBits("5 minutes", 0x1.7d45e2dc37c4bp-10, DmsToRadians(0, 5, 0)));
    EXPECT_TRUE(SameBits("9 seconds", 0x1.6e05a695f8191p-15, DmsToRadians(0, 0, 9)));
    EXPECT_TRUE(SameBits("0.17 seconds", 0x1.ba7ae26a33e33p-21, DmsToRadians(0, 0, 0.17)));
    EXPECT_TRUE(SameBits("318 13' 15.63\"", 0x1.6374cea34b9ecp+2, DmsToRadians(318, 13, 15.63)));
}

TEST(DmsToRadians, NegativeAnglesStayNegative) {
    EXPECT_TRUE(SameBits("-3600 seconds", -(TEST_PI / 180), DmsToRadians(0, 0, -3600)));
    const double minus400Degrees = DmsToRadians(-400, 0, 0);
    EXPECT_NEAR(minus400Degrees, -0.698132, 5e-7);
    EXPECT_NEAR(minus400Degrees, -(40.0 / 180.0) * TEST_PI, 1e-15);
    EXPECT_TRUE(SameBits("-400 degrees", -0x1.657184ae74488p-1, minus400Degrees));
}

TEST(DmsToRadians, PartsOfMixedSignAndBeyondSixtyAdd) {
    EXPECT_EQ(DmsToRadians(1, -60, 0), 0.0);
    EXPECT_NEAR(DmsToRadians(0, 90, 0), DmsToRadians(1, 30, 0), 1e-16);
    EXPECT_NEAR(DmsToRadians(2, 0, -3600), DmsToRadians(1, 0, 0), 1e-16);
}

// Rates times time reach hundreds of millions of seconds; the result stays under a turn.
TEST(DmsToRadians, HugeSecondsReduceBelowOneTurn) {
    for (const double seconds : {538089558.57 * 1.5, -538089558.57 * 1.5, 129593824.6 * 0.5}) {
        const double angle = DmsToRadians(0, 0, seconds);
        EXPECT_LT(std::fabs(angle), TEST_TWO_PI) << seconds;
        EXPECT_EQ(std::signbit(angle), std::signbit(seconds)) << seconds;
    }
    EXPECT_TRUE(SameBits("Mercury's rate over 1.5 centuries", 0x1.3d363610478p+2,
                         DmsToRadians(0, 0, 538089558.57 * 1.5)));
}

TEST(DmsToRadians, NonFiniteSecondsGiveNaN) {
    EXPECT_TRUE(std::isnan(DmsToRadians(0, 0, INFINITY_VALUE)));
    EXPECT_TRUE(std::isnan(DmsToRadians(10, 0, -INFINITY_VALUE)));
    EXPECT_TRUE(std::isnan(DmsToRadians(0, 0, NOT_A_NUMBER)));
}

TEST(TruncMod, TruncatesTheQuotientTowardZero) {
    EXPECT_EQ(TruncMod(7.5, 2), 1.5);
    EXPECT_EQ(TruncMod(-7.5, 2), -1.5);  // not floor modulo, which gives 0.5
    EXPECT_EQ(TruncMod(7.5, -2), 1.5);
    EXPECT_EQ(TruncMod(-1, TEST_TWO_PI), -1.0);
    EXPECT_EQ(TruncMod(TEST_TWO_PI, TEST_TWO_PI), 0.0);
}

TEST(TruncMod, SmallerThanTheDivisorIsUnchanged) {
    for (const double a : {0.0, 1e-300, 3.0, -3.0, 6.28318530717958, -6.28318530717958}) {
        EXPECT_TRUE(SameBits("|a| < 2 pi", a, TruncMod(a, TEST_TWO_PI)));
    }
    EXPECT_TRUE(std::signbit(TruncMod(-0.0, TEST_TWO_PI)));
}

// Within a few units in the last place of a multiple, the rounded quotient reaches the
// whole number and the remainder is tiny and of the opposite sign.
TEST(TruncMod, NearAMultipleTheRoundedQuotientDecides) {
    const double remainder = TruncMod(106.81415022205296, TEST_TWO_PI);
    EXPECT_LT(remainder, 0.0);
    EXPECT_NEAR(remainder, -1.4e-14, 0.1e-14);
    EXPECT_TRUE(SameBits("106.81415022205296 mod 2 pi", -0x1p-46, remainder));
}

// Quotients of 2^31 or more do not fit a 32-bit integer; they are truncated in double
// precision, which keeps the remainder exact where the operands allow it.
TEST(TruncMod, QuotientsBeyondThirtyTwoBitsAreTruncatedInDouble) {
    EXPECT_EQ(TruncMod(4294967295.0, 2), 1.0);  // quotient just below 2^31
    EXPECT_EQ(TruncMod(4294967297.0, 2), 1.0);  // quotient just above 2^31
    EXPECT_EQ(TruncMod(-4294967297.0, 2), -1.0);
    EXPECT_EQ(TruncMod(2147483648.5, 1), 0.5);
    EXPECT_EQ(TruncMod(-2147483648.5, 1), -0.5);
    EXPECT_EQ(TruncMod(-2147483648.0, 1), 0.0);
    EXPECT_EQ(TruncMod(1e300, 1), 0.0);
    EXPECT_EQ(TruncMod(-1e300, 0.5), 0.0);
    EXPECT_TRUE(std::isfinite(TruncMod(1e30, TEST_TWO_PI)));
}

TEST(TruncMod, UndefinedQuotientsGiveNaN) {
    EXPECT_TRUE(std::isnan(TruncMod(1, 0)));
    EXPECT_TRUE(std::isnan(TruncMod(-1, 0)));
    EXPECT_TRUE(std::isnan(TruncMod(0, 0)));
    EXPECT_TRUE(std::isnan(TruncMod(NOT_A_NUMBER, 2)));
    EXPECT_TRUE(std::isnan(TruncMod(2, NOT_A_NUMBER)));
    EXPECT_TRUE(std::isnan(TruncMod(INFINITY_VALUE, 2)));
    EXPECT_TRUE(std::isnan(TruncMod(-INFINITY_VALUE, 2)));
    EXPECT_TRUE(std::isnan(TruncMod(2, INFINITY_VALUE)));
}

}  // namespace
