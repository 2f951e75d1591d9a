// Tests of the six planet position operations: published values, golden bits and invariants.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "ephemeris/ephemeris.h"
#include "tests/ephemeris/golden.h"

namespace {

using PositionOperation = EclipticPosition (*)(OrbitElements&, double);

struct Planet {
    const char* name;
    PositionOperation position;
};

const Planet PLANETS[] = {
    {"Mercury", MercuryPosition}, {"Venus", VenusPosition},     {"Earth", EarthPosition},
    {"Mars", MarsPosition},       {"Jupiter", JupiterPosition}, {"Saturn", SaturnPosition},
};

// A position that a test expects, to five decimals or to the bit.
struct Expected {
    const char* name;
    PositionOperation position;
    double T;
    double x, y, z;
};

std::string Label(const char* name, double T, const char* what) {
    return std::string(name) + " at T = " + std::to_string(T) + ": " + what;
}

// Five-decimal positions from the published tables of these elements.
const Expected ROUNDED_POSITIONS[] = {
    {"Mercury", MercuryPosition, 0.0, 0.32308, 0.09311, -0.02168},
    {"Venus", VenusPosition, 0.0, 0.10454, 0.71246, 0.00404},
    {"Earth", EarthPosition, 0.0, -0.18652, 0.96543, 0.0},
    {"Mars", MarsPosition, 0.0, -1.38387, 0.92230, 0.05330},
    {"Jupiter", JupiterPosition, 0.0, 3.42291, -3.74153, -0.06251},
    {"Saturn", SaturnPosition, 0.0, -9.05386, 2.36426, 0.31985},
    {"Earth", EarthPosition, 0.5, -0.17425, 0.96775, -0.00011},
    {"Mars", MarsPosition, 0.5, 1.38995, -0.03748, -0.03461},
};

TEST(PlanetPositions, MatchThePublishedFiveDecimalValues) {
    for (const Expected& want : ROUNDED_POSITIONS) {
        OrbitElements elements;
        const EclipticPosition got = want.position(elements, want.T);
        EXPECT_NEAR(got.x, want.x, 5e-6) << Label(want.name, want.T, "x");
        EXPECT_NEAR(got.y, want.y, 5e-6) << Label(want.name, want.T, "y");
        EXPECT_NEAR(got.z, want.z, 5e-6) << Label(want.name, want.T, "z");
    }
    OrbitElements elements;
    const EclipticPosition earth = EarthPosition(elements, 0.0);
    EXPECT_NEAR(std::atan2(earth.y, earth.x) * 180 / TEST_PI, 100.9, 0.05);
}

// Recorded from this implementation after it matched the five-decimal values above; any
// change in the order or grouping of the arithmetic shows up in the last bits.
const Expected GOLDEN_POSITIONS[] = {
    {"Mercury", MercuryPosition, 0.0, 0x1.4ad4fd5ecac33p-2, 0x1.7d6105402652p-4,
     -0x1.633bf6426bd7dp-6},
    {"Saturn", SaturnPosition, 0.0, -0x1.21b931aad9638p+3, 0x1.2ea00bb9dfb2ap+1,
     0x1.478782d950b14p-2},
    {"Mercury", MercuryPosition, 0.5, -0x1.2bf6afef90ff9p-3, -0x1.c4ac8fa83c759p-2,
     -0x1.7cfba7a65f5bep-6},
    {"Venus", VenusPosition, 0.5, -0x1.700de4e6fbe68p-1, -0x1.d9ff94a31f6cp-7,
     0x1.515e6c9e364a6p-5},
    {"Earth", EarthPosition, 0.5, -0x1.64dfa24434c2cp-3, 0x1.ef7cff3312605p-1,
     -0x1.c22edb28b8f85p-14},
    {"Mars", MarsPosition, 0.5, 0x1.63d3d9a2d29ep+0, -0x1.3310278436ff8p-5, -0x1.1b867d20420ddp-5},
    {"Jupiter", JupiterPosition, 0.5, 0x1.fd7d9b7ac6dbep+1, 0x1.7cd4bdcd31f02p+1,
     -0x1.9e2a529391b3ep-4},
    {"Saturn", SaturnPosition, 0.5, 0x1.9773fac721fefp+2, 0x1.a40348281390ap+2,
     -0x1.7836df48cf84cp-2},
    {"Mercury", MercuryPosition, -0.75, -0x1.062cafca149cdp-3, -0x1.cab3c97812cf1p-2,
     -0x1.9e8d4934064f9p-6},
    {"Earth", EarthPosition, -0.75, -0x1.a38abbedeef58p-3, 0x1.ec5f20c0108e5p-1,
     0x1.4f6e0742a057cp-13},
    {"Jupiter", JupiterPosition, -0.75, -0x1.470709385aca6p+2, -0x1.e5801f7d18bf2p+0,
     0x1.f519d72d83607p-4},
    {"Venus", VenusPosition, 1.5, 0x1.63b7ee808c4f3p-1, 0x1.a3d8ea1ae53p-3, -0x1.2ef77466cca99p-5},
    {"Mars", MarsPosition, 1.5, 0x1.4571e3aee7392p-1, 0x1.5e3bbda3a2177p+0, 0x1.be79719a74b8p-7},
    {"Saturn", SaturnPosition, 1.5, -0x1.2507c29981f7cp+3, -0x1.88a7462f50f6dp+1,
     0x1.ac47f5507409ep-2},
};

TEST(PlanetPositions, AreExactToTheBit) {
    for (const Expected& want : GOLDEN_POSITIONS) {
        OrbitElements elements;
        const EclipticPosition got = want.position(elements, want.T);
        EXPECT_TRUE(SameBits(Label(want.name, want.T, "x").c_str(), want.x, got.x));
        EXPECT_TRUE(SameBits(Label(want.name, want.T, "y").c_str(), want.y, got.y));
        EXPECT_TRUE(SameBits(Label(want.name, want.T, "z").c_str(), want.z, got.z));
    }
}

TEST(PlanetPositions, FillTheElementsExactly) {
    OrbitElements elements;
    MarsPosition(elements, 0.5);
    EXPECT_TRUE(SameBits("semiMajorAxis", 0x1.86106d9ca1c7fp+0, elements.semiMajorAxis));
    EXPECT_TRUE(SameBits("eccentricity", 0x1.7e907f69979e3p-4, elements.eccentricity));
    EXPECT_TRUE(SameBits("meanAnomaly", 0x1.a7818625b1275p+2, elements.meanAnomaly));
    EXPECT_TRUE(SameBits("node", 0x1.b61440fe0b609p-1, elements.node));
    EXPECT_TRUE(SameBits("inclination", 0x1.07e84c601d4a4p-5, elements.inclination));
    EXPECT_TRUE(SameBits("perihelionArgument", 0x1.3fd713245e749p+2, elements.perihelionArgument));
}

// The elements refer to the ecliptic of 1950, so the Earth starts exactly in it.
TEST(PlanetPositions, EarthLiesInTheEclipticAtTheEpoch) {
    OrbitElements elements;
    const EclipticPosition earth = EarthPosition(elements, 0.0);
    EXPECT_EQ(elements.inclination, 0.0);
    EXPECT_EQ(earth.z, 0.0);  // negative zero by the rotation's grouping; equal all the same
    EXPECT_TRUE(SameBits("Earth's mean anomaly at T = 0", DmsToRadians(357, 55, 43.56),
                         elements.meanAnomaly));

    const EclipticPosition later = EarthPosition(elements, 1e-6);
    EXPECT_GT(elements.inclination, 0.0);
    EXPECT_NE(later.z, 0.0);
}

// The mean anomaly is stored as the sum of reduced terms; the solver reduces it itself.
TEST(PlanetPositions, MeanAnomalyIsStoredUnreduced) {
    OrbitElements elements;
    const EclipticPosition earth = EarthPosition(elements, 0.5);
    EXPECT_NEAR(elements.meanAnomaly, 12.51525, 5e-6);
    EXPECT_GT(elements.meanAnomaly, TEST_TWO_PI);

    OrbitElements reduced = elements;
    reduced.meanAnomaly = elements.meanAnomaly - TEST_TWO_PI;
    const OrbitPlanePosition fromStored = SolveKepler(elements);
    const OrbitPlanePosition fromReduced = SolveKepler(reduced);
    EXPECT_TRUE(SameBits("x in the plane", fromReduced.x, fromStored.x));
    EXPECT_TRUE(SameBits("y in the plane", fromReduced.y, fromStored.y));
    EXPECT_NEAR(std::hypot(earth.x, earth.y, earth.z), std::hypot(fromStored.x, fromStored.y),
                1e-15);
}

// The Earth's mean anomaly advances by about one turn a year, a hundred per century.
TEST(PlanetPositions, MeanMotionIsTheMeanAnomalyRate) {
    OrbitElements elements;
    EarthPosition(elements, 0.3);
    EXPECT_NEAR(elements.meanMotion, 100 * TEST_TWO_PI, 0.1);
    MercuryPosition(elements, 0.3);
    EXPECT_NEAR(elements.meanMotion / TEST_TWO_PI, 36525 / 87.969, 0.1);
}

// Before 1950 the rate terms are negative and stay negative after reduction.
TEST(PlanetPositions, NegativeTimeGivesNegativeReducedTerms) {
    OrbitElements elements;
    EarthPosition(elements, -0.5);
    EXPECT_LT(elements.inclination, 0.0);
    const double seconds = 46.85 * -0.5 + -0.054 * 0.25;
    EXPECT_NEAR(elements.inclination, seconds / 3600 / 180 * TEST_PI, 1e-15);

    for (const Planet& planet : PLANETS) {
        for (const double T : {-0.001, -0.5, -1.5, -40.0}) {
            planet.position(elements, T);
            const std::string where = Label(planet.name, T, "element range");
            EXPECT_LT(std::fabs(elements.node), TEST_TWO_PI) << where;
            EXPECT_LT(std::fabs(elements.inclination), TEST_TWO_PI) << where;
            EXPECT_LT(std::fabs(elements.perihelionArgument), TEST_TWO_PI) << where;
            EXPECT_LT(std::fabs(elements.meanAnomaly), 3 * TEST_TWO_PI) << where;
        }
    }
}

// Each planet stays on its ellipse: the rotation keeps the distance of the plane point,
// and the distance lies between perihelion and aphelion.
TEST(PlanetPositions, DistanceStaysBetweenPerihelionAndAphelion) {
    for (const Planet& planet : PLANETS) {
        for (double T = -2.0; T <= 2.0; T += 0.0371) {
            OrbitElements elements;
            const EclipticPosition position = planet.position(elements, T);
            const OrbitPlanePosition inPlane = SolveKepler(elements);
            const double a = elements.semiMajorAxis;
            const double e = elements.eccentricity;
            const double distance = std::hypot(position.x, position.y, position.z);
            const std::string where = Label(planet.name, T, "distance");
            EXPECT_NEAR(distance, std::hypot(inPlane.x, inPlane.y), 2e-15 * a) << where;
            EXPECT_GE(distance, a * (1 - e) * (1 - 1e-15)) << where;
            EXPECT_LE(distance, a * (1 + e) * (1 + 1e-15)) << where;
        }
    }
}

TEST(PlanetPositions, EccentricitiesStayInTheProgramsRange) {
    for (const Planet& planet : PLANETS) {
        for (double T = 0.0; T <= 1.5; T += 0.01) {
            OrbitElements elements;
            planet.position(elements, T);
            EXPECT_GE(elements.eccentricity, 0.0067) << Label(planet.name, T, "e");
            EXPECT_LE(elements.eccentricity, 0.2057) << Label(planet.name, T, "e");
        }
    }
}

// Scans time finely through T = 0 and through many jumps of the reduced terms: no
// position may move further than the fastest planet could in the step.
TEST(PlanetPositions, AreContinuousInTime) {
    const double step = 2e-6;            // centuries, about 1.7 hours
    const double fastestSpeed = 1300.0;  // AU per century, Mercury at perihelion
    const double bound = 1.5 * fastestSpeed * step;
    for (const Planet& planet : PLANETS) {
        OrbitElements elements;
        EclipticPosition previous = planet.position(elements, -0.01);
        double previousAnomaly = elements.meanAnomaly;
        double largestStep = 0;
        double largestAnomalyJump = 0;
        for (int index = 1; index <= 10000; ++index) {
            const double T = -0.01 + index * step;
            const EclipticPosition current = planet.position(elements, T);
            const double moved =
                std::hypot(current.x - previous.x, current.y - previous.y, current.z - previous.z);
            largestStep = std::fmax(largestStep, moved);
            largestAnomalyJump =
                std::fmax(largestAnomalyJump, std::fabs(elements.meanAnomaly - previousAnomaly));
            previous = current;
            previousAnomaly = elements.meanAnomaly;
        }
        EXPECT_LT(largestStep, bound) << planet.name;
        if (std::string(planet.name) == "Mercury") {
            // Proof that the scan crosses the reduction of the fast mean anomaly term.
            EXPECT_GT(largestAnomalyJump, TEST_PI) << planet.name;
        }
    }
}

TEST(PlanetPositions, RepeatedCallsAreIdenticalWhateverTheRecordHeld) {
    for (const Planet& planet : PLANETS) {
        OrbitElements fresh{};
        const EclipticPosition first = planet.position(fresh, 0.8125);

        OrbitElements stale;
        std::memset(&stale, 0xff, sizeof stale);  // every field NaN
        const EclipticPosition second = planet.position(stale, 0.8125);
        const EclipticPosition third = planet.position(stale, 0.8125);

        for (const EclipticPosition& again : {second, third}) {
            EXPECT_TRUE(SameBits(planet.name, first.x, again.x));
            EXPECT_TRUE(SameBits(planet.name, first.y, again.y));
            EXPECT_TRUE(SameBits(planet.name, first.z, again.z));
        }
        EXPECT_EQ(std::memcmp(&fresh, &stale, sizeof fresh), 0) << planet.name;
    }
}

// Far from 1950 an eccentricity leaves (-1, 1); the result is NaN, never a crash.
TEST(PlanetPositions, NoEllipseFarFromTheEpochGivesNaN) {
    struct Case {
        const char* name;
        PositionOperation position;
        double T;
    };
    const double infinite = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"Jupiter", JupiterPosition, 300.0},        {"Jupiter", JupiterPosition, -210.0},
        {"Saturn", SaturnPosition, 300.0},          {"Saturn", SaturnPosition, -260.0},
        {"Mercury", MercuryPosition, 1e6},          {"Earth", EarthPosition, -1e12},
        {"Venus", VenusPosition, infinite},         {"Mars", MarsPosition, -infinite},
        {"Mercury", MercuryPosition, std::nan("")},
    };
    for (const Case& farAway : cases) {
        OrbitElements elements;
        const EclipticPosition position = farAway.position(elements, farAway.T);
        const std::string where = Label(farAway.name, farAway.T, "coordinates");
        EXPECT_FALSE(std::fabs(elements.eccentricity) < 1.0) << where;
        EXPECT_TRUE(std::isnan(position.x)) << where;
        EXPECT_TRUE(std::isnan(position.y)) << where;
        EXPECT_TRUE(std::isnan(position.z)) << where;
    }
    OrbitElements elements;
    const EclipticPosition justInside = JupiterPosition(elements, 200.0);
    EXPECT_LT(elements.eccentricity, 1.0);
    EXPECT_TRUE(std::isfinite(justInside.x));
}

}  // namespace
