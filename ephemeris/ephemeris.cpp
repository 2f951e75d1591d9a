// The planet ephemeris: angle helpers, the Kepler solver and the six planets' mean elements.
#include "ephemeris/ephemeris.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The double closest to the circle constant; every angle in the program uses this one value.
constexpr double PI = 3.141592653589793;
// One full turn, formed as twice PI and rounded to double.
constexpr double TWO_PI = 2.0 * PI;

// The first quotient that no longer fits a signed 32-bit integer.
constexpr double INT32_LIMIT = 2147483648.0;

// Fixed count of Newton steps, no convergence test: enough for every eccentricity the
// program meets, and a fixed count keeps the positions identical to the last bit.
constexpr int KEPLER_NEWTON_STEPS = 3;

// An angle as degrees, minutes and seconds of arc plus its rates.
struct AngleCoefficients {
    int degrees;
    int minutes;
    double seconds;
    double perCentury;         // seconds of arc per century
    double perCenturySquared;  // seconds of arc per century squared
};

// The eccentricity polynomial e0 + e1 T + e2 T^2.
struct EccentricityCoefficients {
    double constant;
    double perCentury;
    double perCenturySquared;
};

// Everything that sets one planet apart from the others.
struct PlanetCoefficients {
    double semiMajorAxis;  // AU
    EccentricityCoefficients eccentricity;
    AngleCoefficients meanAnomaly;
    AngleCoefficients node;
    AngleCoefficients inclination;
    AngleCoefficients perihelionArgument;
};

enum PlanetIndex { MERCURY, VENUS, EARTH, MARS, JUPITER, SATURN };

// Mean elements of the six planets for the ecliptic and equinox of 1950, one row per
// element, so that each number can be checked against the published table by eye.
// clang-format off
constexpr PlanetCoefficients PLANET_COEFFICIENTS[] = {
    // a (AU)          {e0,          e1 (per cy),  e2 (per cy^2)}
    //   {degrees, minutes, seconds,  c1 (arcsec per cy),  c2 (arcsec per cy^2)}
    {0.3870986011,     {0.20562441,  +0.00002042,  -0.00000003},   // Mercury
        {318, 13, 15.63, +538089558.57, +0.017},                   //   mean anomaly
        { 47, 44, 19.32,       -452.13, +0.352},                   //   node
        {  7,  0, 13.6,         -21.68, +0.003},                   //   inclination
        { 28, 56, 23.24,        +57.04, +0.275}},                  //   perihelion argument
    {0.7233316286,     {0.00679676,  -0.00004773,  +0.00000009},   // Venus
        {311, 23,  3.65, +210659607.36, +4.66},
        { 76, 13, 45.85,      -1001.59, -0.369},
        {  3, 23, 38.57,         +3.71, -0.117},
        { 54, 38,  9.84,      +1031.04, -4.286}},
    {1.00000023,       {0.01673012,  -0.00004192,  -0.00000013},   // Earth
        {357, 55, 43.56,  +129593824.6, -0.591},
        {174, 24, 58.95,       -868.84, +0.043},
        {  0,  0,  0.0,         +46.85, -0.054},
        {288, 39, 36.64,      +2018.59, +0.527}},
    {1.523688174,      {0.09335426,  +0.00009056,  -0.00000007},   // Mars
        {169, 24, 51.38,  +68902041.09, +0.636},
        { 49, 10, 16.59,       -1062.1, -2.284},
        {  1, 50, 59.89,        -29.99, -0.082},
        {285, 57, 59.97,      +2656.85, +1.648}},
    {5.202833481,      {0.04827062,  +0.000047756, +0.000022676},  // Jupiter
        {303, 54, 34.93,  +10925526.63, +20.62},
        { 99, 46, 51.76,         +6.61, +1.94},
        {  1, 18, 29.17,        +0.161, +0.0763},
        {273, 30, 52.07,        -35.56, +3.89}},
    {9.538762055,      {0.05604508,  -0.000025595, -0.000016172},  // Saturn
        { 67, 45, 52.63,   +4399258.26, -112.58},
        {113, 29, 17.38,          +6.2, -11.67},
        {  2, 29, 16.6,         +1.794, +0.736},
        {338,  2, 36.95,        +88.09, +54.76}},
};
// clang-format on
static_assert(sizeof PLANET_COEFFICIENTS / sizeof PLANET_COEFFICIENTS[0] == SATURN + 1);

// Which angular elements get a final reduction into (-2 pi, 2 pi).
enum class FinalReduction { SKIP, REDUCE };

// The constant plus the T and T^2 terms, each reduced to under a turn before it is added,
// so that rates of hundreds of millions of seconds never grow large in radians.
double AngularElement(const AngleCoefficients& angle, double T, FinalReduction reduction) {
    double value = DmsToRadians(angle.degrees, angle.minutes, angle.seconds);
    const double linearSeconds = angle.perCentury * T;
    value = DmsToRadians(0, 0, linearSeconds) + value;
    const double quadraticSeconds = (T * T) * angle.perCenturySquared;
    value = DmsToRadians(0, 0, quadraticSeconds) + value;
    if (reduction == FinalReduction::REDUCE) {
        value = TruncMod(value, TWO_PI);
    }
    return value;
}

// The one routine behind all six planets: elements at T, Kepler, then the rotation.
EclipticPosition PlanetPosition(const PlanetCoefficients& planet, OrbitElements& elements,
                                double T) {
    elements.semiMajorAxis = planet.semiMajorAxis;
    const EccentricityCoefficients& e = planet.eccentricity;
    elements.eccentricity = (e.constant + e.perCentury * T) + (T * T) * e.perCenturySquared;
    // The solver reduces the mean anomaly itself, so it is stored as the plain sum.
    elements.meanAnomaly = AngularElement(planet.meanAnomaly, T, FinalReduction::SKIP);
    // Filled for completeness only: the rate of the mean anomaly, unreduced; no operation
    // reads it.
    elements.meanMotion = planet.meanAnomaly.perCentury / 3600.0 / 180.0 * PI;

    const OrbitPlanePosition inPlane = SolveKepler(elements);

    elements.node = AngularElement(planet.node, T, FinalReduction::REDUCE);
    elements.inclination = AngularElement(planet.inclination, T, FinalReduction::REDUCE);
    elements.perihelionArgument =
        AngularElement(planet.perihelionArgument, T, FinalReduction::REDUCE);

    // Rotate by the perihelion argument about the orbit normal, by the inclination about
    // the line of nodes and by the node about the ecliptic pole; the grouping is fixed.
    const double cosNode = std::cos(elements.node);
    const double sinNode = std::sin(elements.node);
    const double cosInclination = std::cos(elements.inclination);
    const double sinInclination = std::sin(elements.inclination);
    const double cosArgument = std::cos(elements.perihelionArgument);
    const double sinArgument = std::sin(elements.perihelionArgument);
    const double xo = inPlane.x;
    const double yo = inPlane.y;

    EclipticPosition position;
    position.x = xo * (cosArgument * cosNode - sinArgument * (cosInclination * sinNode)) -
                 yo * (sinArgument * cosNode + cosArgument * (cosInclination * sinNode));
    position.y = xo * (cosArgument * sinNode + sinArgument * (cosInclination * cosNode)) -
                 yo * (sinArgument * sinNode - cosArgument * (cosInclination * cosNode));
    position.z = sinArgument * (sinInclination * xo) + cosArgument * (sinInclination * yo);
    return position;
}

}  // namespace

double DmsToRadians(int degrees, int minutes, double seconds) {
    // Each part is divided down to half-turns first and only then multiplied by pi, so
    // that whole turns come out as exact multiples of 2 pi and reduce to exactly 0.
    const double fromDegrees = static_cast<double>(degrees) / 180.0 * PI;
    const double fromMinutes = static_cast<double>(minutes) / 60.0 / 180.0 * PI;
    const double fromSeconds = seconds / 3600.0 / 180.0 * PI;
    const double sum = (fromDegrees + fromMinutes) + fromSeconds;
    return TruncMod(sum, TWO_PI);
}

double TruncMod(double a, double b) {
    const double quotient = a / b;
    double wholeMultiples;
    if (std::fabs(quotient) < INT32_LIMIT) {
        wholeMultiples = static_cast<std::int32_t>(quotient);
    } else {
        // Converting such a quotient (or NaN) to an integer is undefined; truncating in
        // double precision gives the same whole number wherever one exists.
        wholeMultiples = std::trunc(quotient);
    }
    return a - wholeMultiples * b;
}

OrbitPlanePosition SolveKepler(const OrbitElements& elements) {
    const double a = elements.semiMajorAxis;
    const double e = elements.eccentricity;
    // No ellipse exists for |e| >= 1 (nor for a NaN e), and the steps below could divide
    // by zero; say so plainly with NaN rather than return a meaningless point.
    if (!(std::fabs(e) < 1.0)) {
        const double notANumber = std::numeric_limits<double>::quiet_NaN();
        return OrbitPlanePosition{notANumber, notANumber};
    }

    // Start Newton's method for E - e sin E = M' from the reduced mean anomaly itself.
    const double reducedAnomaly = TruncMod(elements.meanAnomaly, TWO_PI);
    double eccentricAnomaly = reducedAnomaly;
    for (int step = 0; step < KEPLER_NEWTON_STEPS; ++step) {
        const double difference = reducedAnomaly - eccentricAnomaly;
        const double numerator = difference + e * std::sin(eccentricAnomaly);
        eccentricAnomaly = eccentricAnomaly + numerator / (1.0 - e * std::cos(eccentricAnomaly));
    }

    // The Sun sits at a focus, a e from the centre of the ellipse; b = a sqrt(1 - e^2).
    OrbitPlanePosition position;
    position.x = (std::cos(eccentricAnomaly) - e) * a;
    position.y = std::sin(eccentricAnomaly) * (std::sqrt(1.0 - std::pow(e, 2)) * a);
    return position;
}

EclipticPosition MercuryPosition(OrbitElements& elements, double T) {
    return PlanetPosition(PLANET_COEFFICIENTS[MERCURY], elements, T);
}

EclipticPosition VenusPosition(OrbitElements& elements, double T) {
    return PlanetPosition(PLANET_COEFFICIENTS[VENUS], elements, T);
}

EclipticPosition EarthPosition(OrbitElements& elements, double T) {
    return PlanetPosition(PLANET_COEFFICIENTS[EARTH], elements, T);
}

EclipticPosition MarsPosition(OrbitElements& elements, double T) {
    return PlanetPosition(PLANET_COEFFICIENTS[MARS], elements, T);
}

EclipticPosition JupiterPosition(OrbitElements& elements, double T) {
    return PlanetPosition(PLANET_COEFFICIENTS[JUPITER], elements, T);
}

EclipticPosition SaturnPosition(OrbitElements& elements, double T) {
    return PlanetPosition(PLANET_COEFFICIENTS[SATURN], elements, T);
}
