// The yardstick for the ephemeris: libnova's full VSOP87 positions in the frame of 1950.0.
//
// The program's mean elements refer to the fixed ecliptic and equinox of 1950.0, while
// VSOP87 as libnova returns it refers to the ecliptic and equinox of J2000. Every reference
// position is therefore rotated to 1950.0 before it is compared with the program's.
#pragma once

#include <vector>

// A heliocentric ecliptic position in polar form.
struct EclipticPolar {
    double longitude;  // radians, from the vernal equinox, in [0, 2 pi)
    double latitude;   // radians, north of the ecliptic, in [-pi / 2, pi / 2]
    double distance;   // AU
};

// Julian day of the program's T = 0, the start of 1950 (the Besselian epoch B1950.0).
inline constexpr double B1950_JULIAN_DAY = 2433282.4235;
// Julian day of the standard epoch J2000.0.
inline constexpr double J2000_JULIAN_DAY = 2451545.0;
// Days in one unit of T, the length the program's clock gives a century.
inline constexpr double DAYS_PER_CENTURY_OF_T = 36524.219;

// The Julian day at which libnova is asked for the position the program shows at T.
double JulianDayOfT(double T);

// Rigorous precession of ecliptic coordinates from the ecliptic and equinox of
// startJulianDay to those of endJulianDay (Meeus, Astronomical Algorithms, 21.5 to 21.7).
EclipticPolar PrecessEcliptic(EclipticPolar position, double startJulianDay, double endJulianDay);

enum class Planet { MERCURY, VENUS, EARTH, MARS, JUPITER, SATURN };
inline constexpr Planet ALL_PLANETS[] = {Planet::MERCURY, Planet::VENUS,   Planet::EARTH,
                                         Planet::MARS,    Planet::JUPITER, Planet::SATURN};
const char* PlanetName(Planet planet);

// libnova's VSOP87 position of the planet at the Julian day, ecliptic and equinox of J2000.
EclipticPolar ReferenceJ2000(Planet planet, double julianDay);
// The same position rotated to the ecliptic and equinox of 1950.0.
EclipticPolar Reference1950(Planet planet, double julianDay);
// The program's own position of the planet at T, in polar form.
EclipticPolar ModelPosition(Planet planet, double T);

// How far the program is from the reference at one time, for one planet.
struct PositionError {
    double T;                // centuries of the program's clock from the start of 1950
    double longitudeArcmin;  // model minus reference, minutes of arc, in (-10800, 10800]
    double distanceAu;       // model minus reference, AU
    double distancePercent;  // the same as a percentage of the reference distance
};

// The error at T, for one planet.
PositionError ErrorAt(Planet planet, double T);

// The errors from T = 0 to T = 1.5 (1950 to 2100) every stepDays days of the clock.
std::vector<PositionError> ErrorsOver150Years(Planet planet, double stepDays);
