// libnova's VSOP87 positions precessed to 1950.0, the program's positions, and their difference.
#include "tests/accuracy/reference.h"

#include <libnova/earth.h>
#include <libnova/jupiter.h>
#include <libnova/mars.h>
#include <libnova/mercury.h>
#include <libnova/saturn.h>
#include <libnova/venus.h>

#include <cmath>

#include "ephemeris/ephemeris.h"

namespace {

constexpr double PI = 3.141592653589793;
constexpr double TWO_PI = 2.0 * PI;
constexpr double RADIANS_PER_DEGREE = PI / 180.0;
constexpr double RADIANS_PER_ARCSECOND = PI / (180.0 * 3600.0);
constexpr double ARCMINUTES_PER_RADIAN = 180.0 * 60.0 / PI;
// Julian centuries, the unit of time of the precession formulas.
constexpr double DAYS_PER_JULIAN_CENTURY = 36525.0;
// The program's clock starts again after this many days, 150 years of model time.
constexpr double CLOCK_DAYS = 1.5 * DAYS_PER_CENTURY_OF_T;

// An angle moved into [0, 2 pi).
double Normalized(double angle) {
    const double reduced = std::fmod(angle, TWO_PI);
    return reduced < 0.0 ? reduced + TWO_PI : reduced;
}

// An angle difference moved into (-pi, pi], so that wrapping at the equinox costs nothing.
double SignedDifference(double angle) {
    const double reduced = Normalized(angle);
    return reduced > PI ? reduced - TWO_PI : reduced;
}

// libnova speaks in degrees; the rest of this file in radians.
EclipticPolar FromLibnova(const ln_helio_posn& position) {
    return EclipticPolar{Normalized(position.L * RADIANS_PER_DEGREE),
                         position.B * RADIANS_PER_DEGREE, position.R};
}

EclipticPolar FromRectangular(const EclipticPosition& position) {
    const double inPlane = std::hypot(position.x, position.y);
    return EclipticPolar{
        Normalized(std::atan2(position.y, position.x)), std::atan2(position.z, inPlane),
        std::sqrt(position.x * position.x + position.y * position.y + position.z * position.z)};
}

}  // namespace

double JulianDayOfT(double T) {
    return B1950_JULIAN_DAY + T * DAYS_PER_CENTURY_OF_T;
}

EclipticPolar PrecessEcliptic(EclipticPolar position, double startJulianDay, double endJulianDay) {
    // t: the start epoch in Julian centuries from J2000; T: the interval in Julian centuries.
    const double t = (startJulianDay - J2000_JULIAN_DAY) / DAYS_PER_JULIAN_CENTURY;
    const double T = (endJulianDay - startJulianDay) / DAYS_PER_JULIAN_CENTURY;

    // Eta: the angle between the two ecliptics (Meeus 21.5, seconds of arc).
    const double eta = ((47.0029 - 0.06603 * t + 0.000598 * t * t) * T +
                        (-0.03302 + 0.000598 * t) * T * T + 0.000060 * T * T * T) *
                       RADIANS_PER_ARCSECOND;
    // Pi: the longitude, on the starting ecliptic, of the axis of that rotation.
    const double node =
        174.876384 * RADIANS_PER_DEGREE +
        (3289.4789 * t + 0.60622 * t * t - (869.8089 + 0.50491 * t) * T + 0.03536 * T * T) *
            RADIANS_PER_ARCSECOND;
    // p: the general precession in longitude along the ecliptic.
    const double p = ((5029.0966 + 2.22226 * t - 0.000042 * t * t) * T +
                      (1.11113 - 0.000042 * t) * T * T - 0.000006 * T * T * T) *
                     RADIANS_PER_ARCSECOND;

    // Rotate the direction about the axis at longitude Pi by eta, then add p (Meeus 21.7).
    const double a =
        std::cos(eta) * std::cos(position.latitude) * std::sin(node - position.longitude) -
        std::sin(eta) * std::sin(position.latitude);
    const double b = std::cos(position.latitude) * std::cos(node - position.longitude);
    const double c =
        std::cos(eta) * std::sin(position.latitude) +
        std::sin(eta) * std::cos(position.latitude) * std::sin(node - position.longitude);
    return EclipticPolar{Normalized(p + node - std::atan2(a, b)), std::asin(c), position.distance};
}

const char* PlanetName(Planet planet) {
    switch (planet) {
        case Planet::MERCURY:
            return "Mercury";
        case Planet::VENUS:
            return "Venus";
        case Planet::EARTH:
            return "Earth";
        case Planet::MARS:
            return "Mars";
        case Planet::JUPITER:
            return "Jupiter";
        case Planet::SATURN:
            return "Saturn";
    }
    return "?";
}

EclipticPolar ReferenceJ2000(Planet planet, double julianDay) {
    ln_helio_posn position{};
    switch (planet) {
        case Planet::MERCURY:
            ln_get_mercury_helio_coords(julianDay, &position);
            break;
        case Planet::VENUS:
            ln_get_venus_helio_coords(julianDay, &position);
            break;
        case Planet::EARTH:
            ln_get_earth_helio_coords(julianDay, &position);
            break;
        case Planet::MARS:
            ln_get_mars_helio_coords(julianDay, &position);
            break;
        case Planet::JUPITER:
            ln_get_jupiter_helio_coords(julianDay, &position);
            break;
        case Planet::SATURN:
            ln_get_saturn_helio_coords(julianDay, &position);
            break;
    }
    return FromLibnova(position);
}

EclipticPolar Reference1950(Planet planet, double julianDay) {
    return PrecessEcliptic(ReferenceJ2000(planet, julianDay), J2000_JULIAN_DAY, B1950_JULIAN_DAY);
}

EclipticPolar ModelPosition(Planet planet, double T) {
    OrbitElements elements{};
    switch (planet) {
        case Planet::MERCURY:
            return FromRectangular(MercuryPosition(elements, T));
        case Planet::VENUS:
            return FromRectangular(VenusPosition(elements, T));
        case Planet::EARTH:
            return FromRectangular(EarthPosition(elements, T));
        case Planet::MARS:
            return FromRectangular(MarsPosition(elements, T));
        case Planet::JUPITER:
            return FromRectangular(JupiterPosition(elements, T));
        case Planet::SATURN:
            return FromRectangular(SaturnPosition(elements, T));
    }
    return EclipticPolar{};
}

PositionError ErrorAt(Planet planet, double T) {
    const EclipticPolar model = ModelPosition(planet, T);
    const EclipticPolar reference = Reference1950(planet, JulianDayOfT(T));
    const double distanceError = model.distance - reference.distance;
    return PositionError{
        T, SignedDifference(model.longitude - reference.longitude) * ARCMINUTES_PER_RADIAN,
        distanceError, distanceError / reference.distance * 100.0};
}

std::vector<PositionError> ErrorsOver150Years(Planet planet, double stepDays) {
    std::vector<PositionError> errors;
    // Count steps rather than add them up, so the last sample falls where it should.
    for (int step = 0; step * stepDays <= CLOCK_DAYS; ++step) {
        errors.push_back(ErrorAt(planet, step * stepDays / DAYS_PER_CENTURY_OF_T));
    }
    return errors;
}
