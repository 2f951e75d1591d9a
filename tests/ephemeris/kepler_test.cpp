// Tests of the Kepler solver: special points of the ellipse, reduction and accuracy.
#include <cmath>
#include <limits>

#include "ephemeris/ephemeris.h"
#include "tests/ephemeris/golden.h"

namespace {

const double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// The solver reads three fields only; the others are filled with NaN to prove it.
OrbitElements Orbit(double semiMajorAxis, double eccentricity, double meanAnomaly) {
    OrbitElements elements;
    elements.semiMajorAxis = semiMajorAxis;
    elements.eccentricity = eccentricity;
    elements.meanAnomaly = meanAnomaly;
    elements.meanMotion = NOT_A_NUMBER;
    elements.node = NOT_A_NUMBER;
    elements.inclination = NOT_A_NUMBER;
    elements.perihelionArgument = NOT_A_NUMBER;
    return elements;
}

// Recovers the eccentric anomaly in [0, 2 pi) from a point of the ellipse.
double EccentricAnomaly(const OrbitElements& elements, OrbitPlanePosition point) {
    const double a = elements.semiMajorAxis;
    const double e = elements.eccentricity;
    const double angle = std::atan2(point.y / (std::sqrt(1 - e * e) * a), point.x / a + e);
    return angle < 0 ? angle + TEST_TWO_PI : angle;
}

TEST(SolveKepler, CircularOrbitIsACircleOfRadiusA) {
    for (const double meanAnomaly : {0.0, 0.3, 2.0, 4.5, -1.0}) {
        const OrbitPlanePosition point = SolveKepler(Orbit(2.5, 0.0, meanAnomaly));
        EXPECT_TRUE(SameBits("x", std::cos(meanAnomaly) * 2.5, point.x));
        EXPECT_TRUE(SameBits("y", std::sin(meanAnomaly) * 2.5, point.y));
    }
}

TEST(SolveKepler, PerihelionAndAphelion) {
    const double a = 1.523688174;
    const double e = 0.09335426;
    const OrbitPlanePosition perihelion = SolveKepler(Orbit(a, e, 0.0));
    EXPECT_TRUE(SameBits("perihelion x", (1 - e) * a, perihelion.x));
    EXPECT_EQ(perihelion.y, 0.0);

    const OrbitPlanePosition aphelion = SolveKepler(Orbit(a, e, TEST_PI));
    EXPECT_TRUE(SameBits("aphelion x", -(1 + e) * a, aphelion.x));
    EXPECT_LE(std::fabs(aphelion.y), 1e-15 * a);
}

// The stored mean anomaly is not reduced; whole turns must not change the point at all.
TEST(SolveKepler, WholeTurnsOfTheMeanAnomalyGiveTheSamePoint) {
    const double meanAnomaly = 12.51525;  // about the Earth's at T = 0.5
    const OrbitPlanePosition unreduced = SolveKepler(Orbit(1.00000023, 0.0167, meanAnomaly));
    const OrbitPlanePosition reduced =
        SolveKepler(Orbit(1.00000023, 0.0167, meanAnomaly - TEST_TWO_PI));
    EXPECT_TRUE(SameBits("x", reduced.x, unreduced.x));
    EXPECT_TRUE(SameBits("y", reduced.y, unreduced.y));
}

// A negative mean anomaly stays negative after reduction; each iterate is then 2 pi
// below the one for the positive angle, which agrees up to rounding only.
TEST(SolveKepler, NegativeMeanAnomalyAgreesWithinRounding) {
    const double a = 5.202833481;
    for (const double meanAnomaly : {-0.4, -3.0, -6.0, -9.5, -17.0}) {
        const double reduced = std::fmod(meanAnomaly, TEST_TWO_PI);
        const OrbitPlanePosition negative = SolveKepler(Orbit(a, 0.2, meanAnomaly));
        const OrbitPlanePosition positive = SolveKepler(Orbit(a, 0.2, reduced + TEST_TWO_PI));
        EXPECT_NEAR(negative.x, positive.x, 1e-15 * a * 4) << meanAnomaly;
        EXPECT_NEAR(negative.y, positive.y, 1e-15 * a * 4) << meanAnomaly;
    }
}

TEST(SolveKepler, MercuryAtTheEpoch) {
    OrbitElements elements;
    MercuryPosition(elements, 0.0);
    ASSERT_NEAR(elements.meanAnomaly, 5.554004, 1e-6);
    const OrbitPlanePosition point = SolveKepler(elements);
    const double eccentricAnomaly = EccentricAnomaly(elements, point);
    EXPECT_NEAR(eccentricAnomaly, 5.394373, 1e-6);

    const double distance = std::hypot(point.x, point.y);
    EXPECT_NEAR(distance, 0.33693, 5e-6);
    const double expected =
        elements.semiMajorAxis * (1 - elements.eccentricity * std::cos(eccentricAnomaly));
    EXPECT_NEAR(distance, expected, 1e-15);

    // Three steps leave Mercury within 5e-13 radians of the root.
    const double residual = eccentricAnomaly - elements.eccentricity * std::sin(eccentricAnomaly) -
                            elements.meanAnomaly;
    EXPECT_LT(std::fabs(residual), 5e-13);
}

// Exactly three Newton steps: at e = 0.9 the iteration is far from converged, so one
// step more or less changes the point well beyond the last bit.
TEST(SolveKepler, TakesExactlyThreeSteps) {
    const OrbitPlanePosition point = SolveKepler(Orbit(2.0, 0.9, 1.0));
    EXPECT_TRUE(SameBits("x at e = 0.9", -0x1.305c250498178p+1, point.x));
    EXPECT_TRUE(SameBits("y at e = 0.9", 0x1.ab5154f5b752p-1, point.y));
}

// No ellipse exists for |e| >= 1; the solver must say so with NaN and never crash.
TEST(SolveKepler, NoEllipseGivesNaN) {
    for (const double e : {1.0, -1.0, 1.5, -3.0, 2.1, 1e300, NOT_A_NUMBER}) {
        for (const double meanAnomaly : {0.0, 1.0, TEST_PI}) {
            const OrbitPlanePosition point = SolveKepler(Orbit(5.0, e, meanAnomaly));
            EXPECT_TRUE(std::isnan(point.x)) << e << " " << meanAnomaly;
            EXPECT_TRUE(std::isnan(point.y)) << e << " " << meanAnomaly;
        }
    }
    const OrbitPlanePosition undefinedAngle = SolveKepler(Orbit(1.0, 0.1, NOT_A_NUMBER));
    EXPECT_TRUE(std::isnan(undefinedAngle.x));
    EXPECT_TRUE(std::isnan(undefinedAngle.y));
}

}  // namespace
